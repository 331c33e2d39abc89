#pragma once

#include "Platform.h"

namespace platform {

// This system's services; lives until the process ends.
Platform& systemPlatform();

} // namespace platform

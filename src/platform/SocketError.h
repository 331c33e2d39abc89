#pragma once

// The text shown for a failed socket call: the decimal error code, " : " and
// the system's message for it.

#include <QString>

namespace platform {

QString socketErrorText(int code);
// The text of the calling thread's last error (errno).
QString lastSocketErrorText();

} // namespace platform

#pragma once

#include <QString>
#include <functional>

// Runs `body` in a forked child (see runInChild) that permission bits stop:
// as root, the child drops to the "nobody" user first.
QString runUnprivileged(const std::function<QString()>& body);

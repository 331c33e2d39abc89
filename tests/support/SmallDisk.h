#pragma once

#include <QString>
#include <functional>

// What runOnSmallDisk answers where the child can have no mount namespace of
// its own (a sandbox that forbids them).
inline constexpr const char* NoSmallDisk = "no mount namespace of its own can be made here";

// Runs `body` in a forked child (see runInChild) in which `folder` is a file
// system of its own holding `bytes` bytes, so that writes there fail once it
// is full as on a full disk (ENOSPC). Needs no root: an ordinary user gets a
// user namespace of its own, in which it keeps its own user and group.
QString runOnSmallDisk(const QString& folder, qint64 bytes, const std::function<QString()>& body);

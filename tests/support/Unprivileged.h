#pragma once

#include <QString>
#include <functional>
#include <sys/types.h>
#include <vector>

// Runs `body` in a forked child (see runInChild) that permission bits stop:
// as root, the child drops to the "nobody" user first, in its own group and
// the supplementary groups given.
QString runUnprivileged(const std::function<QString()>& body,
                        const std::vector<gid_t>& supplementaryGroups = {});

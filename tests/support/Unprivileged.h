#pragma once

#include <QString>
#include <functional>
#include <sys/types.h>
#include <vector>

// Runs `body` in a forked child that permission bits stop (as root, the child
// drops to the "nobody" user first, in its own group and the supplementary
// groups given) and answers the text the body returned.
// The child cannot report through GoogleTest, so the body returns what it saw
// and the test checks that text; an empty text means the child died.
QString runUnprivileged(const std::function<QString()>& body,
                        const std::vector<gid_t>& supplementaryGroups = {});

#include "Unprivileged.h"

#include "ChildProcess.h"

#include <grp.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;

} // namespace

QString runUnprivileged(const std::function<QString()>& body,
                        const std::vector<gid_t>& supplementaryGroups)
{
    return runInChild([&] {
        // Root's supplementary groups go too, or their group bits would still let it in.
        if (geteuid() == 0 &&
            (setgroups(supplementaryGroups.size(), supplementaryGroups.data()) != 0 ||
             setgid(kNobody) != 0 || setuid(kNobody) != 0))
            return QStringLiteral("could not drop privileges");
        return body();
    });
}

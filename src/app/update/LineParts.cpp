#include "LineParts.h"

#include "Parallel.h"

#include <algorithm>

namespace lineparts {

namespace {

// A text below this is worked on by one thread: more would cost more than they save.
constexpr qsizetype BytesPerThread = qsizetype(1) << 20;

} // namespace

size_t partsFor(QByteArrayView bytes)
{
    return std::min<size_t>(platform::workerCount(), size_t(bytes.size() / BytesPerThread) + 1);
}

std::vector<QByteArrayView> wholeLineParts(QByteArrayView bytes, size_t count)
{
    std::vector<QByteArrayView> parts;
    qsizetype start = 0;
    for (size_t part = 1; part < count && start < bytes.size(); ++part) {
        const qsizetype target = std::max(start, qsizetype(bytes.size() * part / count));
        const qsizetype lineFeed = bytes.indexOf('\n', target);
        if (lineFeed < 0)
            break;
        parts.push_back(bytes.sliced(start, lineFeed + 1 - start));
        start = lineFeed + 1;
    }
    parts.push_back(bytes.sliced(start));
    return parts;
}

} // namespace lineparts

#pragma once

// A large text cut into parts of whole lines, so that several threads can
// work on it at once.

#include <QByteArrayView>

#include <cstddef>
#include <vector>

namespace lineparts {

// How many threads work on the text.
size_t partsFor(QByteArrayView bytes);

// The text cut into up to `count` parts of about equal size, each of whole
// lines: a cut follows a LF, which always ends a line.
std::vector<QByteArrayView> wholeLineParts(QByteArrayView bytes, size_t count);

} // namespace lineparts

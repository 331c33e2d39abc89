#pragma once

#include <QString>
#include <functional>

// Runs `body` in a forked child and answers the text the body returned. The
// child cannot report through GoogleTest, so the body returns what it saw and
// the test checks that text; an empty text means the child died.
QString runInChild(const std::function<QString()>& body);

#pragma once

#include <QByteArrayView>
#include <QStringView>

// One host name as the hosts file takes it: dot-separated labels of letters,
// digits, "-" and "_", no blanks, at most 253 characters and 63 per label.
// Both the user's input and the block lists must pass it, so that one entry
// never puts several names into the hosts file.
bool isHostName(QStringView text);
// The same for a name in the 8-bit form; a name is ASCII, so the rules match.
bool isHostName(QByteArrayView text);

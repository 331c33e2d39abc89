#pragma once

// The toolkit's text-to-integer rule, shared by the INI reader and the colour
// conversions: optional leading blanks, an optional sign, then decimal digits
// or hexadecimal digits after "$", "0x" or "x"; nothing may follow.
// Decimal must fit in 32 signed bits; hexadecimal may use all 32 bits and
// wraps into the signed range ("$FFFFFFFF" is -1).

#include "SolvekException.h"

#include <QString>
#include <optional>

namespace platform {

// A text that the toolkit's conversions cannot turn into a value.
class EConvertError : public solvek::Exception {
public:
    using solvek::Exception::Exception;
};

std::optional<qint32> parseToolkitInteger(const QString& text);
// The strict form: raises EConvertError "'<text>' is not a valid integer value".
qint32 StrToInt(const QString& text);

} // namespace platform

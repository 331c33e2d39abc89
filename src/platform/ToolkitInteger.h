#pragma once

// The toolkit's text-to-integer rule, shared by the INI reader and the colour
// conversions: optional leading blanks, an optional sign, then decimal digits
// or hexadecimal digits after "$", "0x" or "x"; nothing may follow.
// Decimal must fit in 32 signed bits; hexadecimal may use all 32 bits and
// wraps into the signed range ("$FFFFFFFF" is -1).

#include <QString>
#include <optional>

namespace platform {

std::optional<qint32> parseToolkitInteger(const QString& text);

} // namespace platform

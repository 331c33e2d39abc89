#include "HostName.h"

#include "SystemText.h"

#include <array>

namespace {

constexpr std::array<bool, 128> NameCharacters = [] {
    std::array<bool, 128> allowed{};
    for (char16_t c = 0; c < 128; ++c)
        allowed[c] = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                     (c >= u'0' && c <= u'9') || c == u'-' || c == u'_';
    return allowed;
}();

template <class View> bool isHostNameIn(View text)
{
    if (text.isEmpty() || text.size() > 253)
        return false;
    qsizetype labelLength = 0;
    for (const auto c : text) {
        const char16_t unit = systemtext::unitOf(c);
        if (unit == u'.') {
            if (labelLength == 0)
                return false;
            labelLength = 0;
            continue;
        }
        if (unit >= NameCharacters.size() || !NameCharacters[unit] || ++labelLength > 63)
            return false;
    }
    return labelLength > 0;
}

} // namespace

bool isHostName(QStringView text)
{
    return isHostNameIn(text);
}

bool isHostName(QByteArrayView text)
{
    return isHostNameIn(text);
}

#include "ToolkitColors.h"

#include <QGuiApplication>
#include <QPalette>
#include <array>

namespace platform {

namespace {

struct NamedColor {
    TColor value;
    const char* name;
};

// In the toolkit's order: the first name of a value is its text form.
constexpr std::array<NamedColor, 52> namedColors{{
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
}};

struct PaletteEntry {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// The palette entry that plays the part of each system colour index.
std::optional<PaletteEntry> paletteEntryOf(unsigned index)
{
    constexpr auto A = QPalette::Active;
    switch (index) {
    case 0:  // scroll bar
    case 15: // button face
        return PaletteEntry{A, QPalette::Button};
    case 1:  // desktop
    case 12: // application work space
    case 16: // button shadow
        return PaletteEntry{A, QPalette::Dark};
    case 2:  // active caption
    case 13: // highlight
    case 27: // gradient of the active caption
    case 29: // menu highlight
        return PaletteEntry{A, QPalette::Highlight};
    case 3:  // inactive caption
    case 28: // gradient of the inactive caption
        return PaletteEntry{QPalette::Inactive, QPalette::Mid};
    case 4:  // menu
    case 10: // active border
    case 11: // inactive border
    case 30: // menu bar
        return PaletteEntry{A, QPalette::Window};
    case 5: // window
        return PaletteEntry{A, QPalette::Base};
    case 6:  // window frame
    case 21: // 3D dark shadow
        return PaletteEntry{A, QPalette::Shadow};
    case 7: // menu text
        return PaletteEntry{A, QPalette::WindowText};
    case 8: // window text
        return PaletteEntry{A, QPalette::Text};
    case 9:  // caption text
    case 14: // highlighted text
        return PaletteEntry{A, QPalette::HighlightedText};
    case 17: // grey text
        return PaletteEntry{QPalette::Disabled, QPalette::Text};
    case 18: // button text
        return PaletteEntry{A, QPalette::ButtonText};
    case 19: // inactive caption text
        return PaletteEntry{QPalette::Inactive, QPalette::WindowText};
    case 20: // button highlight
        return PaletteEntry{A, QPalette::Light};
    case 22: // 3D light
        return PaletteEntry{A, QPalette::Midlight};
    case 23: // tooltip text
        return PaletteEntry{A, QPalette::ToolTipText};
    case 24: // tooltip background
        return PaletteEntry{A, QPalette::ToolTipBase};
    case 26: // hot-tracked item
        return PaletteEntry{A, QPalette::Link};
    default:
        return std::nullopt;
    }
}

bool isSystemColor(TColor color)
{
    return (color & 0x80000000u) != 0;
}

} // namespace

bool ColorToIdent(TColor color, QString& ident)
{
    for (const NamedColor& named : namedColors) {
        if (named.value == color) {
            ident = QString::fromLatin1(named.name);
            return true;
        }
    }
    return false;
}

bool IdentToColor(const QString& ident, TColor& color)
{
    for (const NamedColor& named : namedColors) {
        if (ident.compare(QLatin1String(named.name), Qt::CaseInsensitive) == 0) {
            color = named.value;
            return true;
        }
    }
    return false;
}

QString ColorToString(TColor color)
{
    QString ident;
    if (ColorToIdent(color, ident))
        return ident;
    return QStringLiteral("$%1").arg(color, 8, 16, QLatin1Char('0')).toUpper();
}

TColor StringToColor(const QString& text)
{
    TColor color = 0;
    if (IdentToColor(text, color))
        return color;
    return TColor(StrToInt(text));
}

QColor toQColor(TColor color)
{
    if (color == clNone)
        return QColor(Qt::transparent);
    if (color == clDefault)
        return QColor();
    if (isSystemColor(color)) {
        // The system answers black for an index it does not know.
        const auto entry = paletteEntryOf(color & 0xFF);
        if (!entry)
            return QColor(Qt::black);
        const QPalette palette = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                     ? QGuiApplication::palette()
                                     : QPalette();
        return palette.color(entry->group, entry->role);
    }
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

TColor fromQColor(const QColor& color)
{
    if (!color.isValid())
        return clDefault;
    if (color.alpha() == 0)
        return clNone;
    const QColor rgb = color.toRgb();
    return TColor(rgb.red()) | TColor(rgb.green()) << 8 | TColor(rgb.blue()) << 16;
}

} // namespace platform

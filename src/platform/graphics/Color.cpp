#include "platform/graphics/Color.h"

#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"

#include <array>

namespace tessiv {

namespace {

// The classic desktop scheme, by system colour index (0x00BBGGRR).
constexpr std::array<TColor, 25> kSystemColors = {
    RGB(192, 192, 192), // scroll bar
    RGB(0, 128, 128),   // background
    RGB(0, 0, 128),     // active caption
    RGB(128, 128, 128), // inactive caption
    RGB(192, 192, 192), // menu
    RGB(255, 255, 255), // window
    RGB(0, 0, 0),       // window frame
    RGB(0, 0, 0),       // menu text
    RGB(0, 0, 0),       // window text
    RGB(255, 255, 255), // caption text
    RGB(192, 192, 192), // active border
    RGB(192, 192, 192), // inactive border
    RGB(128, 128, 128), // application workspace
    RGB(0, 0, 128),     // highlight
    RGB(255, 255, 255), // highlight text
    RGB(192, 192, 192), // button face
    RGB(128, 128, 128), // button shadow
    RGB(128, 128, 128), // grey text
    RGB(0, 0, 0),       // button text
    RGB(192, 192, 192), // inactive caption text
    RGB(255, 255, 255), // button highlight
    RGB(0, 0, 0),       // 3D dark shadow
    RGB(223, 223, 223), // 3D light
    RGB(0, 0, 0),       // info text
    RGB(255, 255, 225), // info background
};

} // namespace

TColor ColorToRGB(TColor color)
{
    if (color == clNone)
        return clWhite;
    if (color == clDefault)
        return clBlack;
    if ((color & clSystemColor) != 0) {
        const int index = color & 0xFF;
        return index < int(kSystemColors.size()) ? kSystemColors[index] : clBlack;
    }
    return color & 0xFFFFFF;
}

QColor ColorToQColor(TColor color)
{
    const TColor c = ColorToRGB(color);
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

TColor QColorToColor(const QColor& color)
{
    return RGB(color.red(), color.green(), color.blue());
}

const TIdentMap& ColorIdents()
{
    static const TIdentMap map{{
        {clBlack, QStringLiteral("clBlack")},
        {clMaroon, QStringLiteral("clMaroon")},
        {clGreen, QStringLiteral("clGreen")},
        {clOlive, QStringLiteral("clOlive")},
        {clNavy, QStringLiteral("clNavy")},
        {clPurple, QStringLiteral("clPurple")},
        {clTeal, QStringLiteral("clTeal")},
        {clGray, QStringLiteral("clGray")},
        {clSilver, QStringLiteral("clSilver")},
        {clRed, QStringLiteral("clRed")},
        {clLime, QStringLiteral("clLime")},
        {clYellow, QStringLiteral("clYellow")},
        {clBlue, QStringLiteral("clBlue")},
        {clFuchsia, QStringLiteral("clFuchsia")},
        {clAqua, QStringLiteral("clAqua")},
        {clWhite, QStringLiteral("clWhite")},
        {clScrollBar, QStringLiteral("clScrollBar")},
        {clBackground, QStringLiteral("clBackground")},
        {clActiveCaption, QStringLiteral("clActiveCaption")},
        {clInactiveCaption, QStringLiteral("clInactiveCaption")},
        {clMenu, QStringLiteral("clMenu")},
        {clWindow, QStringLiteral("clWindow")},
        {clWindowFrame, QStringLiteral("clWindowFrame")},
        {clMenuText, QStringLiteral("clMenuText")},
        {clWindowText, QStringLiteral("clWindowText")},
        {clCaptionText, QStringLiteral("clCaptionText")},
        {clActiveBorder, QStringLiteral("clActiveBorder")},
        {clInactiveBorder, QStringLiteral("clInactiveBorder")},
        {clAppWorkSpace, QStringLiteral("clAppWorkSpace")},
        {clHighlight, QStringLiteral("clHighlight")},
        {clHighlightText, QStringLiteral("clHighlightText")},
        {clBtnFace, QStringLiteral("clBtnFace")},
        {clBtnShadow, QStringLiteral("clBtnShadow")},
        {clGrayText, QStringLiteral("clGrayText")},
        {clBtnText, QStringLiteral("clBtnText")},
        {clInactiveCaptionText, QStringLiteral("clInactiveCaptionText")},
        {clBtnHighlight, QStringLiteral("clBtnHighlight")},
        {cl3DDkShadow, QStringLiteral("cl3DDkShadow")},
        {cl3DLight, QStringLiteral("cl3DLight")},
        {clInfoText, QStringLiteral("clInfoText")},
        {clInfoBk, QStringLiteral("clInfoBk")},
        {clNone, QStringLiteral("clNone")},
        {clDefault, QStringLiteral("clDefault")},
    }};
    return map;
}

QString ColorToString(TColor color)
{
    if (auto name = ColorIdents().IntToIdent(color))
        return *name;
    return QStringLiteral("$") + IntToHex(static_cast<std::uint32_t>(color), 8);
}

TColor StringToColor(const QString& text)
{
    if (auto value = ColorIdents().IdentToInt(text.trimmed()))
        return TColor(*value);
    return TColor(StrToInt(text));
}

} // namespace tessiv

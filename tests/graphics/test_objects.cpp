// Colours, fonts, pens and brushes: their values, change notifications and how they stream.

#include "GraphicsTestUtil.h"

#include "platform/core/ClassRegistry.h"
#include "platform/core/Component.h"
#include "platform/core/ObjectText.h"
#include "platform/core/Reader.h"
#include "platform/core/Streams.h"
#include "platform/core/Writer.h"

#include <gtest/gtest.h>

using namespace tessiv;

namespace {

// A component that carries the three tools and a picture, as a shape or image control does.
class TToolHolder : public TComponent {
    TESSIV_CLASS(TToolHolder, TComponent)
public:
    explicit TToolHolder(TComponent* owner) : TComponent(owner) {}
    TFont Font;
    TPen Pen;
    TBrush Brush;
    TPicture Picture;
    TColor Color = clBtnFace;
};

} // namespace

TESSIV_IMPLEMENT_CLASS(TToolHolder, TComponent,
    t.Integer(QStringLiteral("Color"), &TToolHolder::Color, &TToolHolder::Color, clBtnFace, &ColorIdents());
    t.Object<TFont>(QStringLiteral("Font"), [](const TToolHolder& h) { return &h.Font; });
    t.Object<TPen>(QStringLiteral("Pen"), [](const TToolHolder& h) { return &h.Pen; });
    t.Object<TBrush>(QStringLiteral("Brush"), [](const TToolHolder& h) { return &h.Brush; });
    t.Object<TPicture>(QStringLiteral("Picture"), [](const TToolHolder& h) { return &h.Picture; });
)

namespace {

QByteArray WriteRoot(TComponent* c)
{
    TMemoryStream s;
    TWriter w(s);
    w.WriteRootComponent(c);
    return s.Bytes();
}

std::unique_ptr<TComponent, TComponentDeleter> ReadRoot(const QByteArray& bytes)
{
    RegisterClass(TToolHolder::StaticClass());
    TMemoryStream s(bytes);
    TReader r(s);
    return std::unique_ptr<TComponent, TComponentDeleter>(r.ReadRootComponent(nullptr));
}

} // namespace

TEST(Color, ValuesAndSystemColours)
{
    struct Case {
        TColor Color;
        TColor Rgb;
        const char* Name;
    } cases[] = {
        {clRed, 0x0000FF, "clRed"},
        {clNavy, 0x800000, "clNavy"},
        {clBtnFace, RGB(192, 192, 192), "clBtnFace"},
        {clWindow, RGB(255, 255, 255), "clWindow"},
        {clWindowText, RGB(0, 0, 0), "clWindowText"},
        {clHighlight, RGB(0, 0, 128), "clHighlight"},
        {clInfoBk, RGB(255, 255, 225), "clInfoBk"},
        {0x00123456, 0x00123456, "$00123456"},
        {0x02123456, 0x00123456, "$02123456"}, // palette-relative flag dropped
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ColorToRGB(c.Color), c.Rgb) << c.Name;
        EXPECT_EQ(ColorToString(c.Color), QString::fromLatin1(c.Name));
        EXPECT_EQ(StringToColor(QString::fromLatin1(c.Name)), c.Color) << c.Name;
    }
    EXPECT_EQ(ColorToQColor(clRed), QColor(255, 0, 0));
}

TEST(Font, SizeAndHeightFollowTheResolution)
{
    TFont f;
    EXPECT_EQ(f.Name(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(f.Height(), -11);
    EXPECT_EQ(f.Size(), 8);
    f.SetSize(10);
    EXPECT_EQ(f.Height(), -13);
    EXPECT_EQ(f.LogFont(96).Height, -13);
    EXPECT_EQ(f.LogFont(600).Height, -83);
    EXPECT_EQ(f.LogFont(300).Height, -42);

    // Copied onto a printer's font, the size in points stays.
    TFont printer;
    printer.SetPixelsPerInch(600);
    printer.Assign(&f);
    EXPECT_EQ(printer.Height(), -83);
    EXPECT_EQ(printer.Size(), 10);
}

TEST(Font, NotifiesOncePerChangeAndPerAssign)
{
    TFont f;
    int calls = 0;
    f.OnChange = [&](TGraphicsObject*) { ++calls; };
    f.SetColor(clRed);
    f.SetColor(clRed); // same value: no change
    EXPECT_EQ(calls, 1);
    TFont other;
    other.SetName(QStringLiteral("Arial"));
    other.SetStyle({fsBold, fsItalic});
    other.SetSize(14);
    f.Assign(&other);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(f.Name(), QStringLiteral("Arial"));
    EXPECT_TRUE(f.Style().Contains(fsItalic));
}

TEST(Brush, ColourOnAClearBrushMakesItSolid)
{
    TBrush b;
    b.SetStyle(bsClear);
    b.SetColor(clRed);
    EXPECT_EQ(b.Style(), bsSolid);
    TPen p;
    p.SetWidth(0);
    EXPECT_EQ(p.Width(), 1);
}

TEST(GraphicsObjects, StreamAsTheClassLibraryDoes)
{
    TToolHolder h(nullptr);
    h.SetName(QStringLiteral("Shape1"));
    h.Font.SetName(QStringLiteral("Arial"));
    h.Font.SetColor(clRed);
    h.Font.SetStyle({fsBold});
    h.Pen.SetStyle(psDot);
    h.Pen.SetMode(pmNotXor);
    h.Brush.SetStyle(bsClear);
    const QByteArray text = ObjectBinaryToText(WriteRoot(&h));
    const QByteArray expected =
        "object Shape1: TToolHolder\r\n"
        "  Font.Charset = DEFAULT_CHARSET\r\n"
        "  Font.Color = clRed\r\n"
        "  Font.Height = -11\r\n"
        "  Font.Name = 'Arial'\r\n"
        "  Font.Style = [fsBold]\r\n"
        "  Pen.Mode = pmNotXor\r\n"
        "  Pen.Style = psDot\r\n"
        "  Brush.Style = bsClear\r\n"
        "end\r\n";
    EXPECT_EQ(text.toStdString(), expected.toStdString());

    auto back = ReadRoot(WriteRoot(&h));
    auto* read = dynamic_cast<TToolHolder*>(back.get());
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->Font.Color(), clRed);
    EXPECT_EQ(read->Font.Name(), QStringLiteral("Arial"));
    EXPECT_EQ(read->Pen.Mode(), pmNotXor);
    EXPECT_EQ(read->Brush.Style(), bsClear);
    EXPECT_EQ(WriteRoot(read), WriteRoot(&h));
}

TEST(GraphicsObjects, DefaultsWriteOnlyTheFontsAlwaysStoredValues)
{
    TToolHolder h(nullptr);
    h.SetName(QStringLiteral("Shape2"));
    const QByteArray text = ObjectBinaryToText(WriteRoot(&h));
    EXPECT_TRUE(text.contains("Font.Color = clWindowText")) << text.constData();
    EXPECT_TRUE(text.contains("Font.Style = []")) << text.constData();
    EXPECT_FALSE(text.contains("Pen.")) << text.constData();
    EXPECT_FALSE(text.contains("Brush.")) << text.constData();
    EXPECT_FALSE(text.contains("Picture")) << text.constData();
}

// Exposed for the picture tests.
std::unique_ptr<TComponent, TComponentDeleter> RoundTripHolderWithPicture(const TPicture& picture, QByteArray* first,
                                                                          QByteArray* second)
{
    TToolHolder h(nullptr);
    h.SetName(QStringLiteral("Image1"));
    h.Picture.Assign(&picture);
    *first = WriteRoot(&h);
    auto back = ReadRoot(*first);
    *second = WriteRoot(back.get());
    return back;
}

const TPicture* HolderPicture(const TComponent* c)
{
    auto* h = dynamic_cast<const TToolHolder*>(c);
    return h ? &h->Picture : nullptr;
}

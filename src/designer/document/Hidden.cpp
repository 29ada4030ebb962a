#include "designer/document/Hidden.h"

#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsObjects.h"

namespace tessiv {

TESSIV_IMPLEMENT_CLASS(TfmHidden, TWinControl,
    t.String(QStringLiteral("Caption"), [](const TfmHidden& f) { return f.Caption(); },
             [](TfmHidden& f, const QString& v) { f.SetCaption(v); });
    t.Integer(QStringLiteral("Color"), [](const TfmHidden& f) { return f.Color(); },
              [](TfmHidden& f, std::int64_t v) { f.SetColor(TColor(v)); }, std::nullopt, &ColorIdents());
    t.Object<TFont>(QStringLiteral("Font"), [](const TfmHidden& f) { return f.Font(); });
    t.Boolean(QStringLiteral("OldCreateOrder"), &TfmHidden::OldCreateOrder, &TfmHidden::SetOldCreateOrder);
    t.Boolean(QStringLiteral("Scaled"), &TfmHidden::Scaled, &TfmHidden::SetScaled);
    t.Integer(QStringLiteral("PixelsPerInch"), &TfmHidden::PixelsPerInch, &TfmHidden::SetPixelsPerInch);
    t.Integer(QStringLiteral("TextHeight"), &TfmHidden::TextHeight, &TfmHidden::SetTextHeight);
)

TfmHidden::TfmHidden(TComponent* owner) : TWinControl(owner)
{
    SetBounds(117, 205, 248, 133);
    SetCaption(QStringLiteral("fmHidden"));
    SetColor(clBtnFace);
    Font()->SetCharset(DEFAULT_CHARSET);
    Font()->SetColor(clWindowText);
    Font()->SetHeight(-11);
    Font()->SetName(QStringLiteral("MS Sans Serif"));
    Font()->SetStyle({});
    SetParentFont(false);
}

void TfmHidden::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root)
{
    TWinControl::GetChildren(proc, root);
    for (int i = 0; i < ComponentCount(); ++i)
        if (!Components(i)->GetParentComponent())
            proc(Components(i));
}

} // namespace tessiv

#pragma once
// The published properties that the text printables share, one helper each: every class lists
// them in the order its report files hold them, and that order differs from class to class.

#include "engine/printables/KVCustomLabel.h"
#include "platform/graphics/Color.h"

namespace tessiv {

template <class C>
void PublishAlignment(TPropertyTable<C>& t)
{
    t.Enum(QStringLiteral("Alignment"), AlignmentInfo(), &C::Alignment, &C::SetAlignment);
}

template <class C>
void PublishAlignToBand(TPropertyTable<C>& t)
{
    t.Boolean(QStringLiteral("AlignToBand"), &C::AlignToBand, &C::SetAlignToBand);
}

template <class C>
void PublishAutoSize(TPropertyTable<C>& t)
{
    t.Boolean(QStringLiteral("AutoSize"), &C::AutoSize, &C::SetAutoSize);
}

template <class C>
void PublishAutoStretch(TPropertyTable<C>& t)
{
    t.Boolean(QStringLiteral("AutoStretch"), &C::AutoStretch, &C::SetAutoStretch);
}

// Stored only when the colour is the text's own, not its parent's.
template <class C>
void PublishColor(TPropertyTable<C>& t)
{
    t.Integer(QStringLiteral("Color"), &C::Color, &C::SetColor, clWindow, &ColorIdents())
        .WithStored([](const TPersistent* p) { return !static_cast<const C*>(p)->ParentColor(); });
}

template <class C>
void PublishFont(TPropertyTable<C>& t)
{
    t.template Object<TFont>(QStringLiteral("Font"), &C::Font)
        .WithStored([](const TPersistent* p) { return !static_cast<const C*>(p)->ParentFont(); });
}

template <class C>
void PublishParentFont(TPropertyTable<C>& t)
{
    t.Boolean(QStringLiteral("ParentFont"), &C::ParentFont, &C::SetParentFont, true);
}

template <class C>
void PublishTransparent(TPropertyTable<C>& t)
{
    t.Boolean(QStringLiteral("Transparent"), &C::Transparent, &C::SetTransparent);
}

template <class C>
void PublishWordWrap(TPropertyTable<C>& t)
{
    t.Boolean(QStringLiteral("WordWrap"), &C::WordWrap, &C::SetWordWrap);
}

template <class C>
void PublishOnPrint(TPropertyTable<C>& t)
{
    t.Event(QStringLiteral("OnPrint"), static_cast<TKVLabelOnPrintEvent C::*>(&C::OnPrint));
}

} // namespace tessiv

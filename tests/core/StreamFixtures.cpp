#include "StreamFixtures.h"

#include "platform/core/ClassRegistry.h"
#include "platform/core/Reader.h"
#include "platform/core/Streams.h"
#include "platform/core/Writer.h"

#include <algorithm>

namespace fixtures {

const TEnumInfo& ShadeInfo()
{
    static const TEnumInfo info{QStringLiteral("TShade"),
                                {QStringLiteral("shNone"), QStringLiteral("shLight"), QStringLiteral("shDark")}};
    return info;
}

const TEnumInfo& StyleInfo()
{
    static const TEnumInfo info{QStringLiteral("TStyleItem"),
                                {QStringLiteral("stBold"), QStringLiteral("stItalic"),
                                 QStringLiteral("stUnderline"), QStringLiteral("stStrikeOut")}};
    return info;
}

const TIdentMap& ColorIdents()
{
    static const TIdentMap map{{{0x000000, QStringLiteral("clBlack")},
                                {0xFFFFFF, QStringLiteral("clWhite")},
                                {0x0000FF, QStringLiteral("clRed")}}};
    return map;
}

TESSIV_IMPLEMENT_CLASS(TTestFont, TPersistent,
    t.Integer(QStringLiteral("Color"), &TTestFont::Color, &TTestFont::Color, 0, &ColorIdents());
    t.String(QStringLiteral("Name"), &TTestFont::Name, &TTestFont::Name);
    t.Integer(QStringLiteral("Size"), &TTestFont::Size, &TTestFont::Size, 10);
    t.Set(QStringLiteral("Style"), StyleInfo(), &TTestFont::Style, &TTestFont::Style, 0);
)

void TTestFont::Assign(const TPersistent* source)
{
    if (auto* f = dynamic_cast<const TTestFont*>(source)) {
        Name = f->Name;
        Size = f->Size;
        Style = f->Style;
        Color = f->Color;
        return;
    }
    TPersistent::Assign(source);
}

TESSIV_IMPLEMENT_CLASS(TTestItem, TCollectionItem,
    t.String(QStringLiteral("Caption"), &TTestItem::Caption, &TTestItem::Caption);
    t.Integer(QStringLiteral("Width"), &TTestItem::Width, &TTestItem::Width, 64);
)

int TTestPanel::LoadedCounter = 0;

TESSIV_IMPLEMENT_CLASS(TTestPanel, TComponent,
    t.Integer(QStringLiteral("Left"), &TTestPanel::Left, &TTestPanel::Left);
    t.Int64(QStringLiteral("Big"), &TTestPanel::Big, &TTestPanel::Big);
    t.Integer(QStringLiteral("Color"), &TTestPanel::Color, &TTestPanel::Color, 0xFFFFFF, &ColorIdents());
    t.Enum(QStringLiteral("Shade"), ShadeInfo(), &TTestPanel::Shade, &TTestPanel::Shade, shNone);
    t.Boolean(QStringLiteral("Visible"), &TTestPanel::Visible, &TTestPanel::Visible, true);
    t.Boolean(QStringLiteral("Checked"), &TTestPanel::Checked, &TTestPanel::Checked, false);
    t.Set(QStringLiteral("Styles"), StyleInfo(), &TTestPanel::Styles, &TTestPanel::Styles, 0);
    t.Float(QStringLiteral("Ratio"), &TTestPanel::Ratio, &TTestPanel::Ratio, TFloatType::ftSingle);
    t.Float(QStringLiteral("Scale"), &TTestPanel::Scale, &TTestPanel::Scale, TFloatType::ftDouble);
    t.Float(QStringLiteral("Exact"), &TTestPanel::Exact, &TTestPanel::Exact);
    t.Float(QStringLiteral("Price"), &TTestPanel::Price, &TTestPanel::Price, TFloatType::ftCurr);
    t.Float(QStringLiteral("When"), &TTestPanel::When, &TTestPanel::When, TFloatType::ftDateTime);
    t.String(QStringLiteral("Caption"), &TTestPanel::Caption, &TTestPanel::Caption);
    t.Object<TTestFont>(QStringLiteral("Font"), &TTestPanel::Font);
    t.Object<TCollection>(QStringLiteral("Items"), &TTestPanel::Items);
    t.Object<TStringList>(QStringLiteral("Lines"), &TTestPanel::Lines);
    t.Reference<TTestPanel>(QStringLiteral("Link"), &TTestPanel::Link, &TTestPanel::SetLink);
    t.Event(QStringLiteral("OnClick"), &TTestPanel::OnClick);
)

TTestPanel::TTestPanel(TComponent* owner)
    : TComponent(owner),
      Font(new TTestFont),
      Items(new TCollection(TTestItem::StaticClass(), [](TCollection* c) { return new TTestItem(c); }, this)),
      Lines(new TStringList)
{
}

TTestPanel::~TTestPanel()
{
    // Children are owned by the root, not by their parent panel; they only forget us.
    for (TTestPanel* c : Children)
        c->ParentPanel = nullptr;
    if (ParentPanel) {
        auto& siblings = ParentPanel->Children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    delete Lines;
    delete Items;
    delete Font;
}

void TTestPanel::SetParentPanel(TTestPanel* parent)
{
    if (ParentPanel) {
        auto& siblings = ParentPanel->Children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    ParentPanel = parent;
    if (parent)
        parent->Children.push_back(this);
}

void TTestPanel::SetParentComponent(TComponent* parent)
{
    SetParentPanel(dynamic_cast<TTestPanel*>(parent));
}

void TTestPanel::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root)
{
    for (TTestPanel* c : Children)
        if (c->Owner() == root)
            proc(c);
}

void TTestPanel::SetLink(TTestPanel* link)
{
    Link = link;
    if (link)
        link->FreeNotification(this);
}

void TTestPanel::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == Link)
        Link = nullptr;
}

void TTestPanel::Loaded()
{
    TComponent::Loaded();
    LoadedOrder = LoadedCounter++;
}

void TTestPanel::DefineProperties(TFiler& filer)
{
    TComponent::DefineProperties(filer);
    filer.DefineProperty(
        QStringLiteral("Values"),
        [this](TReader& r) {
            Values.clear();
            r.ReadListBegin();
            while (!r.EndOfList())
                Values.push_back(r.ReadFloat());
            r.ReadListEnd();
        },
        [this](TWriter& w) {
            w.WriteListBegin();
            for (long double v : Values)
                w.WriteFloat(v);
            w.WriteListEnd();
        },
        !Values.empty());
    filer.DefineBinaryProperty(
        QStringLiteral("Data"), [this](TStream& s) { Data = s.ReadBytes(s.Size()); },
        [this](TStream& s) { s.WriteBytes(Data); }, !Data.isEmpty());
    filer.DefineProperty(
        QStringLiteral("Mode"), [this](TReader& r) { OldMode = r.ReadInteger(); }, nullptr, false);
}

TESSIV_IMPLEMENT_CLASS(TTestRoot, TComponent,
    t.String(QStringLiteral("Title"), &TTestRoot::Title, &TTestRoot::Title);
)

void TTestRoot::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root)
{
    for (int i = 0; i < ComponentCount(); ++i) {
        TComponent* c = Components(i);
        if (!c->GetParentComponent() || c->GetParentComponent() == this)
            proc(c);
    }
}

TESSIV_IMPLEMENT_CLASS(TTestSource, TComponent,
    t.Reference<TComponent>(QStringLiteral("Target"), &TTestSource::Target, &TTestSource::SetTarget);
)

void TTestSource::SetTarget(TComponent* target)
{
    Target = target;
    if (target)
        target->FreeNotification(this);
}

void TTestSource::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == Target)
        Target = nullptr;
}

void RegisterFixtureClasses()
{
    RegisterClasses({&TTestRoot::StaticClass(), &TTestPanel::StaticClass(), &TTestSource::StaticClass()});
}

RootPtr BuildTree()
{
    RegisterFixtureClasses();
    auto* root = new TTestRoot(nullptr);
    root->SetName(QStringLiteral("fmHidden"));
    root->Title = QStringLiteral("Relatório de vendas");

    auto* p = new TTestPanel(root);
    p->SetName(QStringLiteral("Report"));
    p->Left = -300;
    p->Big = 0x123456789ALL;
    p->Color = 0x0000FF;
    p->Shade = shDark;
    p->Visible = false;
    p->Checked = true;
    p->Styles = {stBold, stUnderline};
    p->Ratio = 1.5f;
    p->Scale = 0.1;
    p->Exact = 1.0L / 3.0L;
    p->Price = 12.3456L;
    p->When = 46366.5;
    p->Caption = QString(300, QLatin1Char('x')); // a long string
    p->Font->Name = QStringLiteral("Courier New");
    p->Font->Size = 12;
    p->Font->Style = {stItalic};
    p->Font->Color = 0x123456;
    static_cast<TTestItem*>(p->Items->Add())->Caption = QStringLiteral("first");
    auto* second = static_cast<TTestItem*>(p->Items->Add());
    second->Width = 100000;
    p->OnClick.MethodName = QStringLiteral("ReportClick");
    p->Lines->Add(QStringLiteral("select * from clientes"));
    p->Lines->Add(QString());
    p->Lines->Add(QStringLiteral("where cidade = 'São Paulo'"));
    p->Values = {100.0L, 2100.0L, 2970.0L, 1.0L / 7.0L, -0.0L};
    p->Data = QByteArray("\x00\x01\x02\xFF binary", 11);

    auto* child = new TTestPanel(root);
    child->SetName(QStringLiteral("Detail"));
    child->SetParentPanel(p);
    child->Caption = QStringLiteral("Ω wide"); // outside cp1252: a wide string
    child->SetLink(p);

    auto* grandChild = new TTestPanel(root);
    grandChild->SetName(QStringLiteral("Child1"));
    grandChild->SetParentPanel(child);
    grandChild->Values = {20.0L, 40.0L};
    p->SetLink(grandChild); // a reference forward in the stream

    auto* source = new TTestSource(root);
    source->SetName(QStringLiteral("Source"));
    source->SetTarget(child);
    return RootPtr(root);
}

} // namespace fixtures

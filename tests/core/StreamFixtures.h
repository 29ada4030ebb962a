#pragma once
// Small component classes that use every kind of stored value, for the streaming tests.

#include "platform/core/Collection.h"
#include "platform/core/Component.h"
#include "platform/core/Filer.h"
#include "platform/core/Strings.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

namespace fixtures {

using namespace tessiv;

enum TShade { shNone, shLight, shDark };
enum TStyleItem { stBold, stItalic, stUnderline, stStrikeOut };
using TStyles = TSet<TStyleItem>;

const TEnumInfo& ShadeInfo();
const TEnumInfo& StyleInfo();
const TIdentMap& ColorIdents();

class TTestFont : public TPersistent {
    TESSIV_CLASS(TTestFont, TPersistent)
public:
    QString Name = QStringLiteral("Arial");
    int Size = 10;
    TStyles Style;
    int Color = 0;
    void Assign(const TPersistent* source) override;
};

class TTestItem : public TCollectionItem {
    TESSIV_CLASS(TTestItem, TCollectionItem)
public:
    using TCollectionItem::TCollectionItem;
    QString Caption;
    int Width = 64;
};

// A control-like component: nested children, and every kind of property.
class TTestPanel : public TComponent {
    TESSIV_CLASS(TTestPanel, TComponent)
public:
    explicit TTestPanel(TComponent* owner);
    ~TTestPanel() override;

    // the tree of panels
    TTestPanel* ParentPanel = nullptr;
    std::vector<TTestPanel*> Children;
    void SetParentPanel(TTestPanel* parent);
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override { return ParentPanel; }
    void SetParentComponent(TComponent* parent) override;
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;
    void Notification(TComponent* component, TOperation operation) override;
    void Loaded() override;

    // stored values
    int Left = 0;
    std::int64_t Big = 0;
    int Color = 0xFFFFFF; // clWhite
    TShade Shade = shNone;
    bool Visible = true;
    bool Checked = false;
    TStyles Styles;
    float Ratio = 0;
    double Scale = 0;
    long double Exact = 0;
    long double Price = 0;
    double When = 0;
    QString Caption;
    TTestFont* Font;
    TCollection* Items;
    TStringList* Lines;
    TTestPanel* Link = nullptr;
    TEvent<void(TComponent*)> OnClick;
    std::vector<long double> Values; // defined property "Values"
    QByteArray Data;                  // defined binary property "Data"
    int OldMode = -1;                 // an old property name: read, never written

    void SetLink(TTestPanel* link);
    void DefineProperties(TFiler& filer) override;

    int LoadedOrder = -1;
    static int LoadedCounter;
};

// The root of a stream: writes its panels (those without a parent panel) and its other
// components as children, as a form does.
class TTestRoot : public TComponent {
    TESSIV_CLASS(TTestRoot, TComponent)
public:
    using TComponent::TComponent;
    QString Title;
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;
};

// A plain component with a reference, like a data source pointing at its dataset.
class TTestSource : public TComponent {
    TESSIV_CLASS(TTestSource, TComponent)
public:
    using TComponent::TComponent;
    TComponent* Target = nullptr;
    void SetTarget(TComponent* target);
    void Notification(TComponent* component, TOperation operation) override;
};

void RegisterFixtureClasses();

using RootPtr = std::unique_ptr<TComponent, TComponentDeleter>;
// A root with two panels, a nested child panel, a source referencing a panel, and every kind of
// stored value on the first panel.
RootPtr BuildTree();

} // namespace fixtures

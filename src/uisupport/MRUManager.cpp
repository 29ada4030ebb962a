#include "uisupport/MRUManager.h"

#include "platform/core/Cp1252.h"
#include "platform/ui/Application.h"
#include "uisupport/AppUtils.h"
#include "uisupport/FormPlacement.h"

#include <QAction>
#include <QMenu>

#include <algorithm>

namespace tessiv {

// ---- TRecentStrings ---------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TRecentStrings, TStringList)

void TRecentStrings::SetMaxSize(int value)
{
    value = std::max(1, value);
    if (value == FMaxSize)
        return;
    FMaxSize = value;
    TUpdateScope update(*this);
    DeleteExceed();
}

void TRecentStrings::DeleteExceed()
{
    TUpdateScope update(*this);
    while (Count() > FMaxSize)
        Delete(FMode == rmInsert ? Count() - 1 : 0);
}

int TRecentStrings::Add(const QString& s)
{
    TUpdateScope update(*this);
    const int at = IndexOf(s);
    if (at >= 0) {
        const int target = FMode == rmInsert ? 0 : Count() - 1;
        if (at != target)
            Move(at, target);
        return target;
    }
    if (FMode == rmInsert)
        Insert(0, s);
    else
        Insert(Count(), s);
    DeleteExceed();
    return FMode == rmInsert ? 0 : Count() - 1;
}

int TRecentStrings::AddObject(const QString& s, TPersistent* object)
{
    TUpdateScope update(*this);
    const int index = Add(s);
    PutObject(index, object);
    return index;
}

void TRecentStrings::AddStrings(const TStrings* strings)
{
    if (!strings)
        return;
    TUpdateScope update(*this);
    const int n = std::min(strings->Count(), FMaxSize);
    if (FMode == rmAppend) {
        for (int i = 0; i < n; ++i)
            AddObject(strings->Strings(i), strings->Objects(i));
    } else {
        for (int i = n - 1; i >= 0; --i)
            AddObject(strings->Strings(i), strings->Objects(i));
    }
    DeleteExceed();
}

// ---- TMRUManager ------------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TMRUManager, TComponent)

TMRUManager::TMRUManager(TComponent* owner)
    : TComponent(owner), FList(std::make_unique<TRecentStrings>()), FIniLink(std::make_unique<TIniLink>()),
      FContext(std::make_unique<QObject>())
{
    FList->OnChange = [this](TStrings*) { ListChanged(); };
    FIniLink->OnSave = [this](TObject*) { IniSave(); };
    FIniLink->OnLoad = [this](TObject*) { IniLoad(); };
}

TMRUManager::~TMRUManager()
{
    ClearMenu();
    FIniLink.reset();
    FList->OnChange = nullptr;
}

TFormPlacement* TMRUManager::IniStorage() const { return FIniLink->Storage(); }

void TMRUManager::SetIniStorage(TFormPlacement* storage) { FIniLink->SetStorage(storage); }

void TMRUManager::SetRecentMenu(QMenu* menu)
{
    ClearMenu();
    FRecentMenu = menu;
    RebuildMenu();
}

void TMRUManager::SetAutoEnable(bool value)
{
    FAutoEnable = value;
    if (value)
        UpdateEnabled();
}

void TMRUManager::SetShowAccelChar(bool value)
{
    if (value == FShowAccelChar)
        return;
    FShowAccelChar = value;
    if (FAutoUpdate)
        RebuildMenu();
}

void TMRUManager::SetStartAccel(unsigned value)
{
    if (value == FStartAccel)
        return;
    FStartAccel = value;
    if (FAutoUpdate)
        RebuildMenu();
}

void TMRUManager::SetAccelDelimiter(TAccelDelimiter value)
{
    if (value == FAccelDelimiter)
        return;
    FAccelDelimiter = value;
    if (FAutoUpdate && FShowAccelChar)
        RebuildMenu();
}

void TMRUManager::SetSeparateSize(int value)
{
    if (value == FSeparateSize)
        return;
    FSeparateSize = value;
    if (FAutoUpdate)
        RebuildMenu();
}

void TMRUManager::AddRecent(const QString& recentName, int userData)
{
    FList->AddObject(recentName, TRecentStrings::UserObject(userData));
}

void TMRUManager::RemoveRecent(const QString& recentName)
{
    const int i = FList->IndexOf(recentName);
    if (i >= 0)
        FList->Delete(i);
}

void TMRUManager::ListChanged()
{
    if (OnChange)
        OnChange(this);
    if (FAutoUpdate)
        RebuildMenu();
}

std::vector<QAction*> TMRUManager::Items() const
{
    std::vector<QAction*> items;
    for (const auto& a : FItems)
        if (a)
            items.push_back(a.data());
    return items;
}

QString TMRUManager::AccelPrefix(unsigned n)
{
    if (n < 10)
        return QLatin1Char('&') + QString::number(n);
    if (n <= 100) {
        // The letters from A on, and past Z the code page's next characters.
        const char c = static_cast<char>(n + 55);
        return QLatin1Char('&') + FromCp1252(&c, 1);
    }
    return QStringLiteral(" ");
}

void TMRUManager::UpdateEnabled()
{
    if (FRecentMenu)
        FRecentMenu->menuAction()->setEnabled(!FRecentMenu->actions().isEmpty());
}

void TMRUManager::ClearMenu()
{
    for (const auto& a : FMadeItems) {
        if (a && FRecentMenu && FRecentMenu->actions().contains(a.data())) {
            FRecentMenu->removeAction(a.data());
            // Later: the item may be the one whose click is being handled.
            a->deleteLater();
        }
    }
    FMadeItems.clear();
    FItems.clear();
    if (FAutoEnable)
        UpdateEnabled();
}

void TMRUManager::RebuildMenu()
{
    ClearMenu();
    QMenu* menu = FRecentMenu.data();
    if (!menu)
        return;
    auto addSeparator = [&] {
        QAction* s = new QAction(menu);
        s->setSeparator(true);
        menu->addAction(s);
        FMadeItems.emplace_back(s);
    };
    if (FList->Count() > 0 && !menu->actions().isEmpty())
        addSeparator();
    for (int i = 0; i < FList->Count(); ++i) {
        if (FSeparateSize > 0 && i >= 1 && i % FSeparateSize == 0)
            addSeparator();
        QString caption = FList->Strings(i);
        QKeySequence shortCut;
        const int userData = TRecentStrings::UserData(FList->Objects(i));
        if (OnGetItemData)
            OnGetItemData(this, caption, shortCut, userData);
        // "Short|Long": the item shows the short part, the status line the long one.
        const qsizetype bar = caption.indexOf(QLatin1Char('|'));
        QString text = bar >= 0 ? caption.left(bar) : caption;
        const QString hint = bar >= 0 ? caption.mid(bar + 1) : caption;
        if (FShowAccelChar)
            text = AccelPrefix(static_cast<unsigned>(i) + FStartAccel) +
                   (FAccelDelimiter == adTab ? QLatin1Char('\t') : QLatin1Char(' ')) + text;
        QAction* item = new QAction(text, menu);
        item->setShortcut(shortCut);
        item->setStatusTip(hint);
        item->setData(i);
        QObject::connect(item, &QAction::triggered, FContext.get(), [this, item] { MenuItemClick(item); });
        menu->addAction(item);
        FMadeItems.emplace_back(item);
        FItems.emplace_back(item);
    }
    if (FAutoEnable)
        UpdateEnabled();
}

void TMRUManager::MenuItemClick(QAction* item)
{
    if (!item)
        return;
    const int i = item->data().toInt();
    if (i < 0 || i >= FList->Count())
        return;
    const QString name = FList->Strings(i);
    const QString caption = item->text();
    const int userData = TRecentStrings::UserData(FList->Objects(i));
    // The handler's error is shown here, at the program's boundary, rather than carried back
    // through the menu's signal.
    std::exception_ptr error;
    try {
        if (OnClick)
            OnClick(this, name, caption, userData);
    } catch (...) {
        error = std::current_exception();
    }
    // The handler may have moved names about: the one clicked goes by its name.
    if (FRemoveOnSelect)
        RemoveRecent(name);
    if (error)
        Application().HandleException(error);
}

QString TMRUManager::IniSectionName() const
{
    // A form being destroyed no longer has its own class name: the section found while it was
    // whole is kept.
    if (!Owner() || !Owner()->ComponentState().Contains(csDestroying))
        FSection = ComponentIniSection(this);
    return FIniLink->RootSection() + FSection;
}

void TMRUManager::IniSave()
{
    if (!Name().isEmpty() && FIniLink->IniObject())
        SaveToIni(FIniLink->IniObject(), IniSectionName());
}

void TMRUManager::IniLoad()
{
    if (!Name().isEmpty() && FIniLink->IniObject())
        LoadFromIni(FIniLink->IniObject(), IniSectionName());
}

void TMRUManager::WriteRecentItem(TIniFile* ini, const QString& section, int index)
{
    const QString name = FList->Strings(index);
    const int userData = TRecentStrings::UserData(FList->Objects(index));
    if (OnWriteItem) {
        OnWriteItem(this, ini, section, index, name, userData);
        return;
    }
    IniWriteString(ini, section, QStringLiteral("Item_%1").arg(index), name);
    if (userData != 0)
        IniWriteInteger(ini, section, QStringLiteral("User_%1").arg(index), userData);
    else
        IniDeleteKey(ini, section, QStringLiteral("User_%1").arg(index));
}

void TMRUManager::ReadRecentItem(TIniFile* ini, const QString& section, int index, QString& name, int& userData)
{
    if (OnReadItem) {
        OnReadItem(this, ini, section, index, name, userData);
        return;
    }
    name = IniReadString(ini, section, QStringLiteral("Item_%1").arg(index), QString());
    userData = IniReadInteger(ini, section, QStringLiteral("User_%1").arg(index), 0);
}

void TMRUManager::SaveToIni(TIniFile* ini, const QString& section)
{
    IniEraseSection(ini, section);
    for (int i = 0; i < FList->Count(); ++i)
        WriteRecentItem(ini, section, i);
}

void TMRUManager::LoadFromIni(TIniFile* ini, const QString& section)
{
    TUpdateScope update(*FList);
    const TRecentMode mode = FList->Mode();
    FList->Clear();
    FList->SetMode(rmInsert);
    try {
        for (int i = FList->MaxSize() - 1; i >= 0; --i) {
            QString name;
            int userData = 0;
            ReadRecentItem(ini, section, i, name, userData);
            if (!name.isEmpty())
                FList->AddObject(name, TRecentStrings::UserObject(userData));
        }
    } catch (...) {
        FList->SetMode(mode);
        throw;
    }
    FList->SetMode(mode);
}

} // namespace tessiv

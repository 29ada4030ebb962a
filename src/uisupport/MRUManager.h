#pragma once
// The recent-files list: names kept once each (compared as its list compares: without case unless
// the list is made case-sensitive), newest first (or last), never more than a maximum; shown as
// numbered items under a menu, a click reported, and kept in the settings file through a
// window-placement component.

#include "platform/core/Component.h"
#include "platform/core/IniFiles.h"
#include "platform/core/Strings.h"

#include <QKeySequence>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QMenu;

namespace tessiv {

class TFormPlacement;
class TIniLink;

enum TRecentMode { rmInsert, rmAppend };
enum TAccelDelimiter { adTab, adSpace };

// Each line's object is its user data, an integer.
class TRecentStrings : public TStringList {
    TESSIV_CLASS(TRecentStrings, TStringList)
public:
    TRecentStrings() = default;

    int MaxSize() const { return FMaxSize; }
    // At least 1; the list is cut at once.
    void SetMaxSize(int value);
    TRecentMode Mode() const { return FMode; }
    void SetMode(TRecentMode mode) { FMode = mode; }

    // A new name goes to the front (rmInsert) or the end (rmAppend) and the list is cut to
    // MaxSize from the other side; a name already there moves instead. The name's new index.
    int Add(const QString& s) override;
    int AddObject(const QString& s, TPersistent* object) override;
    // At most MaxSize names of the source, so that the list ends in the source's order.
    using TStringList::AddStrings;
    void AddStrings(const TStrings* strings) override;
    // Drops names beyond MaxSize (from the end for rmInsert, the front for rmAppend).
    void DeleteExceed();

    static int UserData(TPersistent* object) { return static_cast<int>(reinterpret_cast<std::intptr_t>(object)); }
    static TPersistent* UserObject(int data) { return reinterpret_cast<TPersistent*>(static_cast<std::intptr_t>(data)); }

private:
    int FMaxSize = 10;
    TRecentMode FMode = rmInsert;
};

using TClickMenuEvent = std::function<void(TObject* sender, const QString& recentName, const QString& caption, int userData)>;
using TGetItemEvent = std::function<void(TObject* sender, QString& caption, QKeySequence& shortCut, int userData)>;
using TReadItemEvent = std::function<void(TObject* sender, TIniFile* iniFile, const QString& section, int index,
                                          QString& recentName, int& userData)>;
using TWriteItemEvent = std::function<void(TObject* sender, TIniFile* iniFile, const QString& section, int index,
                                           const QString& recentName, int userData)>;

class TMRUManager : public TComponent {
    TESSIV_CLASS(TMRUManager, TComponent)
public:
    explicit TMRUManager(TComponent* owner);
    ~TMRUManager() override;

    TRecentStrings* Strings() const { return FList.get(); }
    int Capacity() const { return FList->MaxSize(); }
    void SetCapacity(int value) { FList->SetMaxSize(value); }
    TRecentMode Mode() const { return FList->Mode(); }
    void SetMode(TRecentMode mode) { FList->SetMode(mode); }
    TFormPlacement* IniStorage() const;
    void SetIniStorage(TFormPlacement* storage);
    QMenu* RecentMenu() const { return FRecentMenu.data(); }
    void SetRecentMenu(QMenu* menu);
    bool AutoEnable() const { return FAutoEnable; }
    void SetAutoEnable(bool value);
    bool AutoUpdate() const { return FAutoUpdate; }
    void SetAutoUpdate(bool value) { FAutoUpdate = value; }
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool value);
    unsigned StartAccel() const { return FStartAccel; }
    void SetStartAccel(unsigned value);
    TAccelDelimiter AccelDelimiter() const { return FAccelDelimiter; }
    void SetAccelDelimiter(TAccelDelimiter value);
    int SeparateSize() const { return FSeparateSize; }
    void SetSeparateSize(int value);
    bool RemoveOnSelect() const { return FRemoveOnSelect; }
    void SetRemoveOnSelect(bool value) { FRemoveOnSelect = value; }

    TNotifyEvent OnChange;
    TClickMenuEvent OnClick;
    TGetItemEvent OnGetItemData;
    TReadItemEvent OnReadItem;
    TWriteItemEvent OnWriteItem;

    void AddRecent(const QString& recentName, int userData = 0);
    void RemoveRecent(const QString& recentName);
    void RebuildMenu();
    void ClearMenu();
    // The items made for the list, in order (separators not counted).
    std::vector<QAction*> Items() const;
    // The settings section: the storage's own section and "\", then this component's.
    QString IniSectionName() const;
    void SaveToIni(TIniFile* ini, const QString& section);
    void LoadFromIni(TIniFile* ini, const QString& section);

    // The prefix of item n ("&1" .. "&9", "&A" for 10 on, a blank past 100).
    static QString AccelPrefix(unsigned n);

private:
    void ListChanged();
    void MenuItemClick(QAction* item);
    void IniSave();
    void IniLoad();
    void WriteRecentItem(TIniFile* ini, const QString& section, int index);
    void ReadRecentItem(TIniFile* ini, const QString& section, int index, QString& name, int& userData);
    void UpdateEnabled();

    std::unique_ptr<TRecentStrings> FList;
    std::unique_ptr<TIniLink> FIniLink;
    QPointer<QMenu> FRecentMenu;
    std::vector<QPointer<QAction>> FItems;     // names
    std::vector<QPointer<QAction>> FMadeItems; // everything made, separators too
    bool FAutoEnable = true;
    bool FAutoUpdate = true;
    bool FShowAccelChar = true;
    unsigned FStartAccel = 1;
    TAccelDelimiter FAccelDelimiter = adTab;
    int FSeparateSize = 0;
    bool FRemoveOnSelect = false;
    mutable QString FSection;
    std::unique_ptr<QObject> FContext; // ends the connections when the manager goes
};

} // namespace tessiv

#pragma once
// A form's size, position and window state kept from one run to the next in the settings file:
// restored when the form is shown, saved when it may close and, if not saved since, while it is
// destroyed. It can also keep the form from being resized or hold it to size limits, and lets
// other components keep their own keys in its section (TIniLink).

#include "platform/core/Component.h"
#include "platform/core/IniFiles.h"
#include "platform/core/Persistent.h"
#include "platform/core/Sets.h"
#include "uisupport/Form.h"
#include "uisupport/WndHook.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace tessiv {

class TFormPlacement;

enum TPlacementOption { fpState, fpPosition, fpActiveControl };
using TPlacementOptions = TSet<TPlacementOption>;

// Size limits of a form; 0 leaves a limit as it is.
class TWinMinMaxInfo : public TPersistent {
    TESSIV_CLASS(TWinMinMaxInfo, TPersistent)
public:
    explicit TWinMinMaxInfo(TFormPlacement* owner = nullptr) : FOwner(owner) {}
    void Assign(const TPersistent* source) override;

    int MaxPosLeft() const { return FValues[0]; }
    int MaxPosTop() const { return FValues[1]; }
    int MaxSizeHeight() const { return FValues[2]; }
    int MaxSizeWidth() const { return FValues[3]; }
    int MaxTrackHeight() const { return FValues[4]; }
    int MaxTrackWidth() const { return FValues[5]; }
    int MinTrackHeight() const { return FValues[6]; }
    int MinTrackWidth() const { return FValues[7]; }
    void SetMaxPosLeft(int v) { Set(0, v); }
    void SetMaxPosTop(int v) { Set(1, v); }
    void SetMaxSizeHeight(int v) { Set(2, v); }
    void SetMaxSizeWidth(int v) { Set(3, v); }
    void SetMaxTrackHeight(int v) { Set(4, v); }
    void SetMaxTrackWidth(int v) { Set(5, v); }
    void SetMinTrackHeight(int v) { Set(6, v); }
    void SetMinTrackWidth(int v) { Set(7, v); }
    // All eight are 0.
    bool DefaultMinMaxInfo() const;

private:
    void Set(int index, int value);
    TFormPlacement* FOwner;
    int FValues[8] = {0, 0, 0, 0, 0, 0, 0, 0};
};

// Lets a component keep its keys through a placement component: OnSave after every save, OnLoad
// after every restore, while the settings file is open.
class TIniLink : public TPersistent {
    TESSIV_CLASS(TIniLink, TPersistent)
public:
    TIniLink() = default;
    ~TIniLink() override;
    TFormPlacement* Storage() const { return FStorage; }
    void SetStorage(TFormPlacement* storage);
    // The storage's open settings file, or nil.
    TIniFile* IniObject() const;
    // The storage's own section and "\", or "" when it has none of its own.
    QString RootSection() const;
    virtual void SaveToIni();
    virtual void LoadFromIni();

    TNotifyEvent OnSave;
    TNotifyEvent OnLoad;

private:
    TFormPlacement* FStorage = nullptr;
};

class TFormPlacement : public TComponent {
    TESSIV_CLASS(TFormPlacement, TComponent)
public:
    explicit TFormPlacement(TComponent* owner);
    ~TFormPlacement() override;

    bool Active() const { return FActive; }
    void SetActive(bool value) { FActive = value; }
    // DefaultIniFileName while empty.
    QString IniFileName() const;
    QString StoredIniFileName() const { return FIniFileName; }
    void SetIniFileName(const QString& name) { FIniFileName = name; }
    // The owner's section name while empty.
    QString IniSection() const;
    QString StoredIniSection() const { return FIniSection; }
    void SetIniSection(const QString& section) { FIniSection = section; }
    TWinMinMaxInfo* MinMaxInfo() const { return FMinMaxInfo.get(); }
    void SetMinMaxInfo(const TWinMinMaxInfo* info) { FMinMaxInfo->Assign(info); }
    TPlacementOptions Options() const { return FOptions; }
    void SetOptions(TPlacementOptions options) { FOptions = options; }
    bool PreventResize() const { return FPreventResize; }
    void SetPreventResize(bool value);
    int Version() const { return FVersion; }
    void SetVersion(int value) { FVersion = value; }
    TNotifyEvent OnSavePlacement;
    TNotifyEvent OnRestorePlacement;

    // Saving only happens once a restore was done (or while not Active), so a form that never
    // showed does not overwrite what is stored.
    void Save();
    void Restore();
    bool Restored() const { return FRestored; }
    bool Saved() const { return FSaved; }

    // The open settings file, or nil.
    TIniFile* IniObject() const { return FIni.get(); }
    virtual QString ReadString(const QString& section, const QString& ident, const QString& defaultValue);
    virtual void WriteString(const QString& section, const QString& ident, const QString& value);
    int ReadInteger(const QString& ident, int defaultValue);
    void WriteInteger(const QString& ident, int value);

    // The owner form, or nil.
    TForm* Form() const;
    // The hook that holds the form to its limits.
    TWndHook* WndHook() const { return FWndHook.get(); }

    void Loaded() override;

protected:
    virtual void SaveWindowState();
    virtual void LoadWindowState();
    void UpdatePlacement();

private:
    friend class TWinMinMaxInfo;
    friend class TIniLink;
    void IniOpen();
    void IniFree();
    void AddLink(TIniLink* link);
    void RemoveLink(TIniLink* link);
    void MinMaxInfoModified();
    void SetEvents();
    void RestoreEvents();
    void CheckToggleHook();
    void ApplySizeLimits();
    void HandleWindowMessage(QEvent* event);
    void FormShow(TObject* sender);
    void FormCloseQuery(TObject* sender, bool& canClose);
    void FormDestroy(TObject* sender);
    void ReportError();

    bool FActive = true;
    QString FIniFileName;
    QString FIniSection;
    mutable QString FDefaultSection; // the owner's, taken while its class is whole
    std::unique_ptr<TWinMinMaxInfo> FMinMaxInfo;
    TPlacementOptions FOptions;
    bool FPreventResize = false;
    int FVersion = 0;
    std::unique_ptr<TIniFile> FIni;
    std::vector<TIniLink*> FLinks;
    bool FEventsSet = false;
    TForm* FEventsForm = nullptr;
    TNotifyEvent FSaveFormShow;
    TCloseQueryEvent FSaveFormCloseQuery;
    TNotifyEvent FSaveFormDestroy;
    bool FSaved = false;
    bool FRestored = false;
    bool FDestroying = false;
    bool FDefMaximize = false;
    bool FLimitsApplied = false;
    std::unique_ptr<TWndHook, TComponentDeleter> FWndHook;
};

} // namespace tessiv

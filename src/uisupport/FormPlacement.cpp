#include "uisupport/FormPlacement.h"

#include "platform/ui/Application.h"
#include "uisupport/AppUtils.h"

#include <QEvent>
#include <QWidget>

#include <algorithm>

namespace tessiv {

// ---- TWinMinMaxInfo ---------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TWinMinMaxInfo, TPersistent,
    t.Integer(QStringLiteral("MaxPosLeft"), &TWinMinMaxInfo::MaxPosLeft, &TWinMinMaxInfo::SetMaxPosLeft, 0);
    t.Integer(QStringLiteral("MaxPosTop"), &TWinMinMaxInfo::MaxPosTop, &TWinMinMaxInfo::SetMaxPosTop, 0);
    t.Integer(QStringLiteral("MaxSizeHeight"), &TWinMinMaxInfo::MaxSizeHeight, &TWinMinMaxInfo::SetMaxSizeHeight, 0);
    t.Integer(QStringLiteral("MaxSizeWidth"), &TWinMinMaxInfo::MaxSizeWidth, &TWinMinMaxInfo::SetMaxSizeWidth, 0);
    t.Integer(QStringLiteral("MaxTrackHeight"), &TWinMinMaxInfo::MaxTrackHeight, &TWinMinMaxInfo::SetMaxTrackHeight, 0);
    t.Integer(QStringLiteral("MaxTrackWidth"), &TWinMinMaxInfo::MaxTrackWidth, &TWinMinMaxInfo::SetMaxTrackWidth, 0);
    t.Integer(QStringLiteral("MinTrackHeight"), &TWinMinMaxInfo::MinTrackHeight, &TWinMinMaxInfo::SetMinTrackHeight, 0);
    t.Integer(QStringLiteral("MinTrackWidth"), &TWinMinMaxInfo::MinTrackWidth, &TWinMinMaxInfo::SetMinTrackWidth, 0);
)

void TWinMinMaxInfo::Assign(const TPersistent* source)
{
    if (const auto* other = dynamic_cast<const TWinMinMaxInfo*>(source)) {
        if (other == this)
            return;
        std::copy(std::begin(other->FValues), std::end(other->FValues), std::begin(FValues));
        if (FOwner)
            FOwner->MinMaxInfoModified();
        return;
    }
    TPersistent::Assign(source);
}

bool TWinMinMaxInfo::DefaultMinMaxInfo() const
{
    return std::all_of(std::begin(FValues), std::end(FValues), [](int v) { return v == 0; });
}

void TWinMinMaxInfo::Set(int index, int value)
{
    if (FValues[index] == value)
        return;
    FValues[index] = value;
    if (FOwner)
        FOwner->MinMaxInfoModified();
}

// ---- TIniLink ---------------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TIniLink, TPersistent)

TIniLink::~TIniLink() { SetStorage(nullptr); }

void TIniLink::SetStorage(TFormPlacement* storage)
{
    if (storage == FStorage)
        return;
    if (FStorage)
        FStorage->RemoveLink(this);
    FStorage = storage;
    if (FStorage)
        FStorage->AddLink(this);
}

TIniFile* TIniLink::IniObject() const { return FStorage ? FStorage->IniObject() : nullptr; }

QString TIniLink::RootSection() const
{
    const QString own = FStorage ? FStorage->StoredIniSection() : QString();
    return own.isEmpty() ? QString() : own + QLatin1Char('\\');
}

void TIniLink::SaveToIni()
{
    if (OnSave)
        OnSave(this);
}

void TIniLink::LoadFromIni()
{
    if (OnLoad)
        OnLoad(this);
}

// ---- TFormPlacement ---------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TFormPlacement, TComponent,
    t.Boolean(QStringLiteral("Active"), &TFormPlacement::Active, &TFormPlacement::SetActive, true);
    t.String(QStringLiteral("IniFileName"), &TFormPlacement::StoredIniFileName, &TFormPlacement::SetIniFileName);
    t.String(QStringLiteral("IniSection"), &TFormPlacement::StoredIniSection, &TFormPlacement::SetIniSection);
    t.Boolean(QStringLiteral("PreventResize"), &TFormPlacement::PreventResize, &TFormPlacement::SetPreventResize, false);
    t.Integer(QStringLiteral("Version"), &TFormPlacement::Version, &TFormPlacement::SetVersion, 0);
)

TFormPlacement::TFormPlacement(TComponent* owner)
    : TComponent(owner), FMinMaxInfo(std::make_unique<TWinMinMaxInfo>(this)), FWndHook(new TWndHook(nullptr))
{
    FWndHook->AfterMessage = [this](TObject*, QEvent* event, bool&) { HandleWindowMessage(event); };
    if (Form()) {
        FOptions = TPlacementOptions{fpState, fpPosition};
        FDefaultSection = ComponentIniSection(Form());
        // Made in code, it takes the form's handlers at once; read from a stream, when loaded.
        if (!ComponentState().Contains(csLoading))
            SetEvents();
    }
}

TFormPlacement::~TFormPlacement()
{
    IniFree();
    while (!FLinks.empty())
        FLinks.back()->SetStorage(nullptr);
    RestoreEvents();
    FWndHook.reset();
}

TForm* TFormPlacement::Form() const { return dynamic_cast<TForm*>(Owner()); }

QString TFormPlacement::IniFileName() const
{
    if (FIniFileName.isEmpty() && !ComponentState().Contains(csDesigning))
        return DefaultIniFileName();
    return FIniFileName;
}

QString TFormPlacement::IniSection() const
{
    if (!FIniSection.isEmpty() || ComponentState().Contains(csDesigning))
        return FIniSection;
    // While the owner is being destroyed its class name is no longer its own.
    if (Owner() && !Owner()->ComponentState().Contains(csDestroying) && !FDestroying)
        FDefaultSection = ComponentIniSection(Owner());
    return FDefaultSection;
}

void TFormPlacement::Loaded()
{
    TComponent::Loaded();
    if (Form() && !ComponentState().Contains(csDesigning))
        SetEvents();
}

void TFormPlacement::SetEvents()
{
    TForm* form = Form();
    if (!form || FEventsSet || ComponentState().Contains(csDesigning))
        return;
    FEventsSet = true;
    FEventsForm = form;
    FSaveFormShow = form->OnShow;
    FSaveFormCloseQuery = form->OnCloseQuery;
    FSaveFormDestroy = form->OnDestroy;
    form->OnShow = [this](TObject* sender) { FormShow(sender); };
    form->OnCloseQuery = [this](TObject* sender, bool& canClose) { FormCloseQuery(sender, canClose); };
    form->OnDestroy = [this](TObject* sender) { FormDestroy(sender); };
    FDefMaximize = form->BorderIcons().Contains(biMaximize);
    UpdatePlacement();
    CheckToggleHook();
}

void TFormPlacement::RestoreEvents()
{
    // The owner has already let go of a component being freed: the form the handlers were taken
    // from is remembered.
    TForm* form = FEventsForm;
    // A form on its way out keeps nothing that could be given back.
    if (!FEventsSet || !form || form->ComponentState().Contains(csDestroying))
        return;
    form->OnShow = FSaveFormShow;
    form->OnCloseQuery = FSaveFormCloseQuery;
    form->OnDestroy = FSaveFormDestroy;
    FEventsSet = false;
    FEventsForm = nullptr;
}

void TFormPlacement::ReportError()
{
    try {
        Application().HandleException(std::current_exception());
    } catch (...) {
    }
}

void TFormPlacement::FormShow(TObject* sender)
{
    // Only the first show: a window shown again after a hide is where the user left it, which
    // is newer than what the file holds.
    if (FActive && !FRestored) {
        try {
            Restore();
        } catch (...) {
            ReportError();
        }
    }
    if (FSaveFormShow)
        FSaveFormShow(sender);
}

void TFormPlacement::FormCloseQuery(TObject* sender, bool& canClose)
{
    if (FSaveFormCloseQuery)
        FSaveFormCloseQuery(sender, canClose);
    if (canClose && FActive && Form() && Form()->Window()) {
        try {
            Save();
        } catch (...) {
            ReportError();
        }
    }
}

void TFormPlacement::FormDestroy(TObject* sender)
{
    if (FActive && !FSaved) {
        FDestroying = true;
        try {
            Save();
        } catch (...) {
            ReportError();
        }
        FDestroying = false;
    }
    if (FSaveFormDestroy)
        FSaveFormDestroy(sender);
}

void TFormPlacement::IniOpen()
{
    if (!FIni)
        FIni = std::make_unique<TIniFile>(IniFileName());
}

void TFormPlacement::IniFree() { FIni.reset(); }

namespace {
// Closes the settings file at the end of the operation that opened it.
struct TIniScope {
    explicit TIniScope(bool opened, std::function<void()> close) : Opened(opened), Close(std::move(close)) {}
    ~TIniScope()
    {
        if (Opened)
            Close();
    }
    bool Opened;
    std::function<void()> Close;
};
} // namespace

QString TFormPlacement::ReadString(const QString& section, const QString& ident, const QString& defaultValue)
{
    TIniScope scope(!FIni, [this] { IniFree(); });
    IniOpen();
    return IniReadString(FIni.get(), section, ident, defaultValue);
}

void TFormPlacement::WriteString(const QString& section, const QString& ident, const QString& value)
{
    TIniScope scope(!FIni, [this] { IniFree(); });
    IniOpen();
    IniWriteString(FIni.get(), section, ident, value);
}

int TFormPlacement::ReadInteger(const QString& ident, int defaultValue)
{
    TIniScope scope(!FIni, [this] { IniFree(); });
    IniOpen();
    return IniReadInteger(FIni.get(), IniSection(), ident, defaultValue);
}

void TFormPlacement::WriteInteger(const QString& ident, int value)
{
    TIniScope scope(!FIni, [this] { IniFree(); });
    IniOpen();
    IniWriteInteger(FIni.get(), IniSection(), ident, value);
}

void TFormPlacement::AddLink(TIniLink* link)
{
    if (std::find(FLinks.begin(), FLinks.end(), link) == FLinks.end())
        FLinks.push_back(link);
}

void TFormPlacement::RemoveLink(TIniLink* link)
{
    FLinks.erase(std::remove(FLinks.begin(), FLinks.end(), link), FLinks.end());
}

void TFormPlacement::SaveWindowState()
{
    TForm* form = Form();
    if (!form)
        return;
    const QString section = IniSection();
    if (FOptions.Contains(fpState) || FOptions.Contains(fpPosition)) {
        SaveWindowPlacement(form, FIni.get(), section);
        IniWriteBool(FIni.get(), section, QStringLiteral("Visible"), FDestroying);
    }
    if (FOptions.Contains(fpActiveControl)) {
        QWidget* active = form->ActiveControl();
        if (active && !active->objectName().isEmpty())
            IniWriteString(FIni.get(), section, QStringLiteral("ActiveControl"), active->objectName());
    }
}

void TFormPlacement::LoadWindowState()
{
    if (TForm* form = Form())
        LoadWindowPlacement(form, FIni.get(), IniSection(), FOptions.Contains(fpState), FOptions.Contains(fpPosition));
    for (TIniLink* link : std::vector<TIniLink*>(FLinks))
        link->LoadFromIni();
}

void TFormPlacement::Save()
{
    if (!FRestored && FActive)
        return;
    TIniScope scope(true, [this] { IniFree(); });
    IniOpen();
    IniWriteInteger(FIni.get(), IniSection(), QStringLiteral("FormVersion"), FVersion);
    SaveWindowState();
    for (TIniLink* link : std::vector<TIniLink*>(FLinks))
        link->SaveToIni();
    if (OnSavePlacement)
        OnSavePlacement(this);
    FSaved = true;
}

void TFormPlacement::Restore()
{
    FSaved = false;
    {
        TIniScope scope(true, [this] { IniFree(); });
        IniOpen();
        const QString section = IniSection();
        if (IniReadInteger(FIni.get(), section, QStringLiteral("FormVersion"), 0) >= FVersion) {
            LoadWindowState();
            FRestored = true;
            if (OnRestorePlacement)
                OnRestorePlacement(this);
            TForm* form = Form();
            if (FOptions.Contains(fpActiveControl) && form && form->Window()) {
                const QString name = IniReadString(FIni.get(), section, QStringLiteral("ActiveControl"), QString());
                QWidget* w = name.isEmpty() ? nullptr : form->Window()->findChild<QWidget*>(name);
                if (w && w->isEnabled() && !w->isHidden() && w->focusPolicy() != Qt::NoFocus)
                    form->SetActiveControl(w);
            }
        }
        FRestored = true;
    }
    UpdatePlacement();
}

void TFormPlacement::UpdatePlacement()
{
    TForm* form = Form();
    if (!form || !form->Window() || ComponentState().Contains(csLoading) || FPreventResize ||
        !FMinMaxInfo->DefaultMinMaxInfo())
        return;
    // A maximized window puts its frame just off the screen.
    TPoint maxPos{0, 0};
    if (form->BorderStyle() != TFormBorderStyle::bsNone) {
        const QWidget* w = form->Window();
        maxPos = TPoint{-(w->geometry().x() - w->frameGeometry().x()), -(w->geometry().y() - w->frameGeometry().y())};
    }
    const TWindowPlacement p = form->GetWindowPlacement();
    form->SetMinMaxPositions(p.MinPosition, maxPos);
}

void TFormPlacement::SetPreventResize(bool value)
{
    if (value == FPreventResize)
        return;
    FPreventResize = value;
    if (TForm* form = Form(); form && !ComponentState().Contains(csDesigning)) {
        // The window is made again when its buttons change; that show is not the user's.
        const bool active = FActive;
        FActive = false;
        TBorderIcons icons = form->BorderIcons();
        if (value)
            icons -= biMaximize;
        else if (FDefMaximize && form->BorderStyle() != TFormBorderStyle::bsDialog)
            icons += biMaximize;
        form->SetBorderIcons(icons);
        FActive = active;
    }
    UpdatePlacement();
    CheckToggleHook();
}

void TFormPlacement::MinMaxInfoModified()
{
    UpdatePlacement();
    CheckToggleHook();
}

void TFormPlacement::CheckToggleHook()
{
    TForm* form = Form();
    const bool needed = form && (FPreventResize || !FMinMaxInfo->DefaultMinMaxInfo());
    FWndHook->SetWinControl(needed ? form->Window() : nullptr);
    ApplySizeLimits();
}

void TFormPlacement::ApplySizeLimits()
{
    TForm* form = Form();
    QWidget* w = form ? form->Window() : nullptr;
    if (!w)
        return;
    if (FLimitsApplied) {
        w->setMinimumSize(0, 0);
        w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        FLimitsApplied = false;
    }
    if (FPreventResize) {
        // Held at the size it shows with; before it shows its size is not settled yet.
        if (w->isVisible()) {
            w->setFixedSize(w->size());
            FLimitsApplied = true;
        }
        return;
    }
    const TWinMinMaxInfo& m = *FMinMaxInfo;
    if (m.DefaultMinMaxInfo())
        return;
    if (m.MinTrackWidth())
        w->setMinimumWidth(m.MinTrackWidth());
    if (m.MinTrackHeight())
        w->setMinimumHeight(m.MinTrackHeight());
    if (m.MaxTrackWidth())
        w->setMaximumWidth(m.MaxTrackWidth());
    if (m.MaxTrackHeight())
        w->setMaximumHeight(m.MaxTrackHeight());
    FLimitsApplied = true;
}

void TFormPlacement::HandleWindowMessage(QEvent* event)
{
    // Limits are window properties here: they are set when the window shows (after a restore has
    // sized it) and whenever they change.
    if (event->type() == QEvent::Show)
        ApplySizeLimits();
}

} // namespace tessiv

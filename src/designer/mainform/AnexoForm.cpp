// The main form's life: creation, the first show, the first paint, the close that asks every
// document window and remembers the last file, and the small operations the commands share.
#include "designer/mainform/AnexoForm.h"

#include "designer/surface/AnexoChild.h"
#include "designer/document/FileTypeRegistration.h"
#include "designer/document/Transf.h"
#include "designer/surface/KVDesigner.h"
#include "engine/model/KVBands.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Exceptions.h"
#include "platform/core/IniFiles.h"
#include "platform/core/Strings.h"
#include "platform/data/DataSet.h"
#include "platform/ui/Application.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/Help.h"
#include "uisupport/AppUtils.h"
#include "uisupport/FormPlacement.h"
#include "uisupport/MRUManager.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStatusBar>
#include <QVBoxLayout>

namespace tessiv {

QString ProductName;
QString ProductVersion;

QString HelpFileName()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Tessiv.HLP"));
}

TESSIV_IMPLEMENT_CLASS(TfmAnexo, TForm, )

namespace {
const QString kSection = QStringLiteral("fmAnexo");
const QString kReopen = QStringLiteral("Reabre");
} // namespace

TfmAnexo::TfmAnexo(TComponent* owner, QStringList parameters) : TForm(owner), FParameters(std::move(parameters))
{
    SetName(QStringLiteral("fmAnexo"));
    SetFormStyle(fsMDIForm);
    SetBounds(-4, -4, 1032, 748);
    Window()->setFont([] {
        QFont f = QApplication::font();
        f.setPixelSize(11);
        return f;
    }());
    // The placement takes the form's handlers when it is made: its own run around these.
    OnShow = [this](TObject* sender) { FormShow(sender); };

    auto* central = new QWidget(Window());
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    FTopPanel = new QWidget(central);
    FTopPanel->setObjectName(QStringLiteral("paTopoEtiq"));
    layout->addWidget(FTopPanel);
    FMdiArea = new QMdiArea(central);
    FMdiArea->setObjectName(QStringLiteral("MdiArea"));
    FMdiArea->setBackground(QColor(0xC0, 0xC0, 0xC0));
    layout->addWidget(FMdiArea, 1);
    Window()->setCentralWidget(central);
    QObject::connect(FMdiArea, &QMdiArea::subWindowActivated, FMdiArea, [this](QMdiSubWindow* sub) {
        if (sub && !FClosing)
            Application().Guard([&] { ChildActivated(sub->widget()); });
    });

    // stEtiqueta: four panels; the third centred.
    auto* status = Window()->statusBar();
    status->setObjectName(QStringLiteral("stEtiqueta"));
    for (int width : {150, 150, 70, 50}) {
        auto* panel = new QLabel(status);
        panel->setFixedWidth(width);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        if (width == 70)
            panel->setAlignment(Qt::AlignCenter);
        status->addWidget(panel);
        FStatusPanels.push_back(panel);
    }

    FPlacement = new TFormPlacement(this);
    FPlacement->SetName(QStringLiteral("fpAnexo"));
    FPlacement->SetIniSection(QStringLiteral("PosicaoAnexo"));
    // Its menu comes with the commands (FormCreate).
    FRecentList = new TMRUManager(this);
    FRecentList->SetName(QStringLiteral("RecentList"));
    FRecentList->SetIniStorage(FPlacement);
    FRecentList->SetAccelDelimiter(adSpace);
    // The names are files: two that differ in case are two files.
    FRecentList->Strings()->SetCaseSensitive(true);
    FRecentList->OnClick = [this](TObject*, const QString& name, const QString&, int) { RecentListClick(name); };

    FormCreate();
}

TfmAnexo::~TfmAnexo()
{
    // The document windows belong to the application; they go before the form they report to.
    FClosing = true;
    FHelpKey.reset();
    HelpSystem().Quit();
    FormDestroyInput();
    while (!FChildren.empty())
        delete FChildren.back();
    FSettings.reset();
}

void TfmAnexo::FormCreate()
{
    AskOnClose = true;
    // The settings file and the placement's file are the same file.
    const QString iniName = DefaultIniFileName();
    FSettings = std::make_unique<TIniFile>(iniName);
    FPlacement->SetIniFileName(iniName);
    SetCaption(QStringLiteral("Tessiv"));
    // ---- status bar, zoom and the commands ----
    CreateStatusAndZoom();
    CreateActions();
    // ---- the property tool bars ----
    CreatePropertyToolbars();
    // ---- the designers and the design-surface input ----
    FormCreateInput();
    // Registration never stops the start: a failure is shown and the program goes on.
    try {
        RegisterReportFileType(QCoreApplication::applicationFilePath());
    } catch (...) {
        Application().HandleException(std::current_exception());
    }
    // ---- help ----
    FormCreateHelp();
}

void TfmAnexo::FormShow(TObject*)
{
    SetBusy(false);
    CloseDocument();
    LastDirectory = QCoreApplication::applicationDirPath();
    CommandLinePending = true;
    UpdateActions(HasDocument());
}

void TfmAnexo::FormPaint()
{
    if (!CommandLinePending || FParameters.isEmpty())
        return;
    const QString first = FParameters.first().trimmed();
    if (first.startsWith(QLatin1Char('-')) && first.toUpper() == QStringLiteral("-EMBEDDING")) {
        CommandLinePending = false;
        Hide();
    }
}

bool TfmAnexo::CloseQuery()
{
    ReopenFlag = HasDocument();
    QString lastFile;
    if (TfmAnexo_MDIChild* active = ActiveMDIChild(); active && active->Document)
        lastFile = active->Document->FileName();
    for (;;) {
        const std::vector<TfmAnexo_MDIChild*> children = MDIChildren();
        if (children.empty())
            break;
        TfmAnexo_MDIChild* child = children.front();
        bool canClose = true;
        try {
            child->FormCloseQuery(canClose);
        } catch (const EAbort&) {
            canClose = false;
        }
        if (!canClose)
            return false;
        delete child;
    }
    if (!lastFile.isEmpty() && QFileInfo::exists(lastFile))
        AddRecentFile(lastFile);
    AskOnClose = false;
    bool result = false;
    try {
        result = TForm::CloseQuery();
    } catch (...) {
        AskOnClose = true;
        throw;
    }
    AskOnClose = true;
    if (result)
        FormClose();
    return result;
}

void TfmAnexo::FormClose()
{
    try {
        FSettings->WriteBool(kSection, kReopen, ReopenFlag);
    } catch (...) {
        Application().HandleException(std::current_exception());
    }
    QCoreApplication::quit();
}

void TfmAnexo::CloseDocument()
{
    if (HasDocument())
        ReleaseDesignSurface();
    if (Document) {
        // The window showing it lets go first, so nothing is freed twice.
        for (TfmAnexo_MDIChild* child : FChildren)
            if (child->Document == Document) {
                child->Document = nullptr;
                child->Report = nullptr;
                child->SelectedControl = nullptr;
                child->CurrentBand = nullptr;
            }
        // A document that fails while it goes is gone all the same.
        try {
            delete Document;
        } catch (...) {
        }
    }
    Document = nullptr;
    Report = nullptr;
    UndoForm = nullptr;
    UpdateUndoRedoActions();
    SetModified(false);
    SetCaption(QStringLiteral("Tessiv"));
    UpdateStatusBar(QStringLiteral("LPTUM"));
    StepPending = true;
}

bool TfmAnexo::HasDocument() const { return ActiveMDIChild() != nullptr && Document != nullptr; }

bool TfmAnexo::IsReportActive() const
{
    TfmAnexo_MDIChild* active = ActiveMDIChild();
    return HasDocument() && Report && Report->Parent() == active->Client() && Report->Visible() && Visible();
}

bool TfmAnexo::IsModified() const
{
    TfmAnexo_MDIChild* active = ActiveMDIChild();
    return active && active->Modified;
}

void TfmAnexo::SetModified(bool value)
{
    TfmAnexo_MDIChild* active = ActiveMDIChild();
    if (!active)
        return;
    if (value != active->Modified || value != FArquivoSalvar->isEnabled()) {
        active->Modified = value;
        FArquivoSalvar->setEnabled(value);
    }
}

void TfmAnexo::SetCurrentBand(TKVCustomBand* band)
{
    CurrentBand = band ? band : FirstBand();
    TfmAnexo_MDIChild* active = ActiveMDIChild();
    if (active && CurrentBand && CurrentBand->ParentReport() == active->Report)
        active->CurrentBand = CurrentBand;
    if (CurrentBand)
        SetStatusText(3, QStringLiteral("Banda: ") + CurrentBand->Name());
    else
        UpdateStatusBar(QStringLiteral("LM"));
}

void TfmAnexo::SetCurrentReport(TVardoRep* report)
{
    Report = report;
    if (Report && ActiveMDIChild() && Designer && Designer->Report() != Report)
        Designer->Attach(Report);
    UpdateActions(HasDocument());
}

void TfmAnexo::SetBusy(bool value)
{
    Busy = value;
    FTopPanel->setEnabled(!value);
}

QString TfmAnexo::GetUnitsName() const
{
    if (!Report)
        return {};
    static const char* const names[] = {"Milímetros", "Polegadas", "Pontos", "Caracteres", "Nativo"};
    const int ordinal = static_cast<int>(Report->Units());
    if (ordinal < 0 || ordinal > 4)
        return {};
    return QString::fromUtf8(names[ordinal]);
}

bool TfmAnexo::CanPaste() const
{
    // Copies of a multi-selection on the transfer form paste like a control on the clipboard.
    const bool clip = Clipboard().HasComponent() || TransferFormHasCopies();
    const bool mainHasFocus = Window()->focusWidget() != nullptr &&
                              !(ActiveMDIChild() && ActiveMDIChild()->Window()->isAncestorOf(Window()->focusWidget()));
    const bool reportFocus = Report && Report->Focused() && !mainHasFocus;
    if (clip && reportFocus)
        return true;
    return !clip && !reportFocus && !Clipboard().AsText().isEmpty() && mainHasFocus;
}

TControl* TfmAnexo::FindControlAt(TWinControl* parent, TPoint point, bool allowDisabled)
{
    if (!parent)
        return nullptr;
    for (int i = parent->ControlCount() - 1; i >= 0; --i) {
        TControl* c = parent->Controls(i);
        const TPoint local{point.X - c->Left(), point.Y - c->Top()};
        const TRect client = c->ClientRect();
        if (local.X >= client.Left && local.X < client.Right && local.Y >= client.Top && local.Y < client.Bottom &&
            c->Visible() && (c->Enabled() || allowDisabled))
            return c;
    }
    return nullptr;
}

TControl* TfmAnexo::FindDeepControlAt(TControl* control, TPoint screenPoint, bool allowDisabled)
{
    auto* win = dynamic_cast<TWinControl*>(control);
    if (!win || win->ControlCount() == 0)
        return control;
    TControl* hit = FindControlAt(win, win->ScreenToClient(screenPoint), allowDisabled);
    if (!hit)
        return control;
    if (auto* hitWin = dynamic_cast<TWinControl*>(hit); hitWin && hitWin->ControlCount() > 0)
        return FindDeepControlAt(hitWin, screenPoint, allowDisabled);
    return hit;
}

TStringList* TfmAnexo::GetDataSetList(TComponent* owner, bool)
{
    // Data modules do not exist in this program: every dataset lives on a document's root.
    auto* list = new TStringList;
    if (owner)
        for (int i = 0; i < owner->ComponentCount(); ++i)
            if (auto* ds = dynamic_cast<TDataSet*>(owner->Components(i)))
                list->AddObject(ds->Name(), ds);
    return list;
}

QLabel* TfmAnexo::StatusPanel(int index) const
{
    return index >= 0 && index < static_cast<int>(FStatusPanels.size()) ? FStatusPanels[index] : nullptr;
}

TfmAnexo_MDIChild* TfmAnexo::ActiveMDIChild() const { return FActive; }

std::vector<TfmAnexo_MDIChild*> TfmAnexo::MDIChildren() const
{
    std::vector<TfmAnexo_MDIChild*> out;
    if (FActive)
        out.push_back(FActive);
    for (TfmAnexo_MDIChild* child : FChildren)
        if (child != FActive)
            out.push_back(child);
    return out;
}

void TfmAnexo::ChildCreated(TfmAnexo_MDIChild* child) { FChildren.push_back(child); }

void TfmAnexo::ChildGone(TfmAnexo_MDIChild* child)
{
    std::erase(FChildren, child);
    if (FActive != child)
        return;
    FActive = nullptr;
    if (FClosing || ComponentState().Contains(csDestroying))
        return;
    // The next window takes over, as the document area activates it.
    if (!FChildren.empty())
        ActivateChild(FChildren.back());
}

void TfmAnexo::ActivateChild(TfmAnexo_MDIChild* child)
{
    if (!child)
        return;
    FActive = child;
    if (child->SubWindow() && FMdiArea->activeSubWindow() != child->SubWindow())
        FMdiArea->setActiveSubWindow(child->SubWindow());
    child->FormActivate();
}

void TfmAnexo::ChildActivated(QWidget* window)
{
    if (auto* w = dynamic_cast<TFormWindow*>(window))
        if (auto* child = dynamic_cast<TfmAnexo_MDIChild*>(w->Form()); child && child != FActive) {
            FActive = child;
            child->FormActivate();
        }
}

QStringList TfmAnexo::DocumentWindowCaptions() const
{
    QStringList captions;
    for (TfmAnexo_MDIChild* child : MDIChildren())
        captions << child->Caption();
    return captions;
}

bool TfmAnexo::HostHidden() const { return !Visible(); }

void TfmAnexo::BringApplicationToFront()
{
    if (Window()) {
        Window()->raise();
        Window()->activateWindow();
    }
}

} // namespace tessiv

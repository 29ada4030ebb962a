#include "engine/ui/KVStandardPreview.h"

#include "engine/export/KVExportFilterLibrary.h"
#include "engine/run/KVPrinter.h"
#include "engine/model/StringTable.h"
#include "engine/ui/KVGlyphs.h"
#include "engine/ui/KVPreview.h"
#include "engine/ui/KVProgressForm.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"

#include <QApplication>
#include <QButtonGroup>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace tessiv {

namespace {

void PumpMessages()
{
    Application().ProcessMessages();
}

} // namespace

TKVStandardPreview* TKVStandardPreview::CreatePreview(QWidget* owner, TKVPrinter& printer)
{
    return new TKVStandardPreview(owner, printer);
}

namespace {

// A window of its own; one that belongs to another is a dialog, the kind of window Qt makes
// transient for its parent, so that the window manager keeps it above that parent.
Qt::WindowFlags PreviewWindowFlags(const QWidget* owner)
{
    if (!owner)
        return Qt::Window;
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
           Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;
}

} // namespace

TKVStandardPreview::TKVStandardPreview(QWidget* owner, TKVPrinter& printer)
    : QWidget(owner, PreviewWindowFlags(owner)), FPrinter(&printer), FToolbar(new QWidget(this)), FPreview(new TKVPreview(this)),
      FStatusPanel(new QWidget(this)), FStatus(new QLabel(FStatusPanel)), FGauge(nullptr),
      FExit(new QPushButton(FToolbar)), FBusyTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("KVStandardPreview"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(571, 472);
    if (const QScreen* screen = QApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }

    FToolbar->setObjectName(QStringLiteral("Toolbar"));
    auto* tools = new QHBoxLayout(FToolbar);
    tools->setContentsMargins(2, 2, 2, 2);
    tools->setSpacing(1);
    auto* zoomGroup = new QButtonGroup(this);
    zoomGroup->setExclusive(true);
    for (QToolButton* b : {AddButton("ZoomToFit", "Zoom to fit", "KVZOOMTOFITBITMAP", &TKVStandardPreview::ZoomToFitClick),
                           AddButton("ZoomTo100", "Zoom to 100%", "KVZOOMTO100BITMAP", &TKVStandardPreview::ZoomTo100Click),
                           AddButton("ZoomToWidth", "Zoom to page width", "KVZOOMTOWIDTHBITMAP",
                                     &TKVStandardPreview::ZoomToWidthClick)}) {
        b->setCheckable(true);
        zoomGroup->addButton(b);
    }
    Button(QStringLiteral("ZoomToWidth"))->setChecked(true);
    tools->addSpacing(8);
    AddButton("FirstPage", "First Page", "KVFIRSTPAGEBITMAP", &TKVStandardPreview::FirstPageClick);
    AddButton("PrevPage", "Previous page", "KVPREVPAGEBITMAP", &TKVStandardPreview::PrevPageClick);
    AddButton("NextPage", "Next page", "KVNEXTPAGEBITMAP", &TKVStandardPreview::NextPageClick);
    AddButton("LastPage", "Last page", "KVLASTPAGEBITMAP", &TKVStandardPreview::LastPageClick);
    tools->addSpacing(8);
    AddButton("PrintSetup", "Printer setup", "KVPRINTSETUPBITMAP", &TKVStandardPreview::PrintSetupClick);
    AddButton("Print", "Print", "KVPRINTBITMAP", &TKVStandardPreview::PrintClick);
    AddButton("Save", "Save", "KVSAVEBITMAP", &TKVStandardPreview::SaveClick);
    AddButton("Load", "Load", "KVOPENBITMAP", &TKVStandardPreview::LoadClick);
    tools->addStretch(1);
    FExit->setObjectName(QStringLiteral("Exit"));
    FExit->setText(QStringLiteral("&Close"));
    connect(FExit, &QPushButton::clicked, this, &QWidget::close);
    tools->addWidget(FExit);

    FStatusPanel->setObjectName(QStringLiteral("StatusPanel"));
    FStatusPanel->setFixedHeight(22);
    auto* statusLayout = new QHBoxLayout(FStatusPanel);
    statusLayout->setContentsMargins(2, 2, 6, 1);
    FStatus->setObjectName(QStringLiteral("Status"));
    FStatus->setText(QStringLiteral("Working..."));
    FGauge = new TKVGauge(FStatusPanel);
    FGauge->setFixedSize(100, FStatusPanel->height() - 3);
    FGauge->setVisible(false);
    statusLayout->addWidget(FGauge);
    statusLayout->addStretch(1);
    statusLayout->addWidget(FStatus);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(FToolbar);
    layout->addWidget(FPreview, 1);
    layout->addWidget(FStatusPanel);

    FPreview->OnProgressUpdate = [this](TKVPreview*, int progress) {
        FGauge->setValue(progress);
        FGauge->setVisible(progress > 0 && progress < 100);
        UpdateButtons();
    };
    FPreview->OnPageAvailable = [this](TKVPreview*, int) {
        UpdateStatus();
        UpdateButtons();
    };
    FPreview->OnRunFailed = [this](TKVPreview*) { RunFailed(); };
    FPreview->SetPrinter(&printer);
    setWindowTitle(printer.Title());

    // The window sees every key first, whichever of its parts has the focus.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
    // A run that ends without a last message (cancelled, failed) still frees the buttons.
    FBusyTimer->setInterval(250);
    connect(FBusyTimer, &QTimer::timeout, this, [this] { UpdateButtons(); });
    UpdateButtons();
}

TKVStandardPreview::~TKVStandardPreview()
{
    // The preview control goes with the window: detach it here so the printer object hears
    // of it while the window is still whole. Closing never fails; the preview has ended either way.
    try {
        FPreview->SetPrinter(nullptr);
    } catch (...) {
    }
}

QToolButton* TKVStandardPreview::AddButton(const char* name, const char* hint, const char* glyph,
                                           void (TKVStandardPreview::*action)())
{
    auto* button = new QToolButton(FToolbar);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(QString::fromUtf8(hint));
    button->setIcon(KVGlyph(QLatin1String(glyph)));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    if (action)
        connect(button, &QToolButton::clicked, this, [this, action] { (this->*action)(); });
    static_cast<QHBoxLayout*>(FToolbar->layout())->addWidget(button);
    return button;
}

QToolButton* TKVStandardPreview::Button(const QString& name) const
{
    for (QToolButton* b : FToolbar->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly))
        if (b->objectName() == name)
            return b;
    return nullptr;
}

void TKVStandardPreview::UpdateStatus()
{
    FStatus->setText(LoadStr(SKVPreviewPage) + QLatin1Char(' ') + QString::number(FPreview->PageNumber()) +
                     QLatin1Char(' ') + LoadStr(SKVPreviewOf) + QLatin1Char(' ') +
                     QString::number(FPrinter->PageCount()) + IncompleteMark());
}

QString TKVStandardPreview::IncompleteMark() const
{
    return FPrinter->Incomplete() ? QStringLiteral(" (incompleta)") : QString();
}

void TKVStandardPreview::RunFailed()
{
    // The window says what it shows before the error is read.
    FGauge->setVisible(false);
    UpdateStatus();
    UpdateButtons();
    Application().HandleException(FPrinter->RunError());
}

bool TKVStandardPreview::RefuseIncompletePages()
{
    if (!FPrinter->Incomplete())
        return false;
    Application().MessageBox(QStringLiteral("A visualização está incompleta: o relatório parou com um erro. Estas "
                                            "páginas não podem ser salvas, impressas nem exportadas."),
                             QString(), MB_OK | MB_ICONWARNING);
    return true;
}

bool TKVStandardPreview::Recording() const { return FPrinter->Status() == kvpsBusy; }

void TKVStandardPreview::UpdateButtons()
{
    const bool recording = Recording();
    Button(QStringLiteral("Save"))->setEnabled(!recording && FPrinter->Status() == kvpsFinished && FPrinter->PageStream());
    Button(QStringLiteral("Load"))->setEnabled(!recording);
    Button(QStringLiteral("PrintSetup"))->setEnabled(!recording);
    if (recording && !FBusyTimer->isActive())
        FBusyTimer->start();
    else if (!recording)
        FBusyTimer->stop();
}

// ---- zoom and paging -----------------------------------------------------------------------------

void TKVStandardPreview::ZoomToFitClick()
{
    PumpMessages();
    FPreview->ZoomToFit();
}

void TKVStandardPreview::ZoomTo100Click()
{
    PumpMessages();
    FPreview->SetZoom(100);
}

void TKVStandardPreview::ZoomToWidthClick()
{
    PumpMessages();
    FPreview->ZoomToWidth();
}

void TKVStandardPreview::GoToPage(int n)
{
    FPreview->SetPageNumber(n);
    UpdateStatus();
}

void TKVStandardPreview::FirstPageClick()
{
    GoToPage(1);
}

void TKVStandardPreview::PrevPageClick()
{
    GoToPage(FPreview->PageNumber() - 1);
}

void TKVStandardPreview::NextPageClick()
{
    GoToPage(FPreview->PageNumber() + 1);
}

void TKVStandardPreview::LastPageClick()
{
    GoToPage(FPrinter->PageCount());
}

bool TKVStandardPreview::HandleKey(int qtKey, Qt::KeyboardModifiers modifiers)
{
    modifiers &= ~Qt::KeypadModifier;
    const bool plain = modifiers == Qt::NoModifier;
    const bool ctrl = modifiers == Qt::ControlModifier;
    switch (qtKey) {
    case Qt::Key_PageUp:
        if (plain)
            PrevPageClick();
        else if (ctrl)
            FirstPageClick();
        return plain || ctrl;
    case Qt::Key_PageDown:
        if (plain)
            NextPageClick();
        else if (ctrl)
            LastPageClick();
        return plain || ctrl;
    case Qt::Key_Home:
        if (plain)
            FirstPageClick();
        return plain;
    case Qt::Key_End:
        if (plain)
            LastPageClick();
        return plain;
    default:
        return false;
    }
}

bool TKVStandardPreview::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (HandleKey(key->key(), key->modifiers()))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TKVStandardPreview::keyPressEvent(QKeyEvent* event)
{
    if (HandleKey(event->key(), event->modifiers()))
        return;
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

// ---- printing --------------------------------------------------------------------------------------

void TKVStandardPreview::PrintSetupClick()
{
    UpdateButtons();
    if (Button(QStringLiteral("PrintSetup"))->isEnabled())
        FPrinter->PrintSetup();
}

void TKVStandardPreview::PrintClick()
{
    if (RefuseIncompletePages())
        return;
    FPrinter->Print();
}

// ---- save, export and load -----------------------------------------------------------------------

// Everything after the saved-preview entry of the library's filter string.
QString TKVStandardPreview::ExportEntries() const
{
    const QStringList parts = ExportFilterLibrary().GetSaveDialogFilter().split(QLatin1Char('|'));
    return parts.mid(2).join(QLatin1Char('|'));
}

QString TKVStandardPreview::SavedPreviewEntry() const
{
    return LoadStr(SKVSavedPreviewFileName) + QStringLiteral("(*.") + KVSavedPreviewExtension + QStringLiteral(")|*.") +
           KVSavedPreviewExtension;
}

void TKVStandardPreview::ReportMissingFile(const QString&)
{
    Application().MessageBox(LoadStr(SKVFileDoesNotExist), QString(), MB_OK | MB_ICONWARNING);
}

void TKVStandardPreview::SaveClick()
{
    UpdateButtons();
    if (!Button(QStringLiteral("Save"))->isEnabled() || RefuseIncompletePages())
        return;
    TKVExportFilterLibrary& library = ExportFilterLibrary();
    // Loaded pages have no report behind them to export.
    const bool canExport = static_cast<bool>(FPrinter->OnExportToFilter);
    TSaveDialog dialog(nullptr);
    const QString exports = ExportEntries();
    dialog.Filter = canExport && !exports.isEmpty() ? SavedPreviewEntry() + QLatin1Char('|') + exports : SavedPreviewEntry();
    dialog.FilterIndex = 1;
    dialog.Options += ofOverwritePrompt;
    if (!dialog.Execute(this))
        return;
    // A name without extension takes the chosen format's, so a text file is never named as a
    // saved preview.
    const int entry = dialog.FilterIndex - 2;
    const bool exporting = canExport && entry >= 0 && entry < static_cast<int>(library.Filters().size());
    dialog.DefaultExt = exporting ? library.Filters()[static_cast<std::size_t>(entry)].Extension : KVSavedPreviewExtension;
    const QString fileName = dialog.WithDefaultExt(dialog.FileName);
    if (!exporting) {
        FPrinter->Save(fileName);
        return;
    }
    const std::unique_ptr<TKVExportFilter> filter = library.CreateFilter(entry, fileName);
    FPrinter->ExportToFilter(filter.get());
}

void TKVStandardPreview::LoadClick()
{
    UpdateButtons();
    if (!Button(QStringLiteral("Load"))->isEnabled())
        return;
    TOpenDialog dialog(nullptr);
    dialog.Filter = SavedPreviewEntry();
    dialog.DefaultExt = KVSavedPreviewExtension;
    if (!dialog.Execute(this))
        return;
    if (!QFileInfo::exists(dialog.FileName)) {
        ReportMissingFile(dialog.FileName);
        return;
    }
    FPrinter->Load(dialog.FileName);
    FPreview->SetPageNumber(1);
    FPreview->Image()->SetPageNumber(1);
    // The loaded pages may be of another paper.
    if (FPreview->ZoomMode() == TKVPreview::zmFit)
        FPreview->ZoomToFit();
    else if (FPreview->ZoomMode() == TKVPreview::zmWidth)
        FPreview->ZoomToWidth();
    FPreview->ResizeImage();
    UpdateStatus();
    UpdateButtons();
}

} // namespace tessiv

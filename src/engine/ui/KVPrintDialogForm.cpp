#include "engine/ui/KVPrintDialogForm.h"

#include "engine/ui/KVPrintDialog.h"
#include "platform/printing/Printer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tessiv {

namespace {

constexpr int MaxCopies = 9999;

template <typename T>
T* Named(T* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

TKVPrintDialogForm::TKVPrintDialogForm(const TKVPrintDlgRecord& record, QWidget* parent)
    : QDialog(parent),
      FPrinter(Named(new QComboBox, "cbImpressora")),
      FFile(Named(new QLineEdit, "edArquivo")),
      FBrowse(Named(new QToolButton, "btArquivo")),
      FAll(Named(new QRadioButton(QStringLiteral("&Todas")), "rbTodas")),
      FSelection(Named(new QRadioButton(QStringLiteral("&Seleção")), "rbSelecao")),
      FPages(Named(new QRadioButton(QStringLiteral("&Páginas")), "rbPaginas")),
      FFrom(Named(new QSpinBox, "sePaginaInicial")),
      FTo(Named(new QSpinBox, "sePaginaFinal")),
      FCopies(Named(new QSpinBox, "seCopias")),
      FCollate(Named(new QCheckBox(QStringLiteral("A&grupar")), "cbAgrupar")),
      FPortrait(Named(new QRadioButton(QStringLiteral("&Retrato")), "rbRetrato")),
      FLandscape(Named(new QRadioButton(QStringLiteral("P&aisagem")), "rbPaisagem"))
{
    setObjectName(QStringLiteral("KVPrintDialog"));
    setWindowTitle(QStringLiteral("Imprimir"));

    // ---- the printer and the PDF printer's file ----
    FPrinter->addItems(record.Printers);
    FPrinter->setCurrentIndex(std::max(0, static_cast<int>(record.Printers.indexOf(record.Device))));
    FFile->setText(record.PdfFile);
    FFile->setMinimumWidth(320);
    FBrowse->setText(QStringLiteral("..."));
    FBrowse->setToolTip(QStringLiteral("Procurar o arquivo"));
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(FFile, 1);
    fileRow->addWidget(FBrowse);
    auto* printerBox = new QGroupBox(QStringLiteral("Impressora"));
    auto* printerForm = new QFormLayout(printerBox);
    printerForm->addRow(QStringLiteral("&Nome:"), FPrinter);
    auto* fileLabel = new QLabel(QStringLiteral("Ar&quivo:"));
    fileLabel->setBuddy(FFile);
    printerForm->addRow(fileLabel, fileRow);

    // ---- the page range ----
    const int minPage = std::max(1, record.MinPage);
    const int maxPage = std::max(minPage, record.MaxPage);
    for (QSpinBox* page : {FFrom, FTo})
        page->setRange(minPage, maxPage);
    FFrom->setValue(std::clamp(record.FromPage, minPage, maxPage));
    FTo->setValue(record.ToPage > 0 ? std::clamp(record.ToPage, minPage, maxPage) : maxPage);
    FSelection->setVisible(!(record.Flags & PD_NOSELECTION));
    const bool pageNumbers = !(record.Flags & PD_NOPAGENUMS);
    for (QWidget* w : std::initializer_list<QWidget*>{FPages, FFrom, FTo})
        w->setEnabled(pageNumbers);
    if ((record.Flags & PD_SELECTION) && !(record.Flags & PD_NOSELECTION))
        FSelection->setChecked(true);
    else if ((record.Flags & PD_PAGENUMS) && pageNumbers)
        FPages->setChecked(true);
    else
        FAll->setChecked(true);
    // Typing a page chooses the range.
    for (QSpinBox* page : {FFrom, FTo})
        connect(page, &QSpinBox::valueChanged, this, [this] { FPages->setChecked(true); });
    auto* pagesRow = new QHBoxLayout;
    pagesRow->addWidget(FPages);
    pagesRow->addWidget(new QLabel(QStringLiteral("de")));
    pagesRow->addWidget(FFrom);
    pagesRow->addWidget(new QLabel(QStringLiteral("até")));
    pagesRow->addWidget(FTo);
    pagesRow->addStretch();
    auto* rangeBox = new QGroupBox(QStringLiteral("Intervalo de impressão"));
    auto* rangeLayout = new QVBoxLayout(rangeBox);
    rangeLayout->addWidget(FAll);
    rangeLayout->addWidget(FSelection);
    rangeLayout->addLayout(pagesRow);

    // ---- copies and orientation ----
    FCopies->setRange(1, MaxCopies);
    FCopies->setValue(std::clamp(record.Copies, 1, MaxCopies));
    FCollate->setChecked((record.Flags & PD_COLLATE) != 0);
    auto* copiesBox = new QGroupBox(QStringLiteral("Cópias"));
    auto* copiesForm = new QFormLayout(copiesBox);
    copiesForm->addRow(QStringLiteral("Número de &cópias:"), FCopies);
    copiesForm->addRow(FCollate);

    auto* orientationBox = new QGroupBox(QStringLiteral("Orientação"));
    auto* orientationLayout = new QVBoxLayout(orientationBox);
    orientationLayout->addWidget(FPortrait);
    orientationLayout->addWidget(FLandscape);
    const bool landscape = record.DevMode && record.DevMode->Orientation == DMORIENT_LANDSCAPE;
    (landscape ? FLandscape : FPortrait)->setChecked(true);
    orientationBox->setEnabled(record.DevMode.has_value());

    auto* lower = new QHBoxLayout;
    lower->addWidget(rangeBox, 1);
    lower->addWidget(copiesBox);
    lower->addWidget(orientationBox);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancelar"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(printerBox);
    layout->addLayout(lower);
    layout->addWidget(buttons);

    connect(FPrinter, &QComboBox::currentIndexChanged, this, [this] { PrinterChanged(); });
    connect(FBrowse, &QToolButton::clicked, this, [this] { BrowseClick(); });
    PrinterChanged();
}

void TKVPrintDialogForm::PrinterChanged()
{
    const bool pdf = FPrinter->currentText() == TPrinter::PdfPrinterName;
    FFile->setEnabled(pdf);
    FBrowse->setEnabled(pdf);
}

void TKVPrintDialogForm::BrowseClick()
{
    QString fileName = FFile->text().trimmed();
    if (KVAskPdfFileName(fileName, this))
        FFile->setText(fileName);
}

void TKVPrintDialogForm::ReadChoice(TKVPrintDlgRecord& record) const
{
    record.Flags &= ~(PD_SELECTION | PD_PAGENUMS | PD_COLLATE | PD_PRINTTOFILE);
    if (FSelection->isChecked())
        record.Flags |= PD_SELECTION;
    else if (FPages->isChecked())
        record.Flags |= PD_PAGENUMS;
    record.FromPage = FFrom->value();
    record.ToPage = FTo->value();
    if (FCollate->isChecked())
        record.Flags |= PD_COLLATE;
    record.Copies = FCopies->value();

    const QString device = FPrinter->currentText();
    if (device.isEmpty())
        return;
    // Printing to a file is the PDF printer writing its file.
    const bool pdf = device == TPrinter::PdfPrinterName;
    if (pdf) {
        record.Flags |= PD_PRINTTOFILE;
        record.PdfFile = FFile->text().trimmed();
    }
    // A device mode belongs to its printer: another printer keeps its own paper and the rest.
    const bool hadMode = record.DevMode.has_value();
    TDeviceMode mode = record.DevMode.value_or(TDeviceMode{});
    if (device != record.Device)
        mode.Fields = 0;
    mode.Fields |= DM_COPIES;
    mode.Copies = record.Copies;
    if (hadMode) {
        mode.Fields |= DM_ORIENTATION;
        mode.Orientation = FLandscape->isChecked() ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    }
    record.DevMode = mode;
    record.Device = device;
    record.Port = pdf ? record.PdfFile : device;
    record.HasDevNames = true;
}

} // namespace tessiv

#pragma once
// The page and report setup dialog: paper, orientation, custom page size, margins, columns, rows
// per page, unit, font, page frame, thermal printing, front or back, grid alignment and the
// first-page header and last-page footer options of one report. It reads everything from the
// report when the report is attached and writes back on OK or Apply, in a fixed order with the
// unit changed last.
//
// What it writes back is what the user changed: a length or number box whose text is still the
// text it was loaded with is not written (so a value the boxes round to two decimals never drifts),
// and the report's options that the dialog does not show (compression) stay as they are. Every box
// is checked before anything is written: a text that is not a number, or a value out of range,
// shows its message, takes the focus and leaves the report untouched.
//
// Call order (the main form's Configurar > Página command):
//   TfmCfgPagina::Execute(Settings(), Report, hooks);
// which creates the dialog, gives it the settings file, disables the header and footer boxes,
// attaches the report, shows it modally and frees it. By hand: create, SetSettings, SetHooks,
// SetHeaderOptionsEnabled, SetReport, ShowModal, free. The report must outlive the dialog.

#include "designer/dialogs/ModalForm.h"
#include "engine/model/KVTypes.h"
#include "platform/graphics/Color.h"

#include <QHash>
#include <QString>

#include <array>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace tessiv {

class TFontComboBox;
class TIniFile;
class TVardoRep;

// What the dialog asks of the main form.
struct TCfgPaginaHooks {
    // "&Visualizar": the main form's preview of the current document (the dialog's values are
    // not applied first).
    std::function<void()> Preview;
    // OK or Apply wrote to the report: the document is marked modified.
    std::function<void()> Modified;
    // After writing: the report designer re-places the handles of its selected control.
    std::function<void()> RefreshHandles;
};

class TfmCfgPagina : public TModalForm {
    TESSIV_CLASS(TfmCfgPagina, TModalForm)
public:
    explicit TfmCfgPagina(TComponent* owner);
    ~TfmCfgPagina() override;

    // Creates the dialog, runs it over the report and frees it; the modal result (mrOk after OK).
    static int Execute(TIniFile* settings, TVardoRep* report, const TCfgPaginaHooks& hooks);

    void SetSettings(TIniFile* settings) { FSettings = settings; }
    void SetHooks(const TCfgPaginaHooks& hooks) { FHooks = hooks; }
    TVardoRep* Report() const { return FReport; }
    // Attaches the report (not owned) and, when not nil, loads the boxes from it.
    void SetReport(TVardoRep* report);
    // The first-page header and last-page footer boxes; the main form disables them.
    void SetHeaderOptionsEnabled(bool enabled);

    void LoadFromReport();
    // Checks every box, then writes the changed values to the report. False (with the message
    // shown and the report untouched) when a box is refused; true without a report.
    bool ApplyToReport();

    // The buttons' work; OK and Cancel set the modal result (none when a box was refused), which
    // closes a modal dialog once the click has been handled.
    void OK1Click();
    void Apply1Click();
    void Cancel1Click();
    void PreviewClick();
    void buImpClick();
    void ColorButtonClick();
    // The up and down buttons: the box's integer moved by the step when the result is at least
    // the floor; otherwise the box stays.
    static void StepEdit(QLineEdit* edit, int step, int floor);

    // ---- the controls (tests and the window check reach them here) ----
    QComboBox* PaperSize = nullptr;
    QLineEdit* PageWidth = nullptr;
    QLineEdit* PageLength = nullptr;
    QComboBox* OrientationCB = nullptr;
    QLineEdit* Topmargin = nullptr;
    QLineEdit* BottomMargin = nullptr;
    QLineEdit* LeftMargin = nullptr;
    QLineEdit* RightMargin = nullptr;
    QLineEdit* ColumnMargin = nullptr;
    QLineEdit* Columns = nullptr;
    QToolButton* ColumnsUp = nullptr;
    QToolButton* ColumnsDown = nullptr;
    QCheckBox* cbAlturaAutomatica = nullptr;
    QLabel* laNumLinha = nullptr;
    QLineEdit* edNumLinha = nullptr;
    QToolButton* sbUpNumLinha = nullptr;
    QToolButton* sbDownNumLinha = nullptr;
    QComboBox* Units = nullptr;
    TFontComboBox* FontName = nullptr;
    QComboBox* FontSize = nullptr;
    QCheckBox* FirstPageHeader = nullptr;
    QCheckBox* LastPageFooter = nullptr;
    QCheckBox* cbTermica = nullptr;
    QGroupBox* rbTipoTermica = nullptr;
    QButtonGroup* TipoTermica = nullptr;
    QGroupBox* rgFrenteVerso = nullptr;
    QButtonGroup* FrenteVerso = nullptr;
    QCheckBox* cbAlinharPosAoGrid = nullptr;
    QCheckBox* cbAlinharTamAoGrid = nullptr;
    QCheckBox* PageFrameTop = nullptr;
    QCheckBox* PageFrameBottom = nullptr;
    QCheckBox* PageFrameLeft = nullptr;
    QCheckBox* PageFrameRight = nullptr;
    QFrame* FrameColor = nullptr;
    QPushButton* ColorButton = nullptr;
    QLineEdit* PageFramePenWidth = nullptr;
    QToolButton* PenWidthUp = nullptr;
    QToolButton* PenWidthDown = nullptr;
    QPushButton* buImp = nullptr;
    QPushButton* Preview = nullptr;
    QPushButton* Apply1 = nullptr;
    QPushButton* OK1 = nullptr;
    QPushButton* Cancel1 = nullptr;
    // The hidden "Faixas" group: page header, title, column header, detail, summary, page footer.
    QGroupBox* Faixas = nullptr;
    std::array<QCheckBox*, 6> BandPresent{};
    std::array<QLineEdit*, 6> BandHeight{};

    // The colour the frame shape shows.
    TColor FrameShapeColor() const { return FFrameColor; }
    void SetFrameShapeColor(TColor color);

protected:
    void FormShow() override;
    void FormClose() override;

private:
    class TBoxFilter;
    friend class TBoxFilter;
    void BuildControls();
    bool IsLengthBox(const QLineEdit* edit) const;
    void LeaveLengthBox(QLineEdit* edit);
    void LeaveCountBox(QLineEdit* edit);
    // Refuses margins (and column spaces) that leave the page no room, as the boxes would make
    // them: typed(index) gives a page length box's checked value.
    void CheckRoomOnPage(TKVPaperSize paper, const std::function<const long double*(int)>& typed, int columns) const;
    void UpdateThermalState();
    void UpdateRowsState();
    // Whether the box's text is not the one it was loaded with.
    bool Changed(const QLineEdit* edit) const;
    void Remember(const QLineEdit* edit);

    TIniFile* FSettings = nullptr;
    TCfgPaginaHooks FHooks;
    TVardoRep* FReport = nullptr;
    TBoxFilter* FFilter = nullptr;
    TColor FFrameColor = clBlack;
    // What the boxes showed when they were last loaded.
    QHash<const QLineEdit*, QString> FLoadedText;
    QString FLoadedPaper;
    QString FLoadedFontName;
    QString FLoadedFontSize;
    int FLoadedOrientation = -1;
    int FLoadedUnits = -1;
    TColor FLoadedColor = clBlack;
    std::array<bool, 6> FLoadedBandPresent{};
};

} // namespace tessiv

#pragma once
// The program's main window: a multiple-document form whose document windows each show one
// report on the design surface. It holds the program-wide designer state (the active document,
// report and band), the settings file, the window placement and the recent-files list, and the
// small operations every command uses. Start-up (the command line), opening and saving documents,
// the question about unsaved changes and the shut-down that remembers the last file live here;
// the commands, tool bars and status bar plug into it.
//
// Call order: create the form, show it (the placement restores the window and recent list at the
// first show), then HandleCommandLine and FormPaint once, as the program's main block does.

#include "designer/document/AnexoRelatorio.h"
#include "platform/controls/Controls.h"
#include "uisupport/Form.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QActionGroup;
class QPoint;
class QComboBox;
class QCheckBox;
class QLineEdit;
class QRadioButton;
class QLabel;
class QMdiArea;
class QMenu;
class QObject;
class QWidget;

namespace tessiv {

class TControl;
class TFontComboBox;
class TFormPlacement;
class TIniFile;
class TKVControlHandle;
class TKVCustomBand;
class TKVDesigner;
class TMRUManager;
class TMultiDesigner;
struct TMsg;
struct TUnitPair;
class TStringList;
class TVardoRep;
class TWinControl;
class TfmAnexo_MDIChild;
class TMemoryStream;
class TPanelControl;
class TfmVoltar;
class TAnexoToolBar;
class TSpeedButton;
class TUpDown;
// ---- field tool bar ----
class TDataSet;
class TKVDBText;
enum btCodeTypes : std::uint8_t;

// How a property tool bar's change is written back: pump messages, re-place the handles.
struct TWriteBackOptions {
    bool Pump = true;
    bool RefreshHandles = true;
};

// Program-wide values set by the main block.
extern QString ProductName;
extern QString ProductVersion;
// The help file: the program's folder and "Tessiv.HLP".
QString HelpFileName();

class TfmAnexo : public TForm, public TDocumentHost {
    TESSIV_CLASS(TfmAnexo, TForm)
public:
    // The command-line parameters after the program's name; the first one alone is looked at.
    explicit TfmAnexo(TComponent* owner, QStringList parameters = {});
    ~TfmAnexo() override;

    // ---- the shared operations ----
    // The state without a document: the active document freed, the report and undo container
    // forgotten, the caption "Tessiv".
    void CloseDocument();
    // Shows a document in a new window (a nil document, or one without a report, shows nothing)
    // and puts a non-empty name first in the recent-files list.
    void OpenDocumentWindow(TAnexoRelatorio* document, const QString& fileName);
    // Activates the window whose document has this file (compared by canonical path), else reads
    // the file and shows it; a file the document layer refuses opens no window.
    void OpenFile(const QString& fileName);
    // Asks whether to save the active document when it is modified and the form visible; Yes
    // saves at once. The dialog result (mrYes without a question).
    int QuerySave();
    // Saves the active document (an empty name: the document asks for one). Only a completed save
    // clears the modified mark and touches the recent-files list. A save from the Save commands
    // keeps the selection.
    void SaveDocument(const QString& fileName);
    bool HasDocument() const;
    bool IsReportActive() const;
    bool IsModified() const;
    void SetModified(bool value);
    void SetInsertMode(bool value);
    void SetCurrentBand(TKVCustomBand* band);
    void SetCurrentReport(TVardoRep* report);
    void SetBusy(bool value);
    QString GetUnitsName() const;
    bool CanPaste() const;
    // The topmost visible (and enabled, unless allowed otherwise) child of the parent under a
    // point of its client area; nil for none.
    static TControl* FindControlAt(TWinControl* parent, TPoint point, bool allowDisabled);
    // The deepest such control under a point on the screen (the host's surface); the control
    // itself when nothing of it is hit.
    static TControl* FindDeepControlAt(TControl* control, TPoint screenPoint, bool allowDisabled);
    // A new list of the dataset components of the owner (the caller frees it).
    static TStringList* GetDataSetList(TComponent* owner, bool includeDataModules);

    // The commands' states for the document state (only while the form is visible). Asks the
    // document's dataset without opening it: a dataset counts as opening when it is open now.
    void UpdateActions(bool documentOpen);
    void UpdateCaptions();
    // The status panels by letter; see the status bar block below.
    void UpdateStatusBar(const QString& letters) { UpdateStatusBar(nullptr, letters, 0, 0); }
    TKVCustomBand* FirstBand() const;

    // ---- start-up ----
    // Step 3 of the main block: the first parameter opens a file; none reopens the most recent
    // file when "Reabre" is set.
    void HandleCommandLine();
    // The first paint: "-EMBEDDING" hides the window.
    void FormPaint();

    // ---- the file commands ----
    void ArquivoNovoExecute();
    void ArquivoAbrirExecute();
    void ArquivoSalvarExecute();
    void ArquivoSalvarComoExecute();
    void ArquivoSairExecute();
    void RecentListClick(const QString& fileName);
    // Puts the file first in the recent-files list, by its canonical path: one entry per file,
    // whatever name reached it.
    void AddRecentFile(const QString& fileName);

    // ---- windows ----
    TfmAnexo_MDIChild* ActiveMDIChild() const;
    // Every document window, the active one first.
    std::vector<TfmAnexo_MDIChild*> MDIChildren() const;
    QMdiArea* MdiArea() const { return FMdiArea; }
    // Kept by the document windows themselves as they come and go.
    void ChildCreated(TfmAnexo_MDIChild* child);
    void ChildGone(TfmAnexo_MDIChild* child);
    // Makes the window the active one and lets it hand its state over.
    void ActivateChild(TfmAnexo_MDIChild* child);
    // The question and the save for one window's document (the active one's for QuerySave and
    // SaveDocument); a window being closed is asked about its own document.
    int QuerySaveWindow(TfmAnexo_MDIChild* child);
    void SaveWindowDocument(TfmAnexo_MDIChild* child, const QString& fileName);
    // Frees the window's document; when it is the active document the form enters the state
    // without a document.
    void CloseWindowDocument(TfmAnexo_MDIChild* child);

    // ---- state other parts read ----
    TAnexoRelatorio* Document = nullptr;
    TVardoRep* Report = nullptr;
    TKVCustomBand* CurrentBand = nullptr;
    TComponent* UndoForm = nullptr;
    QString LastDirectory;
    bool AskOnClose = true;
    bool ReopenFlag = false;
    bool Busy = false;
    bool InsertMode = false;
    bool UserSave = false;
    bool CommandLinePending = false;
    bool SelectionBusy = false;

    TIniFile* Settings() const { return FSettings.get(); }
    TFormPlacement* Placement() const { return FPlacement; }
    TMRUManager* RecentList() const { return FRecentList; }
    QMenu* RecentMenu() const { return FReabrir1; }
    QStringList& Parameters() { return FParameters; }
    QLabel* StatusPanel(int index) const;
    QAction* ArquivoSalvar() const { return FArquivoSalvar; }
    QAction* ArquivoSalvarComo() const { return FArquivoSalvarComo; }

    // ---- status bar, zoom, band navigation and the selection core ----
    // Updates the status panels named by the letters (any case): P position (panel 0), T size
    // (1), U unit name (2), M band, count or hint (3). With "L" each other named panel is emptied
    // and nothing else happens. With "XY" (drag mode) P takes (x, y) as a point on the screen
    // (the host's surface) and shows it in the control's parent (a band: in the band itself), T
    // takes it as a size change in pixels added to the control's stored size. Otherwise
    // (selection mode) a printable shows its stored Left/Top and Width/Height, a band 0/0 and its
    // size. Both modes convert like the controls' own stored sizes, so a dragged and a selected
    // control at one place read alike. A panel is written only when its text changes.
    void UpdateStatusBar(TControl* control, const QString& letters, int x, int y);
    // Pixels on the surface at the report's zoom, in the report's unit; with round, snapped to
    // the unit's grid. The characters unit uses the report font's character cell.
    TUnitPair PixelsToUnits(TPoint pixels, bool round) const;
    // The character cell of the characters unit in millimetres, for a font size in points.
    static long double CharWidthUnit(long double fontSize);
    static long double CharHeightUnit(long double fontSize);
    // Where new things go: the current band, else the first band, else the report (nil without).
    TControl* CurrentContainer() const;
    // The menus Arquivo, Editar, Configurar and Ajuda (never Janela), off while a run shows.
    void EnableMainMenus(bool value);
    // The application's hint event: panel 3 shows the hint's long part; "0" empties it.
    void ApplicationHint();
    // The zoom box of the command area. Click (also Exit, Enter and the letter keys) applies its
    // text: "Largura", "Altura" and "Página" fit the page into the active window at 95 %, a
    // number below 25 counts as 25, anything else is ignored. Only a zoom the report takes marks
    // the document modified. KeyPress drops every character but digits and Backspace (key := 0);
    // KeyDown takes L, A and P as the three fits.
    QComboBox* cbZoom = nullptr;
    void cbZoomClick();
    void cbZoomExit();
    void cbZoomKeyPress(QChar& key);
    void cbZoomKeyDown(unsigned short& key, TShiftState shift);
    // Selection: SelectSingle attaches the designer (clearing a multi-selection) and selects the
    // control, only when it is not attached; ReleaseDesigner detaches it; SelectedCount is the
    // size of the multi-selection.
    void SelectSingle(TControl* control);
    void ReleaseDesigner();
    int SelectedCount() const;
    // Back to the selection mode: the sticky insert flag cleared, both designers released, the
    // designer attached to the report again, the position and size panels cleared.
    void ResetToCursor();
    // The designer's select event (also for a control it has just inserted): marks the control's
    // insert button, keeps the window's SelectedControl, and records a fresh insertion for undo,
    // keeping the insert mode when it is sticky and ending it otherwise. Ignored while an insert
    // command prepares the designer or the control's window is not the active one.
    virtual void ComponentSelected(TControl* control);
    // Checks the insert button of the control's class and unchecks the others; nil checks none.
    void MarkInsertButton(TControl* control);
    // The multi-selection designer's events.
    void MultiSelectionChanged(TObject* sender);
    void MultiSelectionCleared(TObject* sender);
    void MultiControlDeleted(TObject* sender, TControl* control);
    // The cursor button and the insert commands. The insert buttons' mouse-down sets the sticky
    // flag (BotaoCursorTag 1 with Shift, else 0) before the command runs.
    QAction* BotaoCursor = nullptr;
    int BotaoCursorTag = 0;
    QAction* InserirCampoTabela = nullptr;
    QAction* InserirFiguraTabela = nullptr;
    QAction* InserirCodigoBarras = nullptr;
    QAction* InserirLegenda = nullptr;
    QAction* InserirCampoExpressao = nullptr;
    QAction* InserirTextoExpressao = nullptr;
    QAction* InserirFigura = nullptr;
    QAction* InserirFormaGeometrica = nullptr;
    QAction* InserirDadosSistema = nullptr;
    void SpeedButtonMouseDown(TShiftState shift);
    void BotaoCursorExecute();
    void InserirCampoTabelaExecute();
    void InserirFiguraTabelaExecute();
    void InserirCodigoBarrasExecute();
    void InserirLegendaExecute();
    void InserirCampoExpressaoExecute();
    void InserirTextoExpressaoExecute();
    void InserirFiguraExecute();
    void InserirFormaGeometricaExecute();
    void InserirDadosSistemaExecute();

    // ---- design-surface input (keys, mouse, the message hook) ----
    // The report designer and the multi-selection designer, made by FormCreate and owned by the
    // form; both work on the active window's report.
    TKVDesigner* Designer = nullptr;
    TMultiDesigner* MultiDesigner = nullptr;
    // The next key change records an undo step (set by every key release on the report and by the
    // state without a document).
    bool StepPending = true;
    // A drag or a handle resize has recorded its undo step; its release marks the document modified.
    bool DragStepSaved = false;
    // Cursor positions (the host's surface stands for the screen).
    TPoint PressScreenPoint;
    TPoint HandlePressPoint;       // in the pressed handle's client coordinates
    TPoint GrabOffset;             // press point in the control's parent minus its Left and Top
    TPoint LastBandMovePoint;
    TPoint LastPrintableMovePoint;
    TPoint LastHookPoint;
    TPoint GroupPressPoint;        // the press that started or toggled a group drag
    // The tool-area control that had the focus before a press took it to the design surface.
    QPointer<QWidget> SavedActiveControl;
    // The tool-area control F12 took the focus from.
    QPointer<QWidget> LastToolControl;
    // Gives the report's key events and every band's and printable's mouse events of the report's
    // document to the handlers below. OpenDocumentWindow calls it; a control made later (insertion,
    // paste, undo) is wired by the next selection (the designer's select event and the
    // multi-selection's change event wire the whole document again) or by the message hook before
    // its first mouse message, whichever comes first.
    void WireDocumentInput(TVardoRep* report);
    void WireControlInput(TControl* control);
    // A window became active: the designers come to its report and take back the selection it
    // had (its control, else its band, else the first band, else the report), unless the
    // multi-selection already works there. Errors on the way are dropped.
    void RestoreWindowSelection(TfmAnexo_MDIChild* child);
    void ReportKeyDown(TObject* sender, unsigned short& key, TShiftState shift);
    void ReportKeyUp(TObject* sender, unsigned short& key, TShiftState shift);
    void BandMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void BandMouseMove(TObject* sender, TShiftState shift, int x, int y);
    void PrintableMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void PrintableMouseMove(TObject* sender, TShiftState shift, int x, int y);
    void DesignMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void DesignerMouseDown(TObject* sender, TKVControlHandle* handle, TMouseButton button, TShiftState shift, int x, int y);
    void DesignerMouseMove(TObject* sender, TKVControlHandle* handle, TShiftState shift, int x, int y);
    void DesignerMouseUp(TObject* sender, TKVControlHandle* handle, TMouseButton button, TShiftState shift, int x, int y);
    // A drag, resize or rubber rectangle still held on the active document's surface ends where
    // the mouse is, as its release would end it; the release itself then changes nothing. Undo,
    // redo and cut call it first, so no outline is left over a control they take away.
    void EndSurfacePress();
    // The application's message hook: the unit panel, and the position panels cleared while the
    // mouse is over neither a band, a printable nor a sizing handle. Never handles a message.
    void AppMsg(TMsg& msg, bool& handled);
    // The control an arrow key goes to from the designer's selection; nil for none.
    TControl* FindNeighbour(TVardoRep* report, unsigned short key) const;
    // F12 from the tool area (or from the design surface, sender nil) gives the focus to the
    // design surface; Ctrl+Alt+Shift+F12 shows the window's undo steps.
    void FormKeyDown(TObject* sender, unsigned short& key, TShiftState shift);
    // A document window's keys first: F12 gives the focus back to the tool area (the control it
    // came from, else the zoom box), its text selected.
    void DesignSurfaceKeyDown(unsigned short& key, TShiftState shift);

    // ---- undo, component naming and the clipboard commands ----
    // Records, before a change, what undo needs: kind 0 the control was inserted, 1 it will
    // change, 2 it will be deleted (each a new step; the redo branch is dropped and the history
    // keeps 20 steps); 10, 11 and 12 add an entry of kind 0, 1 or 2 to the current step and are
    // ignored without one; 111 corrects the last name of the current step after a band was
    // renamed. With a multi-selection (kinds 0-2) the step covers every selected control and obj
    // may be nil. A deleted band takes its printables and nested bands into the step and frees
    // the printables itself; the caller frees the band. Nothing happens without a document.
    void SaveUndoStep(int kind, TControl* obj = nullptr);
    // Undo and redo of the active window's history (the EditarVoltar and EditarRefazer actions).
    void EditarVoltarExecute();
    void EditarRefazerExecute();
    void UpdateUndoRedoActions();
    // Frees a step with every copy it holds; the step must belong to the active window's history.
    void FreeUndoStep(TPanelControl* step);
    // The copy stream: one component with what it holds, written and read back as a new
    // component of owner placed on parent. References resolve against the active document only.
    void WriteComponentToStream(TComponent* component);
    TComponent* ReadComponentFromStream(TComponent* owner, TComponent* parent);
    // Names: the base of a band's name by its kind or class, a free name "<base><n>" (a name
    // still listed by the window's history stays taken), and a name for a component that has
    // none (a text label whose caption followed its name then shows "(NADA)").
    static QString GetBandBaseName(const TKVCustomBand* band);
    QString UniqueComponentName(TComponent* root, const QString& base) const;
    void EnsureComponentName(TComponent* component);
    // The active window's history; nil without a window.
    TfmVoltar* CurrentUndoForm() const;
    // Shows the active window's history as a normal window (its steps and their copies).
    void ShowUndoSteps();
    // The undo and redo actions (the Edit menu is made on first use).
    QAction* EditarVoltar();
    QAction* EditarRefazer();
    // Set while an undo or redo runs: neither starts inside the other.
    bool UndoRedoBusy = false;
    // Clipboard and arrangement: copy, cut and paste of printables of the current band (one
    // control through the clipboard, a multi-selection through the transfer form), select all,
    // drawing order and snapping to the grid. Only cut and paste record undo steps.
    void CopiarClick();
    void Recortar1Click();
    void ColarClick();
    void Selecionartudo1Click();
    void TrazerParaFrente2Click();
    void EnviarParaFundo2Click();
    void AlinharaoGrid1Click();
    // No control of the main form has the focus and the active window's active control is its report.
    bool IsDesignTarget() const;
    // Moves a pasted control off siblings at its exact position: 5 pixels down while it stays
    // above the band's bottom, 5 right while it stays left of its right edge; a control that can
    // move neither way stays.
    static void ApplyPasteOffset(TControl* control, TWinControl* band);

    // ---- dialogs, preview and print, help ----
    // Preview and print of the current document with the tool area and the main menus off during
    // the run and on again however it ends; the focus goes back where it was.
    void ArquivoVisualizarExecute();
    void ArquivoImprimirExecute();
    void ConfigurarImpressoraExecute();
    // Configurar > Tabela, Configurar > Página, the alignment and size dialogs.
    void Tabela1Click();
    void Pagina1Click();
    void Alinhar2Click();
    void Dimensionar2Click();
    // Help contents, the shortcut-keys topic, the about form.
    void TpicosdeAjudaClick();
    void Teclasdeatalho1Click();
    void Sobre1Click();
    // F1: the help context of the focused tool-area widget, else on the design surface the
    // report's (set by the selection), else the contents.
    void ContextHelpClick();

    // ---- property tool bars (core) ----
    // Six bars under the command tool bar, each showing the properties of the control it was
    // last given; in this order they are ToolBar(1) .. ToolBar(6).
    TAnexoToolBar* CustomLabelToolbar = nullptr;   // 1
    TAnexoToolBar* CampoToolBar = nullptr;         // 2
    TAnexoToolBar* CustomBandToolbar = nullptr;    // 3
    TAnexoToolBar* ExprToolbar = nullptr;          // 4
    TAnexoToolBar* ImageToolBar = nullptr;         // 5
    TAnexoToolBar* ShapeToolbar = nullptr;         // 6
    std::vector<TAnexoToolBar*> ToolBars;          // the six in that order
    TAnexoToolBar* ToolBar(int number) const;      // nil outside 1..6
    void CreatePropertyToolbars();
    // Every bar hidden and put back at PropertyBarTop (their Components stay).
    void HidePropertyToolbars();
    // The first bar at PropertyBarTop, the second 28 pixels lower, each given the control and
    // shown; every other bar given nil and hidden. -1 for none.
    void ShowContextToolbars(int first, int second, TControl* control);
    // For the multi-selection: every bar but the label bar hidden; the label bar shown with nil
    // (what the selected controls share) when they are texts or barcodes, else hidden too.
    void ShowMultiSelectionToolbar();
    // Under the command tool bar.
    int PropertyBarTop() const;
    // The selection notification's last step: by the control's class, the report's help context
    // and the one or two bars that show it (the report itself leaves both as they are).
    void ShowSelectionToolbars(TControl* control);
    // The common write-back rule. editFlag: the box's or up-down's edit flag (0 = no step yet in
    // this edit, becomes 1 with the step); nullptr for buttons and colours (one step per
    // application).
    using TWriteBack = TWriteBackOptions;
    // One control: nothing when control is nil or !differs(control). Else: SaveUndoStep(1,
    // control) (subject to editFlag), set(control), then (options) pump messages and
    // Designer->RefreshHandles(), then SetModified(true). True when it changed.
    bool WriteBackSingle(TControl* control, int* editFlag, const std::function<bool(TControl*)>& differs,
                         const std::function<void(TControl*)>& set, TWriteBack options = {});
    // The multi-selection: nothing when no selected control differs (differs(control) is true
    // only where the property applies and its value is another). Else one undo step covering the
    // selection (subject to editFlag), set(control) on each control that differs and its corner
    // marks re-placed, pump (option) and SetModified(true). True when it changed.
    bool WriteBackMulti(int* editFlag, const std::function<bool(TControl*)>& differs,
                        const std::function<void(TControl*)>& set, TWriteBack options = {});
    void PumpMessages();
    // A colour dialog owned by the form with the custom colours of the settings section
    // "CustomColor": read before it runs, written back on OK. True and color set when accepted.
    bool RunColorDialog(TColor& color);
    static void ReadCustomColors(TIniFile* settings, const QString& section, TStringList* list);
    static void WriteCustomColors(TIniFile* settings, const QString& section, TStringList* list);
    // The focus goes to the up-down's associate unless it is the active control.
    void UpDownMouseDown(TUpDown* upDown);
    // Shared picture-mode buttons, made by their bar's owner.
    TSpeedButton* AutoSizePicture = nullptr;          // image bar
    TSpeedButton* sbProporcionalPicture = nullptr;    // image bar
    TSpeedButton* StretchPicture = nullptr;           // image bar
    TSpeedButton* CenterPicture = nullptr;            // image bar
    TSpeedButton* sbProporcionalDBPicture = nullptr;  // field bar
    TSpeedButton* sbStretchDBPicture = nullptr;       // field bar
    TSpeedButton* sbCenterDBPicture = nullptr;        // field bar
    TSpeedButton* AutoSizeLabel = nullptr;            // label bar
    TSpeedButton* StretchLabel = nullptr;             // label bar
    // The band bar. The selection never hands it a band, so in the running program its
    // up-downs change nothing; given an item area or a column grid (or one of their bands) it
    // shows and sets the area's lines or the grid's columns.
    QComboBox* cbTipoBanda = nullptr;
    QLineEdit* edLinhasItens = nullptr;
    TUpDown* udLinhas = nullptr;       // 2 to 999
    QLineEdit* edColunas = nullptr;
    TUpDown* udColunas = nullptr;      // 1 to 999
    QComboBox* cbObs_ListField = nullptr;
    // Edit flags of the two up-downs; back to 0 when their box is left.
    int udLinhasTag = 0;
    int udColunasTag = 0;
    // Without an area on the bar: nothing (no undo step, no modified mark).
    void udLinhasClick();
    void udColunasClick();
    void BuildCustomBandToolbar();
    // nil does nothing.
    void CustomBandToolbarSetComponent(TComponent* value);
    // The other bars' builders (each in its bar's own file).
    void BuildCustomLabelToolbar();
    void BuildCampoToolBar();
    void BuildExprToolbar();
    void BuildImageToolBar();
    void BuildShapeToolbar();

    // ---- field tool bar ----
    // The second bar for a data text, a barcode, a system-data text and a data picture. Panels,
    // left to right: the field (or system-value) box with the mask, add-on or caption box; the
    // quantity check box; the running number; the barcode settings; the data picture's fit.
    // Leaving a box or Enter in it applies its value (the ...Exit handlers) and ends its edit.
    QWidget* paCampoTool = nullptr;
    QWidget* paCampoQtd = nullptr;
    QWidget* paIncremento = nullptr;
    QWidget* paBarra = nullptr;
    QWidget* paDBPicture = nullptr;
    QComboBox* cbCampo = nullptr;
    QLineEdit* Mascara_AddOn58 = nullptr;
    QCheckBox* cbCampoQtd = nullptr;
    QRadioButton* rbIncremento = nullptr;
    QRadioButton* rbDeslocamento = nullptr;
    QLineEdit* edIncremento = nullptr;
    TUpDown* udIncremento = nullptr;
    QComboBox* TipoBarra = nullptr;
    QLineEdit* EditTamanho = nullptr;
    TUpDown* Tamanho = nullptr;
    QLineEdit* EditAltura = nullptr;
    TUpDown* udAltura = nullptr;
    QCheckBox* NumerosVisiveis = nullptr;
    // Edit flags of the boxes and up-downs applied while the user works in them.
    int cbCampoEdit = 0;
    int TipoBarraEdit = 0;
    int TamanhoEdit = 0;
    int udAlturaEdit = 0;
    int udIncrementoEdit = 0;
    // Loads the bar from a control (nil does nothing); only shows, never changes the control.
    void CampoToolBarSetComponent(TComponent* value);
    void ReloadCampoToolBar();
    TControl* CampoControl() const;
    // The data set that serves a control: a column grid's query (also for its cell band), an item
    // area's observation query for its observation band, else the report's data set.
    TDataSet* ServingDataSet(const TControl* control) const;
    // By the type of the text's field in its serving data set (a closed data set answers from its
    // field definitions): numbers and dates are numeric; false when the field is not found.
    bool IsNumericField(TKVDBText* text) const;
    bool IsDateField(TKVDBText* text) const;
    // The symbology box lists the symbologies alphabetically (letter case ignored), so an item's
    // index is not the enumeration's ordinal.
    static QStringList BarcodeTypeItems();
    static int BarcodeTypeItem(btCodeTypes type);
    static bool BarcodeTypeOfItem(int item, btCodeTypes& type);
    void cbCampoClick();
    void cbCampoExit();
    void Mascara_AddOn58Exit();
    // Enter acts as leaving the box (and goes no further); every other key is the box's own.
    void cbCampoKeyDown(unsigned short& key, TShiftState shift);
    void Mascara_AddOn58KeyPress(QChar& key);
    void edIncrementoKeyPress(QChar& key);
    void EditTamanhoKeyPress(QChar& key);
    void EditAlturaKeyPress(QChar& key);
    void cbCampoQtdClick();
    void rbIncrementoClick();
    void rbDeslocamentoClick();
    void udIncrementoClick();
    void edIncrementoExit();
    void TipoBarraClick();
    void TipoBarraExit();
    void TamanhoClick();
    void EditTamanhoExit();
    void udAlturaClick();
    void EditAlturaExit();
    void NumerosVisiveisClick();
    int CampoFieldItem(const QString& name) const;

    // ---- the commands: actions, menus, command tool bar ----
    // The action list (every command once, from one table), the main menu, the Edit menu, the
    // document windows' popup menu and the command tool bar with the zoom box, the cursor button
    // and the insert buttons. FormCreate makes them once, after the zoom box.
    void CreateActions();
    // An action of the list, or a named item of the menus, by its object name; nil when unknown.
    QAction* Action(const QString& name) const;
    // The command tool bar at the top of the tool area (its Component is the form).
    TAnexoToolBar* EditorToolbar = nullptr;
    QMenu* PopupMenu1() const { return FPopupMenu1; }
    // The Edit menu's states, each time it opens and before one of its shortcuts runs: the
    // context items for the designer's selection, and the seven selection commands enabled for a
    // printable or a multi-selection, only cut and copy while a box of the form has the focus.
    void Editar1Click();
    // The popup's states for the window it opens on; EAbort (silent) when that window is not the
    // active one, so the popup does not show.
    void PopupMenu1Popup(TfmAnexo_MDIChild* window);
    // The popup at a screen point of the window, when PopupMenu1Popup lets it.
    void PopupDocumentMenu(TfmAnexo_MDIChild* window, const QPoint& globalPos);
    // The window commands: arrange the document windows, minimise them all, close the active one
    // through its own close (so the save question runs).
    void JanelaCascataExecute();
    void JanelaHorizontalExecute();
    void JanelaVerticalExecute();
    void JanelaMinimizarTodasExecute();
    void JanelaArrumarTodasExecute();
    void JenelaFecharExecute();

    // ---- label property tool bar ----
    // The first bar for texts, barcodes and bands, and for a multi-selection of texts and
    // barcodes. Its handlers change the bar's Component, or every control of the multi-selection,
    // through the write-back rule; a value that changes nothing records no undo step and leaves
    // the modified mark alone. The boxes apply their value while the user works in them and end
    // their edit (one undo step) when left or on Enter.
    // A control configures the bar for it; nil for the multi-selection (nothing when it is empty),
    // whose other controls are then merged in: a button stays down only when every control has its
    // property, the font and size boxes empty when the controls differ, and the fill box shows
    // while one of the texts lies on a group footer.
    void CustomLabelToolbarSetComponent(TComponent* value);
    // Enables, shows and loads the bar's controls from one control (the first of a multi-selection).
    // The size box shows where fonts apply, the font scale where barcodes do (both for a mixed
    // multi-selection).
    void ConfigureLabelToolbar(TControl* control);
    TFontComboBox* FonteNome = nullptr;
    QComboBox* FontSize = nullptr;
    // The barcode's font scale (20 to 200 %), at the size box's place.
    QLineEdit* edEscalaFontBarra = nullptr;
    TUpDown* upEscalaFontBarra = nullptr;
    TSpeedButton* Bold = nullptr;
    TSpeedButton* Italic = nullptr;
    TSpeedButton* UnderLn = nullptr;
    TSpeedButton* AlignLeft = nullptr;
    TSpeedButton* AlignCenter = nullptr;
    TSpeedButton* AlignRight = nullptr;
    TSpeedButton* FrameLeft = nullptr;
    TSpeedButton* FrameTop = nullptr;
    TSpeedButton* FrameBottom = nullptr;
    TSpeedButton* FrameRight = nullptr;
    QComboBox* cbRotacaoLabel = nullptr;
    TSpeedButton* FontColor = nullptr;
    TSpeedButton* BkColor = nullptr;
    TSpeedButton* sbTransparent = nullptr;
    TSpeedButton* sbWordWrapLabel = nullptr;
    // The footer fill string: shown only for texts of group footers.
    QLineEdit* edStrPreencheRodape = nullptr;
    // Edit flags: 0 until the box's edit recorded its undo step, then 1; back to 0 when it is left.
    int FonteNomeTag = 0;
    int FontSizeTag = 0;
    int cbRotacaoLabelTag = 0;
    int upEscalaFontBarraTag = 0;
    // An empty font box names no font and applies nothing.
    void FonteNomeClick();
    void FonteNomeExit();
    void FonteNomeKeyPress(QChar& key);
    // A size outside 1..1638 or not a whole number is refused before anything is recorded: the
    // box shows the single control's size again, or empties for a multi-selection.
    void FontSizeClick();
    void FontSizeExit();
    // Only digits and Backspace are typed (key := null otherwise); Enter leaves.
    void FontSizeKeyPress(QChar& key);
    // The scale goes to the bar's barcode or the selected barcodes.
    void upEscalaFontBarraClick();
    void edEscalaFontBarraExit();
    void edEscalaFontBarraKeyPress(QChar& key);
    // No item chosen ends with EAbort (silent); leaving the box ends its edit all the same.
    void cbRotacaoLabelClick();
    void cbRotacaoLabelExit();
    void cbRotacaoLabelKeyPress(QChar& key);
    void FontStyle(TSpeedButton* sender);
    void AlignClick(TSpeedButton* sender);
    void FrameClick(TSpeedButton* sender);
    // The colour dialog preset from the (first) control; a single barcode opens none for its font.
    // A cancelled dialog changes nothing; the font colour never goes to a barcode.
    void FontColorClick();
    void BkColorClick();
    void sbTransparentClick();
    // Shared with the image and field bars: they act on the selected control by its class.
    void AutoSizeClick();
    void StretchClick();
    void sbWordWrapExprMemoClick();
    void edStrPreencheRodapeExit();
    void edStrPreencheRodapeKeyDown(unsigned short& key, TShiftState shift);
    // One button applied to one control: whether it changes (or, with set, changed) the control;
    // controls the button does not concern are never changed.
    bool ApplyFontStyle(TControl* control, const TSpeedButton* button, bool set = true);
    bool ApplyAlignment(TControl* control, const TSpeedButton* button, bool set = true);
    bool ApplyFrame(TControl* control, const TSpeedButton* button, bool set = true);
    bool ApplyTransparent(TControl* control, bool set = true);
    bool ApplyAutoSize(TControl* control, bool set = true);
    bool ApplyWordWrap(TControl* control, bool set = true);
    bool ApplyPictureButtons(TControl* control, bool set = true);

    // ---- expression, image and shape tool bars ----
    // The bars' loaders (their OnSetComponent); nil does nothing.
    void ExprToolbarSetComponent(TComponent* value);
    void ImageToolBarSetComponent(TComponent* value);
    void ShapeToolbarSetComponent(TComponent* value);
    // The context commands of the Edit menu and the popup run these.
    void OpenPictureClick();
    void Editararquivotexto2Click();
    void WizardButtonClick();
    void sbMoverAcima2Click();
    void ComandosSql2Click();
    // The expression bar: the second bar of an expression (its Expression) and of a label (its
    // Caption, without the OK, cancel and wizard buttons). "(NADA)" stands for an empty text and
    // shows as an empty box. Leaving the box or Enter applies it; Escape shows the stored text.
    QWidget* paExprBu = nullptr;
    QWidget* paFunction = nullptr;
    QWidget* paEdit = nullptr;
    QWidget* paMoverAcima = nullptr;
    QWidget* paBandaRodape = nullptr;
    QWidget* paZeraValor = nullptr;
    TSpeedButton* OKButton = nullptr;
    TSpeedButton* CancelButton = nullptr;
    TSpeedButton* WizardButton = nullptr;
    TSpeedButton* sbMoverAcima = nullptr;
    QCheckBox* cbBandaRodape = nullptr;
    QCheckBox* ZeraImpressao = nullptr;
    QLineEdit* EditExpr = nullptr;
    // A box whose text stores what is stored already (an empty box over "(NADA)" included)
    // records nothing.
    void OKButtonClick();
    void CancelButtonClick();
    void EditExprExit();
    // Enter (13) applies, Escape (27) restores; either is consumed (key := 0).
    void ExpressionKeyPress(QChar& key);
    // The image bar: a picture's file and fitting mode, or an expression memo's text file and
    // its editor. The file loaded is kept, with its folder, in the control's Hint.
    QLineEdit* FilePicture = nullptr;
    TSpeedButton* OpenPicture = nullptr;
    TSpeedButton* sbEditarArq = nullptr;
    void CenterPictureClick();
    void sbProporcionalPictureClick();
    // The shape bar: a shape's kind and colours, or the frame lines (and, for a picture, the
    // background colour) of a picture or data picture.
    QWidget* paFormaGeometrica = nullptr;
    QWidget* paImage = nullptr;
    TSpeedButton* Rectangle = nullptr;
    TSpeedButton* Circle = nullptr;
    TSpeedButton* VertLine = nullptr;
    TSpeedButton* HorzLine = nullptr;
    TSpeedButton* TopAndBottom = nullptr;
    TSpeedButton* RightAndLeft = nullptr;
    TSpeedButton* PenColor = nullptr;
    TSpeedButton* BrushColor = nullptr;
    TSpeedButton* BandFrameLeft = nullptr;
    TSpeedButton* BandFrameTop = nullptr;
    TSpeedButton* BandFrameBottom = nullptr;
    TSpeedButton* BandFrameRight = nullptr;
    TSpeedButton* sbColorBand = nullptr;
    // The pressed shape button; the shape's own kind again records nothing.
    void ShapeButtonClick(TSpeedButton* sender);
    void PenColorClick();
    void BrushColorClick();
    void sbColorBandClick();
    void BandFrameLeftClick();
    void BandFrameTopClick();
    void BandFrameBottomClick();
    void BandFrameRightClick();

    // ---- the document host ----
    QStringList DocumentWindowCaptions() const override;
    bool HostHidden() const override;
    void BringApplicationToFront() override;
    // A preview run of the document began: its pages are shown in the preview window.
    void ShowPreview(TAnexoRelatorio* document, TKVPrinter* printer) override;

protected:
    bool CloseQuery() override;

private:
    // ---- design-surface input (keys, mouse, the message hook) ----
    // The designers made and wired, and the message hook installed (FormCreate); all of it let go
    // before the form's windows go (the destructor).
    void FormCreateInput();
    void FormDestroyInput();
    // The state without a document: no multi-selection, the designer detached, a new key step.
    void ReleaseDesignSurface();
    QWidget* ToolAreaFocus() const;
    QWidget* ZoomBox() const;
    bool IsActiveDocumentControl(const TControl* control) const;
    void KeyUndoStep(TControl* selection);
    void ScrollIntoView(TControl* control);
    // One key step of every control of the multi-selection: dimension 0 height, 1 width, 2 top,
    // 3 left; s the direction.
    void StepGroup(int dimension, int s);
    void SelectByRightButton(TControl* control);
    // F12 seen by the forms before the focused control (their key preview).
    void InstallKeyPreview();
    bool FMessageHookInstalled = false;

    void FormCreate();
    void FormShow(TObject* sender);
    void FormClose();
    void ChildActivated(QWidget* window);
    void SelectFirstBand();

    QStringList FParameters;
    std::unique_ptr<TIniFile> FSettings;
    TFormPlacement* FPlacement = nullptr;
    TMRUManager* FRecentList = nullptr;
    QMdiArea* FMdiArea = nullptr;
    QWidget* FTopPanel = nullptr;
    QMenu* FReabrir1 = nullptr;
    QMenu* FJanela1 = nullptr;
    QAction* FArquivoSalvar = nullptr;
    QAction* FArquivoSalvarComo = nullptr;
    std::vector<QLabel*> FStatusPanels;
    std::vector<TfmAnexo_MDIChild*> FChildren; // in the order they were made
    TfmAnexo_MDIChild* FActive = nullptr;
    bool FClosing = false;
    // ---- dialogs, preview and print, help ----
    void RunDocument(bool print);
    void FormCreateHelp();
    std::unique_ptr<QObject> FHelpKey;
    bool FRunning = false; // a preview or print of a document goes on
    // ---- status bar, zoom, band navigation and the selection core ----
    void CreateStatusAndZoom();
    void SetStatusText(int panel, const QString& text);
    void ApplyZoom(int zoom);
    void InsertCommand(const TClassInfo& cls);
    void RecordSelection(TControl* control);
    void PlaceSelectionMarks();
    QActionGroup* FInsertGroup = nullptr;
    // The zoom box's keys and focus; it goes with the form, before the form's window does.
    std::unique_ptr<QObject> FZoomBoxFilter;
    // ---- label property tool bar ----
    TControl* LabelTarget() const;
    TControl* PictureTarget() const;
    // The write-back over the multi-selection when there is one, else over the single control;
    // apply(control, set) answers whether the control differs and, with set, changes it.
    bool LabelWriteBack(TControl* single, int* editFlag, const std::function<bool(TControl*, bool)>& apply,
                        TWriteBack options = {});
    // A control of a multi-selection after the first, merged into what the bar shows.
    void MergeIntoLabelToolbar(TControl* control);
    // The size box and the barcode's font scale, which share one place.
    void PlaceLabelSizeSlot(bool size, bool scale);
    QWidget* FLabelSizeSlot = nullptr;
    // ---- expression, image and shape tool bars ----
    TControl* ExprToolbarControl() const;
    TControl* ImageToolBarControl() const;
    TControl* ShapeToolbarControl() const;
    // A new colour from the dialog preset with the current one, stored after an undo step when
    // it differs.
    void ShapeColorClick(const std::function<TColor(TControl*)>& get, const std::function<void(TControl*, TColor)>& set);
    // One frame side of a picture or data picture from its toggle.
    void BandFrameClick(TSpeedButton* toggle, int side);
    // ---- undo, component naming and the clipboard commands ----
    void ApplyUndoEntry(TPanelControl* step, int index, bool redo);
    void PrepareUndoSelection(TPanelControl* step);
    void FinishUndoSelection(TPanelControl* step, int lastKind, bool redo);
    TComponent* CopyIntoStep(TControl* control, TPanelControl* step);
    void RecordBandChildren(TKVCustomBand* band, TComponent* bandCopy, TPanelControl* step);
    TControl* RestoreFromCopy(TComponent* copy, TWinControl* parent, const QString& name);
    void RestoreBandChildren(TKVCustomBand* band, TComponent* bandCopy, TPanelControl* step);
    void RecordNestedBands(TKVCustomBand* band, TComponent* bandCopy, TPanelControl* step);
    std::vector<TControl*> MultiSelectionForUndo() const;
    void ToggleBackIntoSelection(TPanelControl* step, int index);
    void CopyMultiSelection();
    void DeleteMultiSelection();
    void PasteMultiSelection(const std::vector<TControl*>& copies);
    void SelectMultiple(const std::vector<TControl*>& controls);
    void SnapControlToGrid(TControl* control);
    std::shared_ptr<TMemoryStream> FCopyStream; // made on first use, where the type is complete
    QMenu* FEditar1 = nullptr;
    QAction* FEditarVoltar = nullptr;
    QAction* FEditarRefazer = nullptr;
    // ---- the commands: actions, menus, command tool bar ----
    void BuildMainMenu();
    void BuildPopupMenu();
    void BuildEditorToolbar();
    void FillWindowList();
    // The context items' states of the Edit menu (context true) or the popup.
    void SetContextItems(bool editMenu);
    std::vector<QAction*> FActions;        // alAnexo, in table order
    QMenu* FPopupMenu1 = nullptr;
    QMenu* FConfigurar1 = nullptr;
    QMenu* FAjuda1 = nullptr;
    // Edit-menu shortcuts refresh the menu's states first; a form box leaves cut, copy and paste
    // to the commands (which act on its text).
    std::unique_ptr<QObject> FShortcutFilter;
    std::unique_ptr<QObject> FInsertButtonFilter;
    // Remembered for the window commands' list: the windows' menu items after the actions.
    QAction* FWindowListStart = nullptr;
};

} // namespace tessiv

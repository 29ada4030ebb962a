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

#include "designer/AnexoRelatorio.h"
#include "platform/controls/Controls.h"
#include "uisupport/Form.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QAction;
class QActionGroup;
class QComboBox;
class QLabel;
class QMdiArea;
class QMenu;
class QObject;
class QWidget;

namespace tessiv {

class TControl;
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

    // The actions this Part keeps enabled; the command list adds its own later.
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
    // The Edit menu with its actions, made once.
    void BuildEditMenu();

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
    void BuildMenus();
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
    // ---- status bar, zoom, band navigation and the selection core ----
    void CreateStatusAndZoom();
    void CreateInsertActions();
    void SetStatusText(int panel, const QString& text);
    void ApplyZoom(int zoom);
    void InsertCommand(const TClassInfo& cls);
    void PlaceSelectionMarks();
    QActionGroup* FInsertGroup = nullptr;
    // The zoom box's keys and focus; it goes with the form, before the form's window does.
    std::unique_ptr<QObject> FZoomBoxFilter;
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
};

} // namespace tessiv

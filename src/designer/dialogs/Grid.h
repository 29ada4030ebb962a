#pragma once
// The data grid: the records of a document's report data set, browsed and edited in a grid with
// a navigator (first, prior, next, last, insert, delete, edit, post, cancel), a refresh button and
// "Fechar". Closing with an edit pending asks whether to keep it; the window's state, place and
// size are kept in the settings file's section "GridDados".
//
// One call: TfmGrid::Execute(document, settings). It does, in this order: TfmGrid grid(nullptr);
// grid.Settings = settings (may be nil); grid.Anexo = document; grid.ShowModal(). Without a document the grid refuses to show (a message, then the silent abort
// out of ShowModal).

#include "designer/dialogs/ModalForm.h"

#include <QString>

#include <memory>

class QTableView;
class QToolButton;
class QPushButton;
class QWidget;

namespace tessiv {

class TAnexoRelatorio;
class TDataGridModel;
class TDataSource;
class TIniFile;

class TfmGrid : public TModalForm {
    TESSIV_CLASS(TfmGrid, TModalForm)
public:
    explicit TfmGrid(TComponent* owner);
    ~TfmGrid() override;

    static constexpr int HelpContext = 540;

    // Shows the grid over the document's report data set until the user closes it.
    static void Execute(TAnexoRelatorio* document, TIniFile* settings);

    TAnexoRelatorio* Anexo = nullptr;
    TIniFile* Settings = nullptr;

    // The navigator's buttons, in its order.
    enum TNavigateBtn { nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel };
    QToolButton* NavigatorButton(TNavigateBtn button) const { return FNavigator[button]; }
    // What a navigator button does; the buttons run it at the exception boundary.
    void NavigatorClick(TNavigateBtn button);
    QToolButton* RefreshButton() const { return FRefresh; }
    void RefreshClick();
    QPushButton* buFechar() const { return FClose; }
    QTableView* Grid() const { return FGrid; }
    TDataGridModel* GridModel() const { return FModel; }
    TDataSource* dsGrid() const { return FDataSource.get(); }

    // Makes the grid show the document's data set; FormShow does it, tests may too.
    void AttachDataSet();

protected:
    void FormShow() override;
    void FormCloseQuery(bool& canClose) override;
    void FormClose() override;

private:
    void UpdateNavigator();
    void SyncCurrentRow();
    QToolButton* FNavigator[nbCancel + 1] = {};
    QToolButton* FRefresh = nullptr;
    QPushButton* FClose = nullptr;
    QTableView* FGrid = nullptr;
    TDataGridModel* FModel = nullptr;
    std::unique_ptr<TDataSource, TComponentDeleter> FDataSource;
    bool FSyncing = false;
};

} // namespace tessiv

// The data grid on a real X server, over a real SQLite file: centred the first time, a cell typed
// with real keys, closed with "Fechar" and the pending edit kept by answering the question, its
// place and size written and restored; a screenshot in the build folder for a person to look at.
#include "DataCheck.h"
#include "PageDialogsCheck.h"

#include "designer/dialogs/DataGridModel.h"
#include "designer/dialogs/Grid.h"
#include "platform/ui/Application.h"

#include <QApplication>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

using namespace tessiv;
using namespace dialogcheck;

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    datacheck::UseFolder(dir);
    TQtApplication app(argc, argv);
    datacheck::TShop shop(dir);
    auto& [settings, host, file, doc] = shop;

    auto* table = dynamic_cast<TTable*>(doc->Report()->DataSet());
    Application().Presenter = [](const TMessageBoxRequest& r) {
        Expect(r.Text == QStringLiteral("Existem Pendências, deseja gravá-las"), "an unexpected question");
        return mrYes;
    };
    {
        std::unique_ptr<TfmGrid, TComponentDeleter> grid(new TfmGrid(nullptr));
        grid->Settings = &settings;
        grid->Anexo = doc.get();
        QTimer::singleShot(0, [&] {
            Settle(800);
            ExpectCentred(*grid);
            grid->Window()->activateWindow();
            QTableView* view = grid->Grid();
            view->setFocus();
            view->setCurrentIndex(grid->GridModel()->index(1, 1));
            Settle(200);
            // Typing replaces the cell; Enter ends the cell and leaves the record being edited.
            QTest::keyClick(view, 'B');
            Settle(100);
            QWidget* editor = QApplication::focusWidget();
            Expect(editor && editor != view, "typing opened no cell editor");
            QTest::keyClicks(editor, QStringLiteral("eatriz"));
            QTest::keyClick(editor, Qt::Key_Return);
            Settle(300);
            Expect(table && table->State() == dsEdit, "typing did not edit the record");
            Expect(Screenshot(*grid, "dialogs_grid"), "the screenshot shows no painted grid");
            grid->SetBounds(160, 130, 700, 420);
            Settle(300);
            QTest::mouseClick(grid->buFechar(), Qt::LeftButton);
        });
        Expect(grid->ShowModal() == mrOk, "Fechar did not close the grid");
    }
    Expect(datacheck::Query(file, QStringLiteral("SELECT NOME FROM CLIENTES WHERE ID = 2")) == QStringLiteral("Beatriz"),
           "the kept edit was not written");
    {
        std::unique_ptr<TfmGrid, TComponentDeleter> grid(new TfmGrid(nullptr));
        grid->Settings = &settings;
        grid->Anexo = doc.get();
        QTimer::singleShot(0, [&] {
            Settle(500);
            ExpectPlacedAt(*grid, 160, 130, 700, 420);
            QTest::keyClick(grid->Window(), Qt::Key_Escape);
        });
        grid->ShowModal();
    }
    Application().Presenter = nullptr;
    return Finish();
}

// The memo text editor on a real X server: centred the first time, text typed into it, Ctrl+A
// giving it to the memo, Escape answered with the text question, its state, place and size kept in the settings file and
// restored the next time, and a screenshot in the build folder.
#include "PageDialogsCheck.h"

#include "designer/dialogs/EditorTxt.h"
#include "designer/document/Hidden.h"
#include "engine/printables/KVExprMemo.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Strings.h"
#include "platform/ui/Application.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace tessiv;
using namespace dialogcheck;

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    TQtApplication app(argc, argv);
    TIniFile settings(dir.filePath(QStringLiteral("Tessiv.INI")));
    std::unique_ptr<TfmHidden, TComponentDeleter> root(new TfmHidden(nullptr));
    auto* report = new TVardoRep(root.get());
    report->SetParent(root.get());
    auto* memo = new TKVExprMemo(root.get());
    memo->SetName(QStringLiteral("Carta"));
    memo->Lines()->SetText(QStringLiteral("Prezado {NOME},\r\n\r\nSeu pedido {PEDIDO} foi enviado em {DATE}.\r\n"));
    QStringList asked;
    Application().Presenter = [&asked](const TMessageBoxRequest& r) {
        asked << r.Text;
        return IDNO;
    };

    {
        std::unique_ptr<TfmEditorTxt, TComponentDeleter> e(new TfmEditorTxt(nullptr));
        e->Settings = &settings;
        e->Memo = memo;
        e->Report = report;
        e->DataSetOwner = root.get();
        e->SetText(memo->Lines()->Text());
        e->SetCaption(QStringLiteral("Carta"));
        QTimer::singleShot(0, [&] {
            Settle(800);
            ExpectCentred(*e);
            Expect(e->Texto->textCursor().position() == 0, "the caret is not at the start");
            e->Texto->moveCursor(QTextCursor::End);
            QTest::keyClicks(e->Texto, QStringLiteral("Atenciosamente"));
            Settle(300);
            Expect(e->Text().endsWith(QStringLiteral("Atenciosamente")), "the typing did not reach the text");
            Expect(Screenshot(*e, "dialogs_editortxt"), "the screenshot shows no painted editor");
            e->SetBounds(150, 100, 600, 400);
            Settle(400);
            // Ctrl+A gives the memo the text ("Atualizar"), it selects nothing.
            QTest::keyClick(e->Texto, Qt::Key_A, Qt::ControlModifier);
            Settle(200);
            Expect(memo->Lines()->Text().contains(QStringLiteral("Atenciosamente")), "Ctrl+A did not update the memo");
            Expect(!e->Texto->textCursor().hasSelection(), "Ctrl+A selected the text");
            QTest::keyClicks(e->Texto, QStringLiteral("!"));
            QTest::keyClick(e->Texto, Qt::Key_Escape);
        });
        Expect(e->ShowModal() == mrCancel, "Escape and No did not end with Cancel");
    }
    Expect(asked == QStringList{QStringLiteral("O texto foi alterado deseja atualizar")}, "the text question was not asked once");
    const QString s = QStringLiteral("EditorTxt");
    Expect(settings.ReadInteger(s, QStringLiteral("WindowState"), -1) == 0, "WindowState not written");
    ExpectPlacementWritten(settings, s, 150, 100, 600, 400);
    {
        std::unique_ptr<TfmEditorTxt, TComponentDeleter> e(new TfmEditorTxt(nullptr));
        e->Settings = &settings;
        QTimer::singleShot(0, [&] {
            Settle(600);
            ExpectPlacedAt(*e, 150, 100, 600, 400);
            QTest::mouseClick(e->buOk, Qt::LeftButton);
        });
        Expect(e->ShowModal() == mrOk, "Ok did not close it with Ok");
    }
    Application().Presenter = nullptr;
    return Finish();
}

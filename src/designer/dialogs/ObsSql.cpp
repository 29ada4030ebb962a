#include "designer/dialogs/ObsSql.h"

#include "designer/mainform/AnexoForm.h"
#include "designer/surface/Voltar.h"
#include "engine/printables/KVColuna.h"
#include "engine/printables/KVItemsObs.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Strings.h"
#include "platform/data/DBTables.h"
#include "platform/data/Database.h"
#include "platform/ui/Application.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

namespace tessiv {

namespace {

const QString SectionName = QStringLiteral("ItensObs");
const QString MsgOnlyReading =
    QStringLiteral("Só uma consulta que lê dados (SELECT ou WITH) pode ser aberta aqui; o SQL não foi executado.");

QString DatabaseNameOf(const TDataSet* dataSet)
{
    const auto* db = dynamic_cast<const TDBDataSet*>(dataSet);
    return db ? db->DatabaseName() : QString();
}

} // namespace

TESSIV_IMPLEMENT_CLASS(TfmObs_Sql, TModalForm)

TfmObs_Sql::TfmObs_Sql(TComponent* owner) : TModalForm(owner)
{
    SetName(QStringLiteral("fmObs_Sql"));
    SetCaption(QStringLiteral("Editor do Sql da observação dos itens"));
    Window()->setObjectName(QStringLiteral("fmObs_Sql"));
    Window()->resize(520, 360);
    auto* client = new QWidget;
    Window()->setCentralWidget(client);
    auto* layout = new QVBoxLayout(client);
    mmEditorSql = new QPlainTextEdit(client);
    mmEditorSql->setObjectName(QStringLiteral("mmEditorSql"));
    mmEditorSql->setLineWrapMode(QPlainTextEdit::NoWrap);
    mmEditorSql->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmEditorSql->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(mmEditorSql, 1);
    auto* buttons = new QHBoxLayout;
    buAbre = MakeButton(client, QStringLiteral("&Abre"), mrNone, [this] { buAbreClick(); });
    buOk = MakeButton(client, QStringLiteral("&Ok"), mrNone, [this] { buOkClick(); });
    buCancela = MakeButton(client, QStringLiteral("&Cancela"), mrCancel);
    SetCancelButton(buCancela);
    buttons->addWidget(buAbre);
    buttons->addStretch();
    buttons->addWidget(buOk);
    buttons->addWidget(buCancela);
    layout->addLayout(buttons);
    Window()->setFocusProxy(mmEditorSql);
}

TfmObs_Sql::~TfmObs_Sql()
{
    if (FQuery)
        FQuery->Free();
    if (FSource)
        FSource->Free();
}

void TfmObs_Sql::UseMainForm(TfmAnexo* main)
{
    Settings = main->Settings();
    SaveUndoStep = [main](TKVCustomBand* b) { main->SaveUndoStep(1, b); };
    DropUndoStep = [main] {
        TfmVoltar* undo = main->CurrentUndoForm();
        if (!undo || undo->StepIndex < 0 || undo->StepIndex >= undo->StepCount())
            return;
        main->FreeUndoStep(undo->Steps(undo->StepIndex));
        --undo->StepIndex;
        main->UpdateUndoRedoActions();
    };
}

int TfmObs_Sql::Execute(TfmAnexo* main, TKVCustomBand* band)
{
    auto* itensObs = dynamic_cast<TKVItensObs*>(band);
    auto* colunaSql = dynamic_cast<TKVColunaSql*>(band);
    if (!itensObs && !colunaSql)
        return mrCancel;
    const std::unique_ptr<TfmObs_Sql, TComponentDeleter> form(new TfmObs_Sql(nullptr));
    if (main)
        form->UseMainForm(main);
    if (itensObs)
        form->SetItensObs(itensObs);
    else
        form->SetColunaSql(colunaSql);
    const int result = form->ShowModal();
    if (result == mrOk && main)
        main->SetModified(true);
    return result;
}

TKVCustomBand* TfmObs_Sql::Band() const
{
    if (FItensObs)
        return FItensObs;
    return FColunaSql;
}

TStrings* TfmObs_Sql::BandSql() const
{
    if (FItensObs)
        return FItensObs->Obs_SQL();
    if (FColunaSql)
        return FColunaSql->Col_SQL();
    return nullptr;
}

void TfmObs_Sql::StoreInBand(const TStrings* sql)
{
    if (FItensObs)
        FItensObs->SetObs_SQL(sql);
    else if (FColunaSql)
        FColunaSql->SetCol_SQL(sql);
}

void TfmObs_Sql::SetItensObs(TKVItensObs* band)
{
    FColunaSql = nullptr;
    FItensObs = band;
    LoadBand(band, band ? band->Obs_DataSet() : nullptr);
}

void TfmObs_Sql::SetColunaSql(TKVColunaSql* band)
{
    FItensObs = nullptr;
    FColunaSql = band;
    LoadBand(band, band ? band->Col_DataSet() : nullptr);
}

void TfmObs_Sql::LoadBand(TKVCustomBand* band, TQuery* bandQuery)
{
    TVardoRep* report = band ? band->ParentReport() : nullptr;
    TDataSet* master = report ? report->DataSet() : nullptr;
    if (!FSource) {
        FSource = new TDataSource(nullptr);
        FSource->SetName(QStringLiteral("dsObsSql"));
    }
    FSource->SetDataSet(master);
    if (!FQuery) {
        FQuery = new TQuery(nullptr);
        FQuery->SetName(QStringLiteral("quObsSql"));
    }
    FQuery->Close();
    FQuery->SetFiltered(false);
    FQuery->SetFilter(QString());
    // The trial query belongs to no document: it takes the file or folder the report's data set
    // names, as that data set's document finds it.
    FQuery->SetDatabaseName(Session().DatabasePath(DatabaseNameOf(master), master ? master->Owner() : nullptr));
    FQuery->SetDataSource(FSource);
    TStringList sql;
    if (bandQuery)
        sql.Assign(bandQuery->SQL());
    FQuery->SQL()->Assign(&sql);
    ShowSql(&sql);
}

void TfmObs_Sql::ShowSql(const TStrings* lines)
{
    if (!FStartingSql)
        FStartingSql = std::make_unique<TStringList>();
    FStartingSql->Assign(lines);
    SetSqlText(lines ? lines->Text() : QString());
}

void TfmObs_Sql::SetSqlText(const QString& text) { SetBoxLines(mmEditorSql, text); }

void TfmObs_Sql::EditorLines(TStringList& lines) const { GetBoxLines(mmEditorSql, lines); }

bool TfmObs_Sql::IsReadingStatement(const QString& sql)
{
    qsizetype i = 0;
    const qsizetype n = sql.size();
    for (;;) {
        while (i < n && (sql[i].isSpace() || sql[i] == u'('))
            ++i;
        if (sql.mid(i, 2) == QLatin1String("--")) {
            while (i < n && sql[i] != u'\n')
                ++i;
        } else if (sql.mid(i, 2) == QLatin1String("/*")) {
            const qsizetype end = sql.indexOf(QLatin1String("*/"), i + 2);
            if (end < 0)
                return false;
            i = end + 2;
        } else {
            break;
        }
    }
    qsizetype j = i;
    while (j < n && sql[j].isLetter())
        ++j;
    const QString word = sql.mid(i, j - i).toUpper();
    return word == QLatin1String("SELECT") || word == QLatin1String("WITH");
}

void TfmObs_Sql::buAbreClick()
{
    if (!FQuery)
        return;
    TStringList lines;
    EditorLines(lines);
    if (lines.Equals(FQuery->SQL()))
        return;
    TStringList previous;
    previous.Assign(FQuery->SQL());
    try {
        FQuery->Close();
        FQuery->SQL()->Assign(&lines);
        if (!lines.Text().trimmed().isEmpty() && !FQuery->Active()) {
            // Trying a query must never change the database.
            if (!IsReadingStatement(lines.Text()))
                throw Exception(MsgOnlyReading);
            FQuery->Open();
        }
    } catch (...) {
        FQuery->Close();
        FQuery->SQL()->Assign(&previous);
        throw;
    }
}

void TfmObs_Sql::buOkClick()
{
    buAbreClick();
    TStringList lines;
    EditorLines(lines);
    if (!FStartingSql || lines.Equals(FStartingSql.get())) {
        SetModalResult(mrCancel);
        return;
    }
    if (SaveUndoStep)
        SaveUndoStep(Band());
    const QString wanted = FQuery->SQL()->Text();
    try {
        StoreInBand(FQuery->SQL());
    } catch (...) {
        if (DropUndoStep)
            DropUndoStep();
        try {
            StoreInBand(FStartingSql.get());
        } catch (...) {
            // The band's own error is the one the user hears of.
        }
        throw;
    }
    // A band that told the user why it kept its SQL (no report data set) has stored nothing.
    if (!BandSql() || BandSql()->Text() != wanted) {
        if (DropUndoStep)
            DropUndoStep();
        return;
    }
    SetModalResult(mrOk);
}

void TfmObs_Sql::FormShow() { ReadWindowPlacement(Settings, SectionName); }

void TfmObs_Sql::FormClose()
{
    WriteWindowPlacement(Settings, SectionName);
    if (FQuery) {
        FQuery->Free();
        FQuery = nullptr;
    }
    if (FSource) {
        FSource->Free();
        FSource = nullptr;
    }
    FStartingSql.reset();
}

} // namespace tessiv

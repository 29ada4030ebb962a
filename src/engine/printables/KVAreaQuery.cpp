#include "engine/printables/KVAreaQuery.h"

#include "engine/model/KVBands.h"
#include "engine/run/KVRunHooks.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Exceptions.h"
#include "platform/data/DBTables.h"

namespace tessiv {

namespace {

QString DatabaseNameOf(const TDataSet* dataSet)
{
    const auto* db = dynamic_cast<const TDBDataSet*>(dataSet);
    return db ? db->DatabaseName() : QString();
}

} // namespace

TKVAreaQuery::TKVAreaQuery(TKVCustomBand* band, QString queryBase, QString sourceBase)
    : FBand(band), FQueryBase(std::move(queryBase)), FSourceBase(std::move(sourceBase)),
      FSQL(std::make_unique<TStringList>()), FLink(std::make_unique<TLink>(this))
{
}

TKVAreaQuery::~TKVAreaQuery()
{
    FLink->SetDataSource(nullptr);
}

TVardoRep* TKVAreaQuery::OwnReport() const
{
    TVardoRep* report = FBand->ParentReport();
    return report && report->Owner() == FBand->Owner() ? report : nullptr;
}

bool TKVAreaQuery::Loading() const
{
    const TComponent* owner = FBand->Owner();
    return FBand->ComponentState().Contains(csLoading) || (owner && owner->ComponentState().Contains(csLoading));
}

void TKVAreaQuery::Follow(TComponent* component)
{
    if (component)
        component->FreeNotification(FBand);
}

void TKVAreaQuery::SetQuery(TQuery* value)
{
    FQuery = value;
    Follow(value);
}

void TKVAreaQuery::SetQueryName(const QString& value)
{
    FQueryName = value;
    if (!OwnReport() || Loading() || !FBand->Owner())
        return;
    SetQuery(dynamic_cast<TQuery*>(FBand->Owner()->FindComponent(value)));
}

void TKVAreaQuery::SetSource(TDataSource* value)
{
    FSource = value;
    Follow(value);
    if (OwnReport())
        FLink->SetDataSource(value);
}

void TKVAreaQuery::SetSourceName(const QString& value)
{
    FSourceName = value;
    TVardoRep* report = OwnReport();
    if (!report || !report->DataSet() || Loading() || !FBand->Owner())
        return;
    SetSource(dynamic_cast<TDataSource*>(FBand->Owner()->FindComponent(value)));
}

void TKVAreaQuery::SetSQL(const TStrings* value, bool ready)
{
    const QString text = value ? value->Text() : QString();
    TVardoRep* report = OwnReport();
    // A file being read only gives the text: the query it names comes with the file.
    if (!report || Loading()) {
        FSQL->SetText(text);
        return;
    }
    if ((text == FSQL->Text() && !FQuery) || (FQuery && FQuery->SQL()->Text() == text))
        return;
    if (!report->DataSet()) {
        ShowAreaMessage(QStringLiteral("Informe o DataSet do TVardoRep."));
        return;
    }
    FSQL->SetText(text);
    TComponent* const owner = FBand->Owner();
    if (ready && !FQuery && owner) {
        auto* query = new TQuery(owner);
        auto* source = new TDataSource(owner);
        try {
            query->SetName(MakeUniqueComponentName(owner, FQueryBase));
            query->SetDatabaseName(DatabaseNameOf(report->DataSet()));
            source->SetName(MakeUniqueComponentName(owner, FSourceBase));
            source->SetDataSet(report->DataSet());
            query->SetDataSource(source);
        } catch (...) {
            source->Free();
            query->Free();
            throw;
        }
        SetSource(source);
        FSourceName = source->Name();
        SetQuery(query);
        FQueryName = query->Name();
    }
    if (!FQuery)
        return;
    FQuery->Close();
    FQuery->Params()->Clear();
    FQuery->SQL()->SetText(text);
    if (!text.trimmed().isEmpty()) {
        FQuery->Open();
        FBand->RefreshDataControls();
    } else {
        FreeQuery();
    }
}

void TKVAreaQuery::FreeQuery()
{
    FLink->SetDataSource(nullptr);
    TDataSource* source = FSource;
    TQuery* query = FQuery;
    FSource = nullptr;
    FQuery = nullptr;
    FSourceName.clear();
    FQueryName.clear();
    // Whatever the freeing raises, the band no longer holds them.
    try {
        if (source)
            source->Free();
    } catch (...) {
    }
    try {
        if (query)
            query->Free();
    } catch (...) {
    }
}

void TKVAreaQuery::Forget(const TComponent* component)
{
    if (!component)
        return;
    if (component == FQuery)
        FQuery = nullptr;
    if (component == FSource) {
        FLink->SetDataSource(nullptr);
        FSource = nullptr;
    }
}

void TKVAreaQuery::Release()
{
    FReleasing = true;
    if (!OwnReport()) {
        FLink->SetDataSource(nullptr);
        return;
    }
    TDataSource* source = FSource;
    TQuery* query = FQuery;
    FLink->SetDataSource(nullptr);
    FSource = nullptr;
    FQuery = nullptr;
    try {
        if (source && !source->ComponentState().Contains(csDestroying))
            source->Free();
    } catch (...) {
    }
    try {
        if (query && !query->ComponentState().Contains(csDestroying))
            query->Free();
    } catch (...) {
    }
}

void TKVAreaQuery::LinkChanged()
{
    TVardoRep* report = OwnReport();
    if (!report || !FQuery)
        return;
    try {
        if (!FSource && FLink->DataSource())
            FSource = FLink->DataSource();
        if (FSource && !FSource->DataSet() && report->DataSet())
            FSource->SetDataSet(report->DataSet());
        TDataSet* bound = FLink->DataSource() ? FLink->DataSource()->DataSet() : nullptr;
        if (!bound)
            return;
        if (FReleasing) {
            FQuery->Close();
        } else if (bound->Active()) {
            const QString name = DatabaseNameOf(bound);
            if (name != FQuery->DatabaseName()) {
                FQuery->Close();
                FQuery->SetDatabaseName(name);
            }
        }
    } catch (const Exception&) {
        // A report dataset that opens or closes is not held back by its followers.
    }
}

} // namespace tessiv

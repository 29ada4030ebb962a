#pragma once
// The query of an item area's observations or of a column grid's cells, with the data source
// that feeds its parameters from the report's current record. Both bands keep the SQL text, make
// the query and its data source once the band is ready and a text arrives, free them for a blank
// text, and follow the report's database; this holds that shared part.

#include "platform/core/Strings.h"
#include "platform/data/DataSet.h"

#include <QString>

#include <memory>

namespace tessiv {

class TComponent;
class TKVCustomBand;
class TQuery;
class TVardoRep;

class TKVAreaQuery {
public:
    // band: the area or grid that holds this; the bases name new queries and data sources.
    TKVAreaQuery(TKVCustomBand* band, QString queryBase, QString sourceBase);
    ~TKVAreaQuery();
    TKVAreaQuery(const TKVAreaQuery&) = delete;
    TKVAreaQuery& operator=(const TKVAreaQuery&) = delete;

    TStrings* SQL() const { return FSQL.get(); }
    // ready: the band was placed or loaded; only then are a query and a data source made.
    void SetSQL(const TStrings* value, bool ready);
    TQuery* Query() const { return FQuery; }
    void SetQuery(TQuery* value);
    const QString& QueryName() const { return FQueryName; }
    void SetQueryName(const QString& value);
    TDataSource* Source() const { return FSource; }
    void SetSource(TDataSource* value);
    const QString& SourceName() const { return FSourceName; }
    void SetSourceName(const QString& value);
    // A component the band was told is going.
    void Forget(const TComponent* component);
    // The band is being destroyed: frees the data source and the query when the report is the
    // band's owner's; errors are dropped.
    void Release();
    // The report of the band when both have the same owner; nil otherwise.
    TVardoRep* OwnReport() const;

private:
    class TLink : public TDataLink {
    public:
        explicit TLink(TKVAreaQuery* owner) : FOwner(owner) {}

    protected:
        void ActiveChanged() override { FOwner->LinkChanged(); }

    private:
        TKVAreaQuery* FOwner;
    };

    void LinkChanged();
    void FreeQuery();
    void Follow(TComponent* component);
    bool Loading() const;

    TKVCustomBand* FBand;
    QString FQueryBase;
    QString FSourceBase;
    std::unique_ptr<TStringList> FSQL;
    TQuery* FQuery = nullptr;
    QString FQueryName;
    TDataSource* FSource = nullptr;
    QString FSourceName;
    bool FReleasing = false;
    std::unique_ptr<TLink> FLink;
};

} // namespace tessiv

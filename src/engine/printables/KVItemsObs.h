#pragma once
// The item and observation area of invoices and order forms: per group of records a block of
// Linhas lines lists the group's items, then the true conditional observations, then one line per
// row of an observation query. A group with more lines than the block holds goes on over further
// pages, closing each with the group footer. The area is a child band that owns its parts: the
// items band (the report's detail), the conditional observation bands, the observation band with
// its label, and the observation query with the data source that feeds it from the report's
// current record. The record loop drives it through TKVItemAreaRun.

#include "engine/printables/KVAreaQuery.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVLabel.h"
#include "engine/run/KVRunHooks.h"
#include "platform/core/Strings.h"
#include "platform/data/DataSet.h"

#include <memory>
#include <vector>

namespace tessiv {

class TQuery;
class TKVItensObs;
class TKVItens;
class TKVObs;
class TKVObsLabel;
class TKVObsVariavel;

class TKVItensObs : public TKVChildBand, public TKVItemAreaRun {
    TESSIV_CLASS(TKVItensObs, TKVChildBand)
public:
    // 100 pixels high.
    explicit TKVItensObs(TComponent* owner);
    // Frees the parts (marked first so that they go), the query and its data source.
    ~TKVItensObs() override;

    // ---- published ----
    int Linhas() const { return FLinhas; }
    // Below 2 becomes 2; the items and observation bands then take the area's height div Linhas.
    void SetLinhas(int value);
    TKVGroup* ParentGroup() const { return FParentGroup; }
    void SetParentGroup(TKVGroup* value);
    TKVItens* Obs_TKVItens() const { return FItens; }
    void SetObs_TKVItens(TKVItens* value);
    const QString& Obs_TKVItensName() const { return FItensName; }
    void SetObs_TKVItensName(const QString& value);
    TKVObs* Obs_TKVObs() const { return FObs; }
    void SetObs_TKVObs(TKVObs* value);
    const QString& Obs_TKVObsName() const { return FObsName; }
    void SetObs_TKVObsName(const QString& value);
    TStrings* Obs_SQL() const { return FQuery.SQL(); }
    // Outside a report of the same owner, or while a file is read, the text is only stored.
    // Without a report dataset the user is told and nothing changes. Otherwise the query (made
    // when missing) takes the text; a blank text frees the query and its data source.
    void SetObs_SQL(const TStrings* value);
    TQuery* Obs_DataSet() const { return FQuery.Query(); }
    void SetObs_DataSet(TQuery* value) { FQuery.SetQuery(value); }
    const QString& Obs_DataSetName() const { return FQuery.QueryName(); }
    void SetObs_DataSetName(const QString& value) { FQuery.SetQueryName(value); }
    TDataSource* Obs_DataSource() const { return FQuery.Source(); }
    void SetObs_DataSource(TDataSource* value) { FQuery.SetSource(value); }
    const QString& Obs_DataSourceName() const { return FQuery.SourceName(); }
    void SetObs_DataSourceName(const QString& value) { FQuery.SetSourceName(value); }
    const QString& Obs_ListField() const { return FListField; }
    void SetObs_ListField(const QString& value) { FListField = value; }
    // Always false.
    void SetNoForcedBreak(bool);

    // ---- parts ----
    const std::vector<TKVObsVariavel*>& Conditions() const { return FConditions; }
    bool Ready() const { return FReady; }
    bool BeingDestroyed() const { return FDestroying; }

    // ---- page arithmetic ----
    int PrintedLines() const { return FPrintedLines; }
    int ItemCount() const { return FItemCount; }
    int ConditionCount() const { return FConditionCount; }
    int ObservationCount() const { return FObservationCount; }
    // For tests and callers that set a block up by hand.
    void SetCounters(int printed, int items, int conditions, int observations);
    int TotalLines() const;
    int PageCount() const override;
    int CurrentPage() const override;
    bool IsLastPage() const override;
    int LinesOnPage() const;

    // ---- the run (TKVItemAreaRun) ----
    bool HasParentBand() const override { return ParentBand() != nullptr; }
    void ResetRunCounters() override;
    void AddPrintedLines(int delta) override { FPrintedLines += delta; }
    void CountIfDue() override;
    // Counts the group that starts now: observation rows, true conditions, items.
    void CountItemArea();
    bool ItemAreaBreak(int y) override;
    void PrintObservations() override;
    int LineCursor() const override { return FLineCursor; }
    void SetLineCursor(int y) override { FLineCursor = y; }
    TKVCustomBand* ParentGroupFooter() const override;
    TKVCustomBand* ObservationBand() const override;
    TDataSet* ObsDataSet() const override;
    TKVItemAreaRun* ItemArea() override { return this; }

    void SetParent(TWinControl* parent) override;
    void CopyFrom(TKVBasePanel* source) override;
    void Loaded() override;
    QString DesignCaption() const override { return QStringLiteral("ItensObservacao"); }
    void BandRemoved(TKVCustomBand* band) override;

    // ---- used by the parts ----
    // A part placed in the area registers here.
    void RegisterItens(TKVItens* band);
    void RegisterObs(TKVObs* band);
    void RegisterCondition(TKVObsVariavel* band, bool firstPlacement);
    void ConditionLoaded(TKVObsVariavel* band);
    void ConditionGone(TKVObsVariavel* band);
    // Moves a condition to index (below the number of conditions) and renumbers them all.
    bool MoveCondition(TKVObsVariavel* band, int index);
    // Lays the parts out: items, then the conditions, from the top; observations at the bottom.
    void ArrangeParts();
    // The items band's height changed: the block's lines follow.
    void ItemsResized(TKVItens* band);
    // The report of the area when it has the area's owner.
    TVardoRep* OwnReport() const { return FQuery.OwnReport(); }

protected:
    void Notification(TComponent* component, TOperation operation) override;
    void ParentBandChanged() override;

private:
    void CreateParts();
    void ReheadAfterBreak();
    void PrintObservationLine(TKVCustomBand* band, int& saved);
    TKVController* LevelController() const;
    void FollowPart(TComponent* part);

    int FLinhas = 0;
    TKVGroup* FParentGroup = nullptr;
    TKVItens* FItens = nullptr;
    QString FItensName;
    TKVObs* FObs = nullptr;
    QString FObsName;
    TKVAreaQuery FQuery;
    QString FListField;
    std::vector<TKVObsVariavel*> FConditions;
    int FLineCursor = 0;
    int FPrintedLines = 0;
    int FItemCount = 0;
    int FConditionCount = 0;
    int FObservationCount = 0;
    bool FCountDue = false;
    bool FReady = false;
    bool FDestroying = false;
    bool FAdjusting = false;
};

// What the four parts share: the flag that lets them be freed, and their place in the area.
class TKVAreaBand : public TKVCustomBand, public TKVAreaPart {
    TESSIV_CLASS(TKVAreaBand, TKVCustomBand)
public:
    explicit TKVAreaBand(TComponent* owner);
    ~TKVAreaBand() override;
    bool MayBeDestroyedAlone() const override;
    void AllowDestroy() { FMayDestroy = true; }
    TKVItensObs* Area() const { return dynamic_cast<TKVItensObs*>(Parent()); }

    // Refuses the band itself; places it in an item area (or elsewhere, as a band is placed).
    void SetParent(TWinControl* parent) override;
    bool TakesBoundsAsGiven() const override { return true; }
    bool PlaceInLayout(int columnWidth) override;
    void Loaded() override;
    // Aligns itself in the area.
    virtual void Adjust();

protected:
    // The band is now a part of the area.
    virtual void JoinArea(TKVItensObs* area, bool firstPlacement) = 0;
public:
    // Width and height in pixels through the band's size.
    void SetPixelSize(int width, int height);
    // Registers again with the report the area now lies on.
    void Reattach() { SetNestedParent(Parent()); }

protected:
    bool FMayDestroy = true;
    bool FAdjustingSelf = false;
};

class TKVItens : public TKVAreaBand {
    TESSIV_CLASS(TKVItens, TKVAreaBand)
public:
    explicit TKVItens(TComponent* owner);
    TKVItemAreaRun* ItemArea() override { return Area(); }
    void SetBounds(int left, int top, int width, int height) override;
    void Adjust() override;
    QString DesignCaption() const override { return QStringLiteral("Itens"); }

protected:
    void JoinArea(TKVItensObs* area, bool firstPlacement) override;
};

class TKVObs : public TKVAreaBand {
    TESSIV_CLASS(TKVObs, TKVAreaBand)
public:
    explicit TKVObs(TComponent* owner);
    TKVObsLabel* Obs_Label() const { return FLabel; }
    void SetObs_Label(TKVObsLabel* value);
    TKVItemAreaRun* ItemArea() override { return Area(); }
    void SetBounds(int left, int top, int width, int height) override;
    QString DesignCaption() const override { return QStringLiteral("Observação"); }

protected:
    void JoinArea(TKVItensObs* area, bool firstPlacement) override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    TKVObsLabel* FLabel = nullptr;
};

class TKVObsVariavel : public TKVAreaBand {
    TESSIV_CLASS(TKVObsVariavel, TKVAreaBand)
public:
    explicit TKVObsVariavel(TComponent* owner);
    ~TKVObsVariavel() override;

    int Posicao() const { return FPosicao; }
    // Inside an area: an index below the number of conditions moves the band there; others are
    // refused.
    void SetPosicao(int value);
    void StorePosicao(int value) { FPosicao = value; }
    const QString& Expression() const { return FExpression; }
    void SetExpression(const QString& value) { FExpression = value; }
    bool Checked() const { return FChecked; }
    void SetChecked(bool value) { FChecked = value; }
    // The condition over the run's datasets; anything but a true BOOLEAN is false.
    bool Evaluate();

    void CopyFrom(TKVBasePanel* source) override;
    void Loaded() override;
    void SetBounds(int left, int top, int width, int height) override;
    QString DesignCaption() const override { return QStringLiteral("Observação Variável"); }

protected:
    void JoinArea(TKVItensObs* area, bool firstPlacement) override;

private:
    int FPosicao = 0;
    QString FExpression;
    bool FChecked = false;
};

// The text of an observation line: the observation query's field of each row.
class TKVObsLabel : public TKVLabel, public TKVAreaPart {
    TESSIV_CLASS(TKVObsLabel, TKVLabel)
public:
    explicit TKVObsLabel(TComponent* owner);
    ~TKVObsLabel() override;
    bool MayBeDestroyedAlone() const override;
    void AllowDestroy() { FMayDestroy = true; }

    void SetName(const QString& name) override;
    void SetParent(TWinControl* parent) override;
    void Loaded() override;
    // Prints the row's text; the caption returns to "Observação dos Itens" afterwards.
    void Print(int ofsX, int ofsY) override;

private:
    bool FMayDestroy = true;
};

} // namespace tessiv

#include "platform/data/DataSet.h"

#include "platform/core/Component.h"
#include "platform/data/DBError.h"
#include "platform/data/FilterExpr.h"
#include "platform/data/Variants.h"

#include <algorithm>

namespace tessiv {

const TEnumInfo& FilterOptionInfo()
{
    static const TEnumInfo info{QStringLiteral("TFilterOption"),
                                {QStringLiteral("foCaseInsensitive"), QStringLiteral("foNoPartialCompare")}};
    return info;
}

// ---- field definitions ------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TFieldDef, TCollectionItem,
    t.String(QStringLiteral("Name"), &TFieldDef::Name, &TFieldDef::Name);
    t.Enum(QStringLiteral("DataType"), FieldTypeInfo(), &TFieldDef::DataType, &TFieldDef::DataType, ftUnknown);
    t.Integer(QStringLiteral("Precision"), &TFieldDef::Precision, &TFieldDef::Precision, 0);
    t.Boolean(QStringLiteral("Required"), &TFieldDef::Required, &TFieldDef::Required, false);
    t.Integer(QStringLiteral("Size"), &TFieldDef::Size, &TFieldDef::Size, 0);
)

TFieldDefs::TFieldDefs(TPersistent* owner)
    : TCollection(TFieldDef::StaticClass(), [](TCollection* c) { return new TFieldDef(c); }, owner)
{
}

TFieldDef* TFieldDefs::Find(const QString& name) const
{
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Name.compare(name, Qt::CaseInsensitive) == 0)
            return Items(i);
    return nullptr;
}

void TFieldDefs::Add(const QString& name, TFieldType type, int size, bool required)
{
    auto* d = static_cast<TFieldDef*>(TCollection::Add());
    d->Name = name;
    d->DataType = type;
    d->Size = size;
    d->Required = required;
}

// ---- TDataSet ---------------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TDataSet, TComponent,
    t.Boolean(QStringLiteral("Active"), &TDataSet::Active, &TDataSet::SetActive, false);
    t.Boolean(QStringLiteral("AutoCalcFields"), &TDataSet::AutoCalcFields, &TDataSet::AutoCalcFields, true);
    t.String(QStringLiteral("Filter"), &TDataSet::Filter, &TDataSet::SetFilter);
    t.Boolean(QStringLiteral("Filtered"), &TDataSet::Filtered, &TDataSet::SetFiltered, false);
    t.Set(QStringLiteral("FilterOptions"), FilterOptionInfo(), &TDataSet::FilterOptions, &TDataSet::SetFilterOptions, 0);
    t.Event(QStringLiteral("BeforeOpen"), &TDataSet::BeforeOpen);
    t.Event(QStringLiteral("AfterOpen"), &TDataSet::AfterOpen);
    t.Event(QStringLiteral("BeforeClose"), &TDataSet::BeforeClose);
    t.Event(QStringLiteral("AfterClose"), &TDataSet::AfterClose);
    t.Event(QStringLiteral("BeforeInsert"), &TDataSet::BeforeInsert);
    t.Event(QStringLiteral("AfterInsert"), &TDataSet::AfterInsert);
    t.Event(QStringLiteral("BeforeEdit"), &TDataSet::BeforeEdit);
    t.Event(QStringLiteral("AfterEdit"), &TDataSet::AfterEdit);
    t.Event(QStringLiteral("BeforePost"), &TDataSet::BeforePost);
    t.Event(QStringLiteral("AfterPost"), &TDataSet::AfterPost);
    t.Event(QStringLiteral("BeforeCancel"), &TDataSet::BeforeCancel);
    t.Event(QStringLiteral("AfterCancel"), &TDataSet::AfterCancel);
    t.Event(QStringLiteral("BeforeDelete"), &TDataSet::BeforeDelete);
    t.Event(QStringLiteral("AfterDelete"), &TDataSet::AfterDelete);
    t.Event(QStringLiteral("BeforeScroll"), &TDataSet::BeforeScroll);
    t.Event(QStringLiteral("AfterScroll"), &TDataSet::AfterScroll);
    t.Event(QStringLiteral("OnCalcFields"), &TDataSet::OnCalcFields);
    t.Event(QStringLiteral("OnDeleteError"), &TDataSet::OnDeleteError);
    t.Event(QStringLiteral("OnEditError"), &TDataSet::OnEditError);
    t.Event(QStringLiteral("OnFilterRecord"), &TDataSet::OnFilterRecord);
    t.Event(QStringLiteral("OnNewRecord"), &TDataSet::OnNewRecord);
    t.Event(QStringLiteral("OnPostError"), &TDataSet::OnPostError);
)

TDataSet::TDataSet(TComponent* owner) : TComponent(owner), FFieldDefs(std::make_unique<TFieldDefs>(this)) {}

TDataSet::~TDataSet()
{
    // Subclasses close in their own destructors (their cursor is gone by now); here only the
    // bookkeeping is left.
    FState = dsInactive;
    ClearDefaultFields();
    for (TField* f : std::vector<TField*>(FFields)) {
        f->FDataSet = nullptr;
        f->FBoundSet = nullptr;
    }
    FFields.clear();
    for (TDataSource* s : std::vector<TDataSource*>(FDataSources))
        s->SetDataSet(nullptr);
}

void TDataSet::DatabaseError(const QString& message) const
{
    throw EDatabaseError(Name().isEmpty() ? message : Name() + QStringLiteral(": ") + message);
}

void TDataSet::CheckActive() const
{
    if (!Active())
        DatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void TDataSet::CheckInactive() const
{
    if (Active())
        DatabaseError(QStringLiteral("Cannot perform this operation on an open dataset"));
}

void TDataSet::SetActive(bool value)
{
    if (ComponentState().Contains(csReading) || ComponentState().Contains(csLoading)) {
        FStreamedActive = value;
        return;
    }
    if (value == Active())
        return;
    if (value)
        DoOpen();
    else
        DoClose();
}

void TDataSet::Loaded()
{
    TComponent::Loaded();
    if (FStreamedActive) {
        FStreamedActive = false;
        SetActive(true);
    }
}

void TDataSet::DoOpen()
{
    if (BeforeOpen)
        BeforeOpen(this);
    FOpening = true;
    try {
        FColumns.clear();
        OpenCursor(FColumns);
        ResetScan();
        // The cursor describes every column it can; one it cannot is text, which holds any value.
        for (TColumn& c : FColumns)
            if (c.Type.Type == ftUnknown)
                c.Type.Type = ftString;
        CreateFields();
        FState = dsBrowse;
        // A filter that does not compile stops the open only when it is in use.
        if (FFiltered) {
            CompileFilter();
        } else {
            try {
                CompileFilter();
            } catch (const Exception&) {
                FFilterExpr.reset();
            }
        }
        FCur = EnsureVisible(0) ? 0 : -1;
        FBof = true;
        FEof = FCur < 0;
        AfterFieldsCreated();
    } catch (...) {
        FOpening = false;
        FState = dsInactive;
        try {
            CloseCursor();
        } catch (...) {
        }
        ResetScan();
        FFilterExpr.reset();
        ClearDefaultFields();
        throw;
    }
    FOpening = false;
    DataEvent(deUpdateState);
    if (AfterOpen)
        AfterOpen(this);
}

void TDataSet::DoClose()
{
    if (BeforeClose)
        BeforeClose(this);
    if (FState == dsEdit || FState == dsInsert)
        FEditBuffer.clear();
    FState = dsInactive;
    try {
        CloseCursor();
    } catch (...) {
    }
    ResetScan();
    FSpareRow = {};
    FRows.shrink_to_fit();
    FVisible.shrink_to_fit();
    FFilterExpr.reset();
    FEof = FBof = true;
    FAllFetched = true;
    ClearDefaultFields();
    DataEvent(deUpdateState);
    if (AfterClose)
        AfterClose(this);
}

void TDataSet::CreateFields()
{
    FFieldDefs->Clear();
    for (const TColumn& c : FColumns)
        if (!c.Hidden)
            FFieldDefs->Add(c.Name, c.Type.Type, c.Type.Size, c.Required);
    if (!FFields.empty()) {
        // Persistent fields bind to the columns of their names.
        FDefaultFields = false;
        for (TField* f : FFields) {
            const int col = ColumnIndex(f->FieldName());
            if (col < 0)
                DatabaseError(QStringLiteral("Field '%1' not found").arg(f->FieldName()));
            f->Bind(this, col + 1);
        }
        return;
    }
    FDefaultFields = true;
    for (std::size_t i = 0; i < FColumns.size(); ++i) {
        if (FColumns[i].Hidden)
            continue;
        TField* f = CreateFieldOfType(FColumns[i].Type.Type, nullptr);
        f->FFieldName = FColumns[i].Name;
        if (FColumns[i].Type.Type == ftString || FColumns[i].Type.Type == ftBCD)
            f->SetSize(FColumns[i].Type.Size);
        if (FColumns[i].Type.Currency)
            if (auto* n = dynamic_cast<TFloatingField*>(f))
                n->Currency = true;
        f->Required = FColumns[i].Required;
        f->FDataSet = this;
        f->Bind(this, static_cast<int>(i) + 1);
        FFields.push_back(f);
    }
}

void TDataSet::ClearDefaultFields()
{
    if (FDefaultFields) {
        std::vector<TField*> fields;
        fields.swap(FFields);
        for (TField* f : fields) {
            f->FDataSet = nullptr;
            f->FBoundSet = nullptr;
            f->Free();
        }
    } else {
        for (TField* f : FFields)
            f->Bind(nullptr, 0);
    }
}

void TDataSet::AttachField(TField* field)
{
    CheckInactive();
    if (FDefaultFields && !FFields.empty())
        ClearDefaultFields();
    FDefaultFields = false;
    FFields.push_back(field);
}

void TDataSet::DetachField(TField* field)
{
    FFields.erase(std::remove(FFields.begin(), FFields.end(), field), FFields.end());
    field->FDataSet = nullptr;
    field->FBoundSet = nullptr;
    if (FFields.empty())
        FDefaultFields = true;
}

void TDataSet::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root)
{
    if (FDefaultFields)
        return;
    for (TField* f : FFields)
        if (f->Owner() == root)
            proc(f);
}

int TDataSet::ColumnIndex(const QString& name) const
{
    for (std::size_t i = 0; i < FColumns.size(); ++i)
        if (!FColumns[i].Hidden && FColumns[i].Name.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

TField* TDataSet::Fields(int index) const
{
    if (index < 0 || index >= FieldCount())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return FFields[static_cast<std::size_t>(index)];
}

TField* TDataSet::FindField(const QString& name) const
{
    for (TField* f : FFields)
        if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0)
            return f;
    return nullptr;
}

TField* TDataSet::FieldByName(const QString& name) const
{
    TField* f = FindField(name);
    if (!f)
        DatabaseError(QStringLiteral("Field '%1' not found").arg(name));
    return f;
}

void TDataSet::GetFieldNames(QStringList& names) const
{
    names.clear();
    if (!FFields.empty()) {
        for (TField* f : FFields)
            names << f->FieldName();
        return;
    }
    for (int i = 0; i < FFieldDefs->Count(); ++i)
        names << FFieldDefs->Items(i)->Name;
}

// ---- records ----------------------------------------------------------------------------------

namespace {
int gRecordWindow = 4096;
}

int TDataSet::RecordWindow() { return gRecordWindow; }
void TDataSet::SetRecordWindow(int rows) { gRecordWindow = std::max(rows, 2); }

void TDataSet::SeekCursor(int)
{
    DatabaseError(QStringLiteral("The records cannot be read again"));
}

void TDataSet::ResetScan()
{
    FRows.clear();
    FVisible.clear();
    FBase = FFetched = FScanned = 0;
    FSlid = false;
    FAllFetched = false;
    FCur = -1;
}

// Reads the cursor's next row into the window, letting the oldest go when it is full.
bool TDataSet::FetchRaw()
{
    // The row that last left the window lends its storage: a long scan allocates no rows.
    std::vector<QVariant> row = std::move(FSpareRow);
    FSpareRow.clear();
    bool got;
    try {
        got = FetchRow(row);
    } catch (...) {
        FAllFetched = true;
        // A cursor that fails part way leaves only some of the records: they must not pass for
        // all of them, so the dataset closes (an open in progress cleans up for itself).
        if (Active() && !FOpening)
            DoClose();
        throw;
    }
    if (!got)
        return false;
    StoreRow(row);
    if (FBase + static_cast<int>(FRows.size()) != FFetched) {
        // The window does not end where the cursor is: start it anew here.
        FRows.clear();
        FBase = FFetched;
        FSlid = true;
    }
    FRows.push_back(std::move(row));
    ++FFetched;
    while (static_cast<int>(FRows.size()) > gRecordWindow) {
        FSpareRow = std::move(FRows.front());
        FRows.pop_front();
        ++FBase;
        FSlid = true;
    }
    return true;
}

// Turns the driver's values of a row into the stored form of each column's field, in place. A
// hidden column keeps the value read; one that no field holds is left empty.
void TDataSet::StoreRow(std::vector<QVariant>& row)
{
    const std::size_t read = row.size();
    FColumnHeld.assign(FColumns.size(), 0);
    bool shared = false;
    for (const TField* f : FFields) {
        const std::size_t c = static_cast<std::size_t>(f->FFieldNo - 1);
        if (c < read && c < FColumnHeld.size()) {
            shared = shared || FColumnHeld[c];
            FColumnHeld[c] = 1;
        }
    }
    if (shared) {
        // Two fields of one column: each turns the value as read.
        const std::vector<QVariant> raw = row;
        for (TField* f : FFields) {
            const std::size_t c = static_cast<std::size_t>(f->FFieldNo - 1);
            if (c < read && c < FColumnHeld.size())
                row[c] = f->Normalize(raw[c]);
        }
    } else {
        for (TField* f : FFields) {
            const std::size_t c = static_cast<std::size_t>(f->FFieldNo - 1);
            if (c < read && c < FColumnHeld.size())
                f->NormalizeInPlace(row[c]);
        }
    }
    row.resize(FColumns.size());
    for (std::size_t c = 0; c < row.size(); ++c)
        if (!FColumnHeld[c] && !(c < read && FColumns[c].Hidden))
            row[c] = QVariant();
}

void TDataSet::SeekTo(int row)
{
    SeekCursor(row);
    FRows.clear();
    FBase = FFetched = row;
    FSlid = true;
}

// Brings a row into the window: onwards from the cursor when it is near, else by putting the
// cursor back so that the row ends up late in the window (a backward walk then reads in blocks).
bool TDataSet::Resident(int row)
{
    if (row < 0)
        return false;
    if (row >= FBase && row < FBase + static_cast<int>(FRows.size()))
        return true;
    const bool ahead = row >= FFetched && row - FFetched < gRecordWindow &&
                       FFetched == FBase + static_cast<int>(FRows.size());
    if (!ahead)
        SeekTo(std::max(0, row - gRecordWindow * 3 / 4));
    while (FFetched <= row)
        if (!FetchRaw())
            return false;
    return true;
}

std::vector<QVariant>& TDataSet::RowRef(int row)
{
    if (!Resident(row))
        DatabaseError(QStringLiteral("Record not found"));
    return FRows[static_cast<std::size_t>(row - FBase)];
}

// Tests the next row of the scan against the filter.
bool TDataSet::FetchOne()
{
    if (FAllFetched)
        return false;
    const int row = FScanned;
    if (!(row >= FBase && row < FBase + static_cast<int>(FRows.size()))) {
        if (FFetched != row)
            SeekTo(row);
        if (!FetchRaw()) {
            FAllFetched = true;
            return false;
        }
    }
    const bool accept = Accept(FRows[static_cast<std::size_t>(row - FBase)]);
    ++FScanned;
    if (accept)
        FVisible.push_back(row);
    return true;
}

bool TDataSet::FetchAll()
{
    while (FetchOne()) {
    }
    return true;
}

bool TDataSet::EnsureVisible(int position)
{
    if (position < 0)
        return false;
    while (static_cast<int>(FVisible.size()) <= position)
        if (!FetchOne())
            return false;
    return true;
}

void TDataSet::FilterFailed(const Exception& e) const
{
    throw EDatabaseError(QStringLiteral("Filter \"%1\": %2").arg(FFilter, e.Message()));
}

bool TDataSet::Accept(const std::vector<QVariant>& row)
{
    if (row.empty() && !FColumns.empty())
        return false; // deleted
    if (!FFiltered)
        return true;
    if (!FFilterExpr && !OnFilterRecord)
        return true;
    bool accept = true;
    if (FFilterExpr) {
        try {
            accept = FFilterExpr->Matches([&row](int c) { return row[static_cast<std::size_t>(c)]; });
        } catch (const Exception& e) {
            FilterFailed(e);
        }
    }
    if (accept && OnFilterRecord) {
        const auto* saved = FProbe;
        FProbe = &row;
        try {
            OnFilterRecord(this, accept);
        } catch (...) {
            FProbe = saved;
            throw;
        }
        FProbe = saved;
    }
    return accept;
}

void TDataSet::RebuildVisible()
{
    if (!FSlid) {
        // Everything read so far is still here: test it again in place.
        std::vector<int> visible;
        for (std::size_t i = 0; i < FRows.size() && static_cast<int>(i) + FBase < FScanned; ++i)
            if (Accept(FRows[i]))
                visible.push_back(FBase + static_cast<int>(i));
        FVisible.swap(visible);
        return;
    }
    // Rows have been let go: the scan starts again from the first row.
    FVisible.clear();
    FScanned = 0;
    FAllFetched = false;
    FCur = -1;
}

void TDataSet::CompileFilter()
{
    FFilterExpr.reset();
    if (!Active() || Trim(FFilter).isEmpty())
        return;
    FFilterExpr = std::make_unique<TFilterExpression>(
        FFilter, [this](const QString& name) {
            const TField* f = FindField(name);
            return f ? f->FFieldNo - 1 : -1;
        },
        FFilterOptions.Contains(foCaseInsensitive), FFilterOptions.Contains(foNoPartialCompare),
        [this](int column) {
            for (const TField* f : FFields)
                if (f->FFieldNo - 1 == column)
                    return f->FieldName();
            return QString();
        });
}

// A change of filter that fails (a text that does not compile, a record it cannot be evaluated
// on) leaves the previous filter, its records and the current one as they were.
void TDataSet::ChangeFilter(const std::function<void()>& change, bool rescan)
{
    const QString oldText = FFilter;
    const bool oldFiltered = FFiltered;
    const TFilterOptions oldOptions = FFilterOptions;
    std::unique_ptr<TFilterExpression> oldExpr = std::move(FFilterExpr);
    std::vector<int> oldVisible = FVisible;
    const int oldScanned = FScanned, oldCur = FCur;
    const bool oldAll = FAllFetched, oldEof = FEof, oldBof = FBof;
    try {
        change();
        if (Active()) {
            if (FFiltered) {
                CompileFilter();
            } else {
                try {
                    CompileFilter();
                } catch (const Exception&) {
                    FFilterExpr.reset(); // not in use: it is checked when filtering is switched on
                }
            }
            if (rescan) {
                CheckBrowseMode();
                RebuildVisible();
                FCur = EnsureVisible(0) ? 0 : -1;
                FBof = true;
                FEof = FCur < 0;
            }
        }
    } catch (...) {
        FFilter = oldText;
        FFiltered = oldFiltered;
        FFilterOptions = oldOptions;
        FFilterExpr = std::move(oldExpr);
        FVisible.swap(oldVisible);
        FScanned = oldScanned;
        FCur = oldCur;
        FAllFetched = oldAll;
        FEof = oldEof;
        FBof = oldBof;
        throw;
    }
    if (Active() && rescan)
        First();
}

void TDataSet::SetFilter(const QString& text)
{
    if (text == FFilter)
        return;
    ChangeFilter([&] { FFilter = text; }, FFiltered);
}

void TDataSet::SetFiltered(bool value)
{
    if (value == FFiltered)
        return;
    ChangeFilter([&] { FFiltered = value; }, true);
}

void TDataSet::SetFilterOptions(TFilterOptions options)
{
    if (options == FFilterOptions)
        return;
    ChangeFilter([&] { FFilterOptions = options; }, FFiltered);
}

const std::vector<QVariant>* TDataSet::ActiveRow() const
{
    if (FProbe)
        return FProbe;
    if (FState == dsEdit || FState == dsInsert)
        return &FEditBuffer;
    if (FCur < 0 || FCur >= static_cast<int>(FVisible.size()))
        return nullptr;
    const int row = FVisible[static_cast<std::size_t>(FCur)];
    if (row >= FBase && row - FBase < static_cast<int>(FRows.size()))
        return &FRows[static_cast<std::size_t>(row - FBase)];
    // The current record may have left the window during a count or a filter: read it again.
    return &const_cast<TDataSet*>(this)->RowRef(row);
}

const QVariant& TDataSet::FieldValue(const TField* field) const
{
    static const QVariant null;
    const auto* row = ActiveRow();
    const std::size_t c = static_cast<std::size_t>(field->FFieldNo - 1);
    if (!row || c >= row->size())
        return null;
    return (*row)[c];
}

void TDataSet::SetFieldValue(TField* field, const QVariant& value)
{
    if (FState != dsEdit && FState != dsInsert)
        DatabaseError(QStringLiteral("Dataset not in edit or insert mode"));
    const std::size_t c = static_cast<std::size_t>(field->FFieldNo - 1);
    if (c >= FEditBuffer.size())
        return;
    FEditBuffer[c] = value;
    if (field->OnValidate)
        field->OnValidate(field);
    DataEvent(deFieldChange, field);
}

// ---- navigation -------------------------------------------------------------------------------

void TDataSet::Scrolled(int oldPos)
{
    if (FCur != oldPos || true)
        DataEvent(deDataSetScroll);
    if (AfterScroll)
        AfterScroll(this);
}

void TDataSet::First()
{
    CheckBrowseMode();
    if (BeforeScroll)
        BeforeScroll(this);
    const int old = FCur;
    FCur = EnsureVisible(0) ? 0 : -1;
    FBof = true;
    FEof = FCur < 0;
    Scrolled(old);
}

void TDataSet::Next()
{
    CheckBrowseMode();
    if (FEof)
        return;
    if (BeforeScroll)
        BeforeScroll(this);
    const int old = FCur;
    if (FCur >= 0 && EnsureVisible(FCur + 1)) {
        ++FCur;
        FEof = false;
    } else {
        FEof = true;
    }
    FBof = false;
    Scrolled(old);
}

void TDataSet::Prior()
{
    CheckBrowseMode();
    if (FBof)
        return;
    if (BeforeScroll)
        BeforeScroll(this);
    const int old = FCur;
    if (FCur > 0) {
        --FCur;
        FBof = false;
    } else {
        FBof = true;
    }
    FEof = FCur < 0;
    Scrolled(old);
}

void TDataSet::Last()
{
    CheckBrowseMode();
    if (BeforeScroll)
        BeforeScroll(this);
    const int old = FCur;
    FetchAll();
    FCur = static_cast<int>(FVisible.size()) - 1;
    FEof = true;
    FBof = FCur < 0;
    Scrolled(old);
}

int TDataSet::MoveBy(int distance)
{
    int moved = 0;
    while (distance > 0 && !FEof) {
        const int before = FCur;
        Next();
        if (FCur != before)
            ++moved;
        --distance;
    }
    while (distance < 0 && !FBof) {
        const int before = FCur;
        Prior();
        if (FCur != before)
            --moved;
        ++distance;
    }
    return moved;
}

bool TDataSet::IsEmpty() const
{
    CheckActive();
    return FVisible.empty() && FAllFetched;
}

int TDataSet::RecordCount()
{
    CheckActive();
    // Unfiltered, the database counts; else the records are tested, keeping only the window.
    if (!FAllFetched && !(FFiltered && (FFilterExpr || OnFilterRecord))) {
        const std::int64_t n = CountRows();
        if (n >= 0)
            return static_cast<int>(std::min<std::int64_t>(n, INT32_MAX));
    }
    FetchAll();
    return static_cast<int>(FVisible.size());
}

int TDataSet::RecNo() const
{
    if (!Active() || FState == dsInsert)
        return 0;
    return FCur + 1;
}

void TDataSet::SetRecNo(int recNo)
{
    CheckBrowseMode();
    if (recNo < 1 || !EnsureVisible(recNo - 1))
        return;
    const int old = FCur;
    FCur = recNo - 1;
    FBof = FEof = false;
    Scrolled(old);
}

void TDataSet::Refresh()
{
    CheckBrowseMode();
    const int pos = FCur;
    DisableControls();
    try {
        DoClose();
        DoOpen();
        if (pos > 0 && EnsureVisible(pos))
            FCur = pos, FBof = false;
    } catch (...) {
        EnableControls();
        throw;
    }
    EnableControls();
}

void TDataSet::EnableControls()
{
    if (FDisableCount > 0 && --FDisableCount == 0) {
        FPendingChange = false;
        DataEvent(deDataSetChange);
    }
}

TBookmark TDataSet::GetBookmark() const
{
    if (!Active() || FCur < 0 || FCur >= static_cast<int>(FVisible.size()))
        return kNoBookmark;
    return FVisible[static_cast<std::size_t>(FCur)];
}

bool TDataSet::BookmarkValid(TBookmark bookmark) const
{
    if (!Active() || bookmark < 0 || bookmark >= FScanned)
        return false;
    return std::binary_search(FVisible.begin(), FVisible.end(), bookmark) ||
           std::find(FVisible.begin(), FVisible.end(), bookmark) != FVisible.end();
}

void TDataSet::GotoBookmark(TBookmark bookmark)
{
    CheckBrowseMode();
    const auto it = std::find(FVisible.begin(), FVisible.end(), bookmark);
    if (bookmark < 0 || it == FVisible.end())
        DatabaseError(QStringLiteral("Record not found"));
    if (BeforeScroll)
        BeforeScroll(this);
    const int old = FCur;
    FCur = static_cast<int>(it - FVisible.begin());
    FBof = FEof = false;
    Scrolled(old);
}

// ---- editing ----------------------------------------------------------------------------------

void TDataSet::ApplyInsert(std::vector<QVariant>&)
{
    DatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
}

void TDataSet::ApplyUpdate(const std::vector<QVariant>&, const std::vector<QVariant>&)
{
    DatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
}

void TDataSet::ApplyDelete(const std::vector<QVariant>&)
{
    DatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
}

void TDataSet::SetState(TDataSetState state)
{
    if (state == FState)
        return;
    FState = state;
    DataEvent(deUpdateState);
}

void TDataSet::CheckBrowseMode()
{
    CheckActive();
    if (FState == dsEdit || FState == dsInsert)
        Post();
}

void TDataSet::Edit()
{
    CheckActive();
    if (FState == dsEdit || FState == dsInsert)
        return;
    if (!CanModify())
        DatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
    if (FCur < 0) {
        Insert();
        return;
    }
    if (BeforeEdit)
        BeforeEdit(this);
    FEditBuffer = RowRef(FVisible[static_cast<std::size_t>(FCur)]);
    SetState(dsEdit);
    if (AfterEdit)
        AfterEdit(this);
}

void TDataSet::Insert()
{
    CheckBrowseMode();
    if (!CanModify())
        DatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
    if (BeforeInsert)
        BeforeInsert(this);
    FEditBuffer.assign(FColumns.size(), QVariant());
    SetState(dsInsert);
    if (OnNewRecord)
        OnNewRecord(this);
    if (AfterInsert)
        AfterInsert(this);
}

void TDataSet::Append()
{
    CheckBrowseMode();
    FetchAll();
    FCur = static_cast<int>(FVisible.size()) - 1;
    Insert();
}

void TDataSet::Post()
{
    CheckActive();
    if (FState != dsEdit && FState != dsInsert)
        return;
    if (BeforePost)
        BeforePost(this);
    for (TField* f : FFields)
        if (f->Required && VarIsNull(FEditBuffer[static_cast<std::size_t>(f->FFieldNo - 1)]))
            DatabaseError(QStringLiteral("Field '%1' must have a value").arg(f->DisplayName()));
    if (FState == dsEdit) {
        auto& row = RowRef(FVisible[static_cast<std::size_t>(FCur)]);
        ApplyUpdate(row, FEditBuffer);
        row = FEditBuffer;
    } else {
        ApplyInsert(FEditBuffer);
        if (!FSlid)
            FetchAll();
        if (!FSlid) {
            // All the records are in memory: the new one joins them where it was inserted.
            FRows.push_back(FEditBuffer);
            const int number = FBase + static_cast<int>(FRows.size()) - 1;
            FScanned = number + 1;
            const int at = std::max(FCur, 0);
            if (FCur < 0 || FVisible.empty())
                FVisible.push_back(number);
            else
                FVisible.insert(FVisible.begin() + at, number);
            FCur = at;
            FEof = FBof = false;
        } else {
            Requery(std::max(FCur, 0));
        }
    }
    FEditBuffer.clear();
    SetState(dsBrowse);
    DataEvent(deDataSetChange);
    if (AfterPost)
        AfterPost(this);
}

void TDataSet::Cancel()
{
    if (FState != dsEdit && FState != dsInsert)
        return;
    if (BeforeCancel)
        BeforeCancel(this);
    FEditBuffer.clear();
    SetState(dsBrowse);
    DataEvent(deDataSetChange);
    if (AfterCancel)
        AfterCancel(this);
}

void TDataSet::Delete()
{
    CheckActive();
    if (FState == dsInsert) {
        Cancel();
        return;
    }
    if (FCur < 0)
        DatabaseError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    if (!CanModify())
        DatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
    if (FState == dsEdit)
        Cancel();
    if (BeforeDelete)
        BeforeDelete(this);
    auto& row = RowRef(FVisible[static_cast<std::size_t>(FCur)]);
    ApplyDelete(row);
    if (!FSlid) {
        row.clear();
        FVisible.erase(FVisible.begin() + FCur);
        if (FCur >= static_cast<int>(FVisible.size()) && !EnsureVisible(FCur))
            FCur = static_cast<int>(FVisible.size()) - 1;
        FEof = FCur < 0;
        FBof = FCur <= 0;
    } else {
        Requery(FCur);
    }
    DataEvent(deDataSetChange);
    if (AfterDelete)
        AfterDelete(this);
}

// After a write on a dataset whose records no longer all fit in memory, the numbering of the
// rows read so far is stale: read them again and stay at the same position when it still exists.
void TDataSet::Requery(int position)
{
    FVisible.clear();
    FScanned = 0;
    FAllFetched = false;
    SeekTo(0);
    if (EnsureVisible(position)) {
        FCur = position;
    } else {
        FetchAll();
        FCur = static_cast<int>(FVisible.size()) - 1;
    }
    FEof = FCur < 0;
    FBof = FCur <= 0;
}

// ---- data sources -----------------------------------------------------------------------------

void TDataSet::AddDataSource(TDataSource* source)
{
    if (std::find(FDataSources.begin(), FDataSources.end(), source) == FDataSources.end())
        FDataSources.push_back(source);
}

void TDataSet::RemoveDataSource(TDataSource* source)
{
    FDataSources.erase(std::remove(FDataSources.begin(), FDataSources.end(), source), FDataSources.end());
}

bool TDataSet::IsLinkedTo(const TDataSource* source) const
{
    return std::find(FDataSources.begin(), FDataSources.end(), source) != FDataSources.end();
}

void TDataSet::DataEvent(TDataEvent event, TField* field)
{
    // While controls are disabled, only state changes pass; the rest waits for EnableControls.
    if (FDisableCount > 0 && event != deUpdateState) {
        FPendingChange = true;
        return;
    }
    for (TDataSource* s : std::vector<TDataSource*>(FDataSources))
        if (std::find(FDataSources.begin(), FDataSources.end(), s) != FDataSources.end())
            s->DataEvent(event, field, 0);
}

void TDataSet::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove) {
        if (auto* s = dynamic_cast<TDataSource*>(component))
            RemoveDataSource(s);
    }
}

// ---- TDataSource ------------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TDataSource, TComponent,
    t.Boolean(QStringLiteral("AutoEdit"), &TDataSource::AutoEdit, &TDataSource::AutoEdit, true);
    t.Reference<TDataSet>(QStringLiteral("DataSet"), &TDataSource::DataSet, &TDataSource::SetDataSet);
    t.Boolean(QStringLiteral("Enabled"), &TDataSource::Enabled, &TDataSource::SetEnabled, true);
    t.Event(QStringLiteral("OnStateChange"), &TDataSource::OnStateChange);
    t.Event(QStringLiteral("OnDataChange"), &TDataSource::OnDataChange);
    t.Event(QStringLiteral("OnUpdateData"), &TDataSource::OnUpdateData);
)

TDataSource::TDataSource(TComponent* owner) : TComponent(owner) {}

TDataSource::~TDataSource()
{
    for (TDataLink* l : std::vector<TDataLink*>(FLinks))
        l->SetDataSource(nullptr);
    if (FDataSet)
        FDataSet->RemoveDataSource(this);
}

void TDataSource::SetDataSet(TDataSet* dataSet)
{
    if (dataSet == FDataSet)
        return;
    if (FDataSet) {
        FDataSet->RemoveDataSource(this);
        FDataSet->RemoveFreeNotification(this);
    }
    FDataSet = dataSet;
    if (dataSet) {
        dataSet->AddDataSource(this);
        dataSet->FreeNotification(this);
    }
    for (TDataLink* l : std::vector<TDataLink*>(FLinks))
        l->UpdateActive();
    DataEvent(deUpdateState, nullptr, 0);
}

void TDataSource::SetEnabled(bool value)
{
    FEnabled = value;
    for (TDataLink* l : std::vector<TDataLink*>(FLinks))
        l->UpdateActive();
}

TDataSetState TDataSource::State() const
{
    return FDataSet && FEnabled ? FDataSet->State() : dsInactive;
}

void TDataSource::AddLink(TDataLink* link)
{
    if (std::find(FLinks.begin(), FLinks.end(), link) == FLinks.end())
        FLinks.push_back(link);
}

void TDataSource::RemoveLink(TDataLink* link)
{
    FLinks.erase(std::remove(FLinks.begin(), FLinks.end(), link), FLinks.end());
}

void TDataSource::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == FDataSet) {
        FDataSet = nullptr;
        for (TDataLink* l : std::vector<TDataLink*>(FLinks))
            l->UpdateActive();
    }
}

void TDataSource::DataEvent(TDataEvent event, TField* field, int info)
{
    if (event == deUpdateState) {
        const TDataSetState s = State();
        if (s == FLastState)
            return;
        FLastState = s;
        for (TDataLink* l : std::vector<TDataLink*>(FLinks))
            l->UpdateActive();
        for (TDataLink* l : std::vector<TDataLink*>(FLinks))
            l->DataEvent(event, field, info);
        if (OnStateChange)
            OnStateChange(this);
        return;
    }
    if (!FEnabled)
        return;
    for (TDataLink* l : std::vector<TDataLink*>(FLinks))
        if (std::find(FLinks.begin(), FLinks.end(), l) != FLinks.end())
            l->DataEvent(event, field, info);
    if (OnDataChange && (event == deFieldChange || event == deRecordChange || event == deDataSetChange ||
                         event == deDataSetScroll))
        OnDataChange(this, event == deFieldChange ? field : nullptr);
}

// ---- TDataLink --------------------------------------------------------------------------------

TDataLink::TDataLink() = default;

TDataLink::~TDataLink()
{
    if (FDataSource)
        FDataSource->RemoveLink(this);
}

void TDataLink::SetDataSource(TDataSource* source)
{
    if (source == FDataSource)
        return;
    if (FDataSource)
        FDataSource->RemoveLink(this);
    FDataSource = source;
    if (source)
        source->AddLink(this);
    UpdateActive();
}

TDataSet* TDataLink::DataSet() const
{
    return FDataSource ? FDataSource->DataSet() : nullptr;
}

void TDataLink::UpdateActive()
{
    const bool active = FDataSource && FDataSource->State() != dsInactive;
    if (active != FActive) {
        FActive = active;
        ActiveChanged();
    }
}

void TDataLink::DataEvent(TDataEvent event, TField* field, int info)
{
    switch (event) {
    case deUpdateState:
        EditingChanged();
        break;
    case deFieldChange:
    case deRecordChange:
        RecordChanged(field);
        break;
    case deDataSetChange:
    case deLayoutChange:
        if (FActive)
            DataSetChanged();
        break;
    case deDataSetScroll:
        if (FActive)
            DataSetScrolled(info);
        break;
    default:
        break;
    }
}

} // namespace tessiv

#include "engine/printables/KVDBText.h"

#include "engine/model/KVBands.h"
#include "engine/run/KVRunHooks.h"
#include "engine/printables/KVTextProps.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Reader.h"
#include "platform/core/SysUtils.h"
#include "platform/data/DataSet.h"
#include "platform/data/Field.h"

namespace tessiv {

const TEnumInfo& IncrementoInfo()
{
    static const TEnumInfo info{QStringLiteral("TKVIncremento"),
                                {QStringLiteral("kvNenhum"), QStringLiteral("kvIncre"), QStringLiteral("kvDesloca")}};
    return info;
}

TESSIV_IMPLEMENT_CLASS(TKVDBText, TKVCustomLabel,
    PublishAlignment(t);
    PublishAlignToBand(t);
    PublishAutoSize(t);
    PublishAutoStretch(t);
    PublishColor(t);
    t.Boolean(QStringLiteral("CampoQuantidade"), &TKVDBText::CampoQuantidade, &TKVDBText::SetCampoQuantidade);
    t.Reference<TDataSet>(QStringLiteral("DataSet"), &TKVDBText::DataSet, &TKVDBText::SetDataSet);
    t.String(QStringLiteral("DataField"), &TKVDBText::DataField, &TKVDBText::SetDataField);
    PublishFont(t);
    t.Enum(QStringLiteral("IncrementoType"), IncrementoInfo(), &TKVDBText::IncrementoType,
           &TKVDBText::SetIncrementoType);
    t.Integer(QStringLiteral("IncrementoValue"), &TKVDBText::IncrementoValue, &TKVDBText::SetIncrementoValue, 0);
    t.String(QStringLiteral("Mask"), &TKVDBText::Mask, &TKVDBText::SetMask);
    PublishOnPrint(t);
    PublishParentFont(t);
    PublishTransparent(t);
    PublishWordWrap(t);
)

TKVDBText::TKVDBText(TComponent* owner) : TKVCustomLabel(owner)
{
    SetKeepHeight(true);
}

TKVDBText::~TKVDBText()
{
    try {
        if (TVardoRep* report = ParentReport(); report && report->CampoQuantidadeObjeto() == this)
            report->SetCampoQuantidadeObjeto(nullptr);
    } catch (...) {
        // The report forgets the text through its removal notification anyway.
    }
}

// ---- settings ---------------------------------------------------------------------------------

void TKVDBText::SetCampoQuantidade(bool value)
{
    if (value == FCampoQuantidade)
        return;
    FCampoQuantidade = value;
    TVardoRep* const report = ParentReport();
    if (ComponentState().Contains(csReading) || !report)
        return;
    if (value) {
        report->SetCampoQuantidadeObjeto(this);
        // A report that refuses the text keeps it from being the quantity field.
        if (report->CampoQuantidadeObjeto() != this) {
            FCampoQuantidade = false;
            return;
        }
        SetIncrementoType(kvNenhum);
    } else if (report->CampoQuantidadeObjeto() == this) {
        report->SetCampoQuantidadeObjeto(nullptr);
    }
}

void TKVDBText::SetDataSet(TDataSet* value)
{
    if (value == FDataSet)
        return;
    if (FDataSet)
        FDataSet->RemoveFreeNotification(this);
    FDataSet = value;
    if (value)
        value->FreeNotification(this);
}

void TKVDBText::SetDataField(const QString& value)
{
    if (value != FDataField) {
        FDataField = value;
        if (!ComponentState().Contains(csReading)) {
            SetCampoQuantidade(false);
            SetIncrementoType(kvNenhum);
        }
    }
    // The designer shows the field's name.
    if (Caption() != value)
        SetText(value);
}

void TKVDBText::SetIncrementoType(TKVIncremento value)
{
    if (FCampoQuantidade) {
        FIncrementoType = kvNenhum;
        FIncrementoValue = 0;
        return;
    }
    FIncrementoType = value;
    if (ComponentState().Contains(csReading))
        return;
    if (value != kvNenhum && FIncrementoValue == 0)
        FIncrementoValue = 1;
    else if (value == kvNenhum)
        FIncrementoValue = 0;
}

void TKVDBText::SetIncrementoValue(int value)
{
    if (FCampoQuantidade) {
        FIncrementoValue = 0;
        FIncrementoType = kvNenhum;
        return;
    }
    if (value == 0 && !ComponentState().Contains(csReading))
        FIncrementoType = kvNenhum;
    FIncrementoValue = value;
}

void TKVDBText::Notification(TComponent* component, TOperation operation)
{
    TKVCustomLabel::Notification(component, operation);
    if (operation == TOperation::opRemove && component && component == FDataSet) {
        FDataSet = nullptr;
        FFieldBound = false;
    }
}

void TKVDBText::SetParent(TWinControl* parent)
{
    TKVCustomLabel::SetParent(parent);
    if (parent && !ComponentState().Contains(csReading))
        BindToBandDataSet(this);
}

void TKVDBText::DefineProperties(TFiler& filer)
{
    TKVCustomLabel::DefineProperties(filer);
    filer.DefineProperty(QStringLiteral("DataSource"),
                         [this](TReader& r) { FLegacyDataSourceName = r.ReadIdent().left(30); }, nullptr, false);
}

void TKVDBText::Loaded()
{
    TKVCustomLabel::Loaded();
    if (TVardoRep* report = ParentReport(); FCampoQuantidade && report) {
        report->SetCampoQuantidadeObjeto(this);
        if (report->CampoQuantidadeObjeto() != this)
            FCampoQuantidade = false;
    }
    if (!FLegacyDataSourceName.isEmpty() && Owner()) {
        if (auto* source = dynamic_cast<TDataSource*>(Owner()->FindComponent(FLegacyDataSourceName)))
            SetDataSet(source->DataSet());
    }
}

void TKVDBText::CopyFrom(const TKVPrintable* source)
{
    const auto* text = dynamic_cast<const TKVDBText*>(source);
    if (!text || text == this) {
        TKVCustomLabel::CopyFrom(source);
        return;
    }
    // Taken before anything is copied: taking the quantity part from a source on the same
    // report clears the source's flag.
    TDataSet* const dataSet = text->FDataSet;
    const QString dataField = text->FDataField;
    const bool quantity = text->FCampoQuantidade;
    const TKVIncremento kind = text->FIncrementoType;
    const int value = text->FIncrementoValue;
    const QString mask = text->FMask;
    TKVCustomLabel::CopyFrom(source);
    // The field first: naming a field clears the quantity and numbering settings.
    SetDataSet(dataSet);
    SetDataField(dataField);
    SetCampoQuantidade(quantity);
    SetIncrementoType(kind);
    SetIncrementoValue(value);
    SetMask(mask);
}

// ---- the run ----------------------------------------------------------------------------------

void TKVDBText::Prepare()
{
    TKVCustomLabel::Prepare();
    FFieldIndex = -1;
    FFieldBound = false;
    if (!FDataSet)
        return;
    TField* field = FDataSet->FindField(FDataField);
    if (!field)
        return;
    FFieldIndex = field->Index();
    FFieldBound = true;
    // A memo prints its text through Lines.
    if (dynamic_cast<TBlobField*>(field))
        SetText(QString());
}

TField* TKVDBText::CurrentField() const
{
    if (!FFieldBound || !FDataSet || !FDataSet->Active())
        return nullptr;
    // A reopened dataset has new field objects, and may have others: the field must still bear
    // its name, else the text prints empty.
    if (FFieldIndex >= 0 && FFieldIndex < FDataSet->FieldCount()) {
        TField* field = FDataSet->Fields(FFieldIndex);
        if (field->FieldName().compare(FDataField, Qt::CaseInsensitive) == 0)
            return field;
    }
    return nullptr;
}

QString TKVDBText::FieldText(TField* field)
{
    if (field->IsNull() || FMask.isEmpty() || dynamic_cast<TStringField*>(field))
        return field->DisplayText();
    // Integers of every size (SQLite gives 64-bit ones): the formatting keeps 18 digits exactly,
    // and a value beyond them prints as the field shows it rather than rounded.
    if (dynamic_cast<TIntegerField*>(field)) {
        const std::int64_t v = field->AsLargeInt();
        constexpr std::int64_t exact = 999'999'999'999'999'999;
        if (v > exact || v < -exact)
            return field->DisplayText();
        return FormatFloat(FMask, static_cast<long double>(v));
    }
    if (dynamic_cast<TFloatingField*>(field))
        return FormatFloat(FMask, field->AsFloat());
    if (dynamic_cast<TDateTimeField*>(field))
        return FormatDateTime(FMask, field->AsDateTime());
    // Booleans and the other classes have no mask of their own.
    return field->DisplayText();
}

void TKVDBText::Print(int ofsX, int ofsY)
{
    if (!Enabled() || !FDataSet)
        return;
    TField* field = nullptr;
    QString caption;
    bool asLines = false;
    QString linesText;
    try {
        field = CurrentField();
        if (field && dynamic_cast<TBlobField*>(field)) {
            asLines = true;
            linesText = field->AsString();
        } else if (field) {
            caption = FieldText(field);
        }
    } catch (const Exception&) {
        // A value that cannot be read or formatted prints empty.
        caption.clear();
        asLines = false;
    }
    if (asLines) {
        SetText(QString());
        TStringList lines;
        lines.SetText(linesText);
        SetLines(&lines);
    } else {
        SetText(caption);
    }
    SetFormatted(false);
    TKVCustomLabel::Print(ofsX, ofsY);
}

void TKVDBText::Unprepare()
{
    FFieldBound = false;
    FFieldIndex = -1;
    TKVCustomLabel::Unprepare();
}

void TKVDBText::RestoreDesignText()
{
    if (Lines()->Count() > 0) {
        TStringList none;
        Lines()->Assign(&none);
    }
    // The field's name back as the caption.
    SetDataField(FDataField);
}

// ---- binding ----------------------------------------------------------------------------------

void BindToBandDataSet(TKVPrintable* printable)
{
    if (!printable)
        return;
    const TPropInfo* dataSetProp = printable->ClassType().FindProperty(QStringLiteral("DataSet"));
    const TPropInfo* fieldProp = printable->ClassType().FindProperty(QStringLiteral("DataField"));
    if (!dataSetProp || !fieldProp || !dataSetProp->SetObject)
        return;
    TDataSet* dataSet = nullptr;
    auto* band = dynamic_cast<TKVCustomBand*>(printable->Parent());
    if (TKVColumnGridRun* grid = band ? band->CellGrid() : nullptr)
        dataSet = grid->ColumnQuery();
    else if (TKVColumnGridRun* gridItself = band ? band->AsColumnGrid() : nullptr)
        dataSet = gridItself->ColumnQuery();
    else if (TKVItemAreaRun* area = band ? band->ItemArea() : nullptr; area && area->ObservationBand() == band)
        dataSet = area->ObsDataSet();
    else if (printable->ParentReport())
        dataSet = printable->ParentReport()->DataSet();
    dataSetProp->SetObject(printable, dataSet);
    if (!dataSet)
        return;
    // A field the dataset lacks keeps its name (it prints empty): only a text without a field
    // takes the dataset's first.
    if (!fieldProp->GetStr(printable).isEmpty())
        return;
    if (dataSet->FieldCount() > 0) {
        fieldProp->SetStr(printable, dataSet->Fields(0)->FieldName());
    } else {
        fieldProp->SetStr(printable, QString());
        printable->SetText(QStringLiteral("(NADA)"));
    }
}

} // namespace tessiv

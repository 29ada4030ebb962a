#pragma once
// A data field of a dataset shown as text: formatted by the field's class and a display mask when
// it prints, the field's name in the designer. It also carries the quantity and numbering
// settings that the document's print driving reads, kept consistent with each other here. The
// field is looked up afresh at every print, so a dataset closed or reopened since the run was
// prepared never leaves the text holding a field that is gone.

#include "engine/printables/KVCustomLabel.h"

namespace tessiv {

class TDataSet;
class TField;

class TKVDBText : public TKVCustomLabel {
    TESSIV_CLASS(TKVDBText, TKVCustomLabel)
public:
    explicit TKVDBText(TComponent* owner);
    ~TKVDBText() override;

    bool CampoQuantidade() const { return FCampoQuantidade; }
    // True makes the text its report's quantity object (clearing the numbering); false lets the
    // report go of it. A report that refuses the text (inside an item, observation or column
    // band) leaves the flag off.
    void SetCampoQuantidade(bool value) override;
    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* value);
    QString DataField() const override { return FDataField; }
    // A new name clears the quantity and numbering settings (not while read); the Caption shows
    // the name.
    void SetDataField(const QString& value);
    TKVIncremento IncrementoType() const { return FIncrementoType; }
    void SetIncrementoType(TKVIncremento value);
    int IncrementoValue() const { return FIncrementoValue; }
    void SetIncrementoValue(int value);
    const QString& Mask() const { return FMask; }
    void SetMask(const QString& value) { FMask = value; }
    // The "DataSource" name an older file gave.
    const QString& LegacyDataSourceName() const { return FLegacyDataSourceName; }
    bool FieldBound() const { return FFieldBound; }

    void Prepare() override;
    void Print(int ofsX, int ofsY) override;
    void Unprepare() override;
    void CopyFrom(const TKVPrintable* source) override;
    void SetParent(TWinControl* parent) override;
    void Loaded() override;
    void DefineProperties(TFiler& filer) override;

protected:
    // The field's name is the caption again.
    void RestoreDesignText() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    // The field to print now: the one at the prepared index while the dataset is open and it still
    // bears the name; nil otherwise.
    TField* CurrentField() const;
    // The field's text by its class and the mask.
    QString FieldText(TField* field);

    bool FCampoQuantidade = false;
    int FFieldIndex = -1;
    bool FFieldBound = false;
    QString FLegacyDataSourceName;
    TDataSet* FDataSet = nullptr;
    QString FDataField;
    TKVIncremento FIncrementoType = kvNenhum;
    int FIncrementoValue = 0;
    QString FMask;
};

// Ties a data text (or a data picture) to the dataset of the band it lies on: a column grid's
// query, an item area's observation dataset, else the report's dataset. A text whose field the
// dataset lacks keeps the field's name and prints empty; only a text without a field takes the
// dataset's first field.
void BindToBandDataSet(TKVPrintable* printable);

} // namespace tessiv

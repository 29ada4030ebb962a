#pragma once
// A system value shown after a fixed text: the time, the date, the page number, the report's
// title, the record count and number, or the item area's page. The designer shows a placeholder
// such as "(Hora)"; the value is put in only while the text prints.

#include "engine/printables/KVCustomLabel.h"

#include <optional>

namespace tessiv {

class TKVSysData : public TKVCustomLabel {
    TESSIV_CLASS(TKVSysData, TKVCustomLabel)
public:
    explicit TKVSysData(TComponent* owner);

    TKVSysDataType Data() const { return FData; }
    void SetData(TKVSysDataType value);
    const QString& GetText() const { return FText; }
    void SetSysText(const QString& value);
    // Caption := Text followed by the placeholder of Data.
    void UpdateCaption();
    // The placeholder the designer shows for a kind, and the value it prints now (nothing, for
    // the item area's page on an area of one page).
    static QString Placeholder(TKVSysDataType data);
    std::optional<QString> PrintedValue() const;

    void Print(int ofsX, int ofsY) override;
    void CopyFrom(const TKVPrintable* source) override;
    void Loaded() override;

private:
    TKVSysDataType FData = kvsTime;
    QString FText;
};

} // namespace tessiv

#pragma once
// The clipboard: plain text, and components in the stream format of report files under a private
// format, so controls copied in one document paste into another.

#include <QString>

namespace tessiv {

class TComponent;

class TClipboard {
public:
    static const QString ComponentFormat; // the private MIME type

    QString AsText() const;
    void SetAsText(const QString& text);
    bool HasComponent() const;
    // Writes one component, with what it holds, as its component stream.
    void SetComponent(TComponent* component);
    // Reads the component back, new, owned by owner and placed on parent (nil when the clipboard
    // holds none). References to components outside the copy are left empty.
    TComponent* GetComponent(TComponent* owner, TComponent* parent) const;
    void Clear();
};

TClipboard& Clipboard();

} // namespace tessiv

#pragma once
// A root form for report tests: it writes its controls as children, then the components it owns
// that have no parent, as the document's root form does.

#include "engine/model/EngineClasses.h"
#include "engine/model/KVBands.h"
#include "engine/model/VardoRep.h"
#include "platform/controls/Controls.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace enginetest {

using namespace tessiv;

class TTestForm : public TWinControl {
    TESSIV_CLASS(TTestForm, TWinControl)
public:
    explicit TTestForm(TComponent* owner) : TWinControl(owner) {}
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;
};

void RegisterTestClasses();

using TFormPtr = std::unique_ptr<TTestForm, TComponentDeleter>;

// A form holding a new report named Relatorio.
struct TReportDoc {
    TFormPtr Form;
    TVardoRep* Report;
    TReportDoc();
    template <class B>
    B* Add(const QString& name, TKVBandType kind = rbDetail)
    {
        auto* b = new B(Form.get());
        b->SetName(name);
        b->SetParent(Report);
        if constexpr (std::is_same_v<B, TKVBand>)
            b->SetBandType(kind);
        return b;
    }
};

QByteArray WriteRes(TComponent* root);
TFormPtr ReadRes(const QByteArray& bytes);
QByteArray ToText(TComponent* root);
TFormPtr FromText(const QByteArray& text);
TVardoRep* ReportOf(TComponent* form);

} // namespace enginetest

#include "ReportFixture.h"

#include "platform/core/ClassRegistry.h"
#include "platform/core/ObjectText.h"
#include "platform/core/ResFile.h"
#include "platform/core/Streams.h"

namespace enginetest {

TESSIV_IMPLEMENT_CLASS(TTestForm, TWinControl)

void TTestForm::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root)
{
    TWinControl::GetChildren(proc, root);
    for (int i = 0; i < ComponentCount(); ++i)
        if (!Components(i)->GetParentComponent())
            proc(Components(i));
}

void RegisterTestClasses()
{
    RegisterEngineClasses();
    RegisterClass(TTestForm::StaticClass());
}

TReportDoc::TReportDoc() : Form(new TTestForm(nullptr))
{
    RegisterTestClasses();
    Form->SetName(QStringLiteral("fmHidden"));
    Report = new TVardoRep(Form.get());
    Report->SetName(QStringLiteral("Relatorio"));
    Report->SetParent(Form.get());
}

QByteArray WriteRes(TComponent* root)
{
    TMemoryStream s;
    WriteComponentRes(s, root);
    return s.Bytes();
}

TFormPtr ReadRes(const QByteArray& bytes)
{
    RegisterTestClasses();
    TMemoryStream s(bytes);
    return TFormPtr(static_cast<TTestForm*>(ReadComponentRes(s, nullptr)));
}

QByteArray ToText(TComponent* root)
{
    TMemoryStream in(WriteRes(root));
    TMemoryStream out;
    ObjectResourceToText(in, out);
    return out.Bytes();
}

TFormPtr FromText(const QByteArray& text)
{
    TMemoryStream in(text);
    TMemoryStream out;
    ObjectTextToResource(in, out);
    return ReadRes(out.Bytes());
}

TVardoRep* ReportOf(TComponent* form)
{
    return dynamic_cast<TVardoRep*>(form->FindComponent(QStringLiteral("Relatorio")));
}

} // namespace enginetest

#pragma once
// What the document tests share: a scratch folder that is also the documents folder and the
// session's alias file, message boxes answered and noted, SQLite tables made by statements, and a
// document host that lists window captions; and what the property bar tests add to a fixture that
// holds the main form with a document open.

#include "ScratchSession.h"
#include "designer/document/AnexoRelatorio.h"
#include "engine/model/KVBands.h"
#include "platform/ui/Application.h"
#include "uisupport/MyToolBar.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace designertest {

using testsession::TNotedBox;

class THost : public tessiv::TDocumentHost {
public:
    QStringList DocumentWindowCaptions() const override { return Captions; }
    QStringList Captions;
};

class DesignerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QString Path(const QString& name) const { return FDir.filePath(name); }
    // Makes the SQLite file with the statements and an alias of that name over it.
    void MakeSqlite(const QString& alias, const QStringList& statements);
    static QByteArray ReadFile(const QString& name);
    static void WriteFile(const QString& name, const QByteArray& bytes);
    // A report file from its text form.
    static QByteArray ResourceFromText(const QByteArray& text);
    static QByteArray TextFromResource(const QByteArray& resource);
    // The lines of a PDF as pdftotext lays them out, blanks simplified, empty lines left out.
    static QStringList PdfLines(const QString& pdf);

    QTemporaryDir FDir;
    std::vector<TNotedBox> Boxes;
    int Answer = tessiv::IDOK; // the button the user "presses"
    THost Host;
};

// The property bar tests over a fixture whose main form (Form) has a document open: controls and
// bands put on its report, controls selected as the surface selects them, and the undo steps
// taken since the bar's work began.
template <class Fixture>
class PropertyBarTest : public Fixture {
protected:
    // A control of the class, named as the designer names it, on the parent at the bounds.
    template <class T> T* PlaceControl(tessiv::TWinControl* parent, int left, int top, int width, int height)
    {
        auto* control = new T(this->Form->Report->Owner());
        control->SetParent(parent);
        this->Form->EnsureComponentName(control);
        control->SetBounds(left, top, width, height);
        return control;
    }
    tessiv::TKVBand* AddBand(tessiv::TKVBandType type)
    {
        tessiv::TComponent* root = this->Form->Report->Owner();
        auto* band = new tessiv::TKVBand(root);
        band->SetName(this->Form->UniqueComponentName(root, QStringLiteral("Banda")));
        band->SetBandType(type);
        band->SetParent(this->Form->Report);
        return band;
    }
    // Selects the control as a click on the surface does, and hands it to the bar as the selection
    // notification does when a bar is given; the document then starts unmodified, so that a test
    // sees what the bar itself changed.
    void SelectForBar(tessiv::TControl* control, tessiv::TAnexoToolBar* bar = nullptr)
    {
        this->Form->Designer->Attach(this->Form->Report);
        this->Form->Designer->SetSelected(control);
        if (bar)
            bar->SetComponent(control);
        Reset();
    }
    // The controls toggled into the multi-selection of the report.
    void MultiSelectControls(std::initializer_list<tessiv::TControl*> controls)
    {
        this->Form->ReleaseDesigner();
        this->Form->MultiDesigner->SetSurface(this->Form->Report);
        for (tessiv::TControl* c : controls)
            this->Form->MultiDesigner->Toggle(c);
    }
    // The document unmodified and the undo steps counted from now on.
    void Reset()
    {
        this->Form->SetModified(false);
        StepsBefore = Steps();
    }
    int Steps() const { return this->Form->CurrentUndoForm() ? this->Form->CurrentUndoForm()->StepCount() : 0; }
    int NewSteps() const { return Steps() - StepsBefore; }
    static bool Shown(const QWidget* w) { return !w->isHidden(); }

    int StepsBefore = 0;
};

} // namespace designertest

#pragma once
// What the page, alignment and size dialog tests share: a document root holding a report with a
// detail band, printables placed on it in pixels, the message boxes answered and noted, and the
// report's bytes as its file would hold them (to tell that nothing at all changed).

#include "designer/surface/DesignSelection.h"
#include "designer/document/Hidden.h"
#include "engine/model/KVBands.h"
#include "engine/model/VardoRep.h"
#include "platform/ui/Application.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace dialogstest {

using TRootPtr = std::unique_ptr<tessiv::TfmHidden, tessiv::TComponentDeleter>;

class PageDialogsTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A printable of class P on the band, at pixel bounds.
    template <class P>
    P* Place(int left, int top, int width, int height, tessiv::TKVCustomBand* band = nullptr)
    {
        auto* p = new P(Root.get());
        p->SetName(tessiv::MakeUniqueComponentName(Root.get(), QStringLiteral("Objeto")));
        p->SetParent(band ? band : Detail);
        p->SetBounds(left, top, width, height);
        return p;
    }
    // The report written as a component stream.
    QByteArray ReportBytes() const;

    TRootPtr Root;
    tessiv::TVardoRep* Report = nullptr;
    tessiv::TKVBand* Detail = nullptr;
    QStringList Boxes; // the texts of the message boxes shown

private:
    bool FLocaleUsesInches = false;
};

// The alignment and size dialogs work on a selection of the detail band: what it marks, how often
// it redraws the handles and marks the document modified is counted.
class SelectionDialogsTest : public PageDialogsTest {
protected:
    tessiv::TDesignSelection Multi(const std::vector<tessiv::TControl*>& controls)
    {
        tessiv::TDesignSelection s;
        s.Controls = controls;
        s.Band = Detail;
        s.UnitsName = UnitsName;
        s.PlaceMarks = [this](tessiv::TControl* c) { Marked.push_back(c); };
        s.RefreshHandles = [this] { ++Handles; };
        s.Modified = [this] { ++Modified; };
        return s;
    }
    tessiv::TDesignSelection Single(tessiv::TControl* control)
    {
        tessiv::TDesignSelection s = Multi({});
        s.Selected = control;
        return s;
    }

    QString UnitsName; // the name the caption shows, empty for none
    std::vector<tessiv::TControl*> Marked;
    int Handles = 0;
    int Modified = 0;
};

} // namespace dialogstest

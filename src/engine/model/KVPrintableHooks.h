#pragma once
// What the report and its bands ask of the printable controls that lie on them. The printable
// base class implements it; the report and the bands find it on a child control by dynamic_cast,
// so they work with every printable without knowing its class.

#include "engine/model/KVUnits.h"

#include <QString>

namespace tessiv {

class TComponent;
class TControl;

class TKVPrintableHooks {
public:
    virtual ~TKVPrintableHooks() = default;
    // The report's unit, passed on to the control's size.
    virtual void SetUnits(TKVUnit units) = 0;
    // The zoom of the band or report it lies on.
    virtual void SetZoom(int zoom) = 0;
    // Before and after a run.
    virtual void Prepare() = 0;
    virtual void Unprepare() = 0;
    // Code 0: a new record (controller's notify clients); code 2: the band's size changed.
    virtual void Notify(TComponent* sender, int code) = 0;
    // Prints the control offset by its band's position on the page, in whole 0.1 mm.
    virtual void Print(int ofsX, int ofsY) = 0;
    // The control follows its band's size.
    virtual bool AlignToBand() const = 0;
    // A data text that is the report's quantity object carries this flag.
    virtual void SetCampoQuantidade(bool value) = 0;
    // The data field of a data text; empty for other printables.
    virtual QString DataField() const = 0;
};

inline TKVPrintableHooks* PrintableHooks(TControl* control)
{
    return dynamic_cast<TKVPrintableHooks*>(control);
}

} // namespace tessiv

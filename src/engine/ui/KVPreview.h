#pragma once
// The preview control: one page of a printer object's recorded pages, shown at a zoom in a scroll
// box, with the page number, the fit and width modes and the printer object's messages (progress,
// pages available, the run failed). The standard preview and the designer's preview window embed it.
//
// The printer object talks to its client through posted messages to a windowless control; the
// preview keeps such a control as its client for as long as it is attached, so the messages of a
// run reach it while the run pumps them.

#include "engine/ui/KVPreviewGeometry.h"
#include "platform/controls/Controls.h"
#include "platform/graphics/Metafile.h"

#include <QScrollArea>
#include <QWidget>

#include <functional>
#include <memory>

namespace tessiv {

class TKVPrinter;
class TKVPreview;

// One page of a printer object, stretched to the control's size, with a frame and a shadow.
class TKVPreviewImage : public QWidget {
public:
    explicit TKVPreviewImage(QWidget* parent = nullptr);
    ~TKVPreviewImage() override;

    TKVPrinter* Printer() const { return FPrinter; }
    void SetPrinter(TKVPrinter* printer) { FPrinter = printer; }
    int PageNumber() const { return FPageNumber; }
    // Fetches page n from the printer object; none while it is not recorded yet.
    void SetPageNumber(int n);
    bool PageShown() const { return FPageShown; }
    int Zoom() const { return FZoom; }
    void SetZoom(int zoom) { FZoom = zoom; }
    // Draws the control as it paints itself; nothing without a page.
    void PaintPage(TCanvas& canvas, int width, int height) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TKVPrinter* FPrinter = nullptr;
    int FPageNumber = 1;
    std::unique_ptr<TMetafile> FPage;
    bool FPageShown = false;
    // The page whose drawing failed and was reported: told once, not at every repaint.
    int FFailedPage = 0;
    int FZoom = 100;
};

using TKVPageAvailableEvent = std::function<void(TKVPreview* sender, int pageNum)>;
using TKVProgressUpdateEvent = std::function<void(TKVPreview* sender, int progress)>;
using TKVRunFailedEvent = std::function<void(TKVPreview* sender)>;

class TKVPreview : public QScrollArea {
public:
    enum TZoomMode : unsigned char { zmFit = 0, zmWidth = 1, zmExplicit = 2 };

    explicit TKVPreview(QWidget* parent = nullptr);
    // Detaches from its printer object.
    ~TKVPreview() override;

    // Detaches from the printer object it shows (which then stops showing a preview and cancels
    // a run still recording) and attaches the new one, at page 1. Nil only detaches.
    void SetPrinter(TKVPrinter* printer);
    TKVPrinter* Printer() const { return FPrinter; }

    int PageNumber() const { return FPageNumber; }
    // Taken only for a page the printer object has (1..PageCount); the view goes to its top.
    void SetPageNumber(int n);
    int Zoom() const { return FZoom; }
    // Taken only for 2..2000; the zoom becomes explicit.
    void SetZoom(int zoom);
    TZoomMode ZoomMode() const { return FZoomMode; }
    void ZoomToFit();
    void ZoomToWidth();
    void ResizeImage();

    TKVPreviewImage* Image() const { return FImage; }
    // The windowless control that receives the printer object's messages.
    TWinControl* Client() const { return FClient.get(); }

    TKVPageAvailableEvent OnPageAvailable;
    TKVProgressUpdateEvent OnProgressUpdate;
    // The run of the printer object shown failed; its error is the printer object's RunError.
    // Whoever handles it shows the error.
    TKVRunFailedEvent OnRunFailed;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    class TClient;
    void HandleMessage(TMessage& message);
    TSize PreviewSize() const { return {width(), height()}; }

    TKVPrinter* FPrinter = nullptr;
    QWidget* FSurface;
    TKVPreviewImage* FImage;
    std::unique_ptr<TWinControl, TComponentDeleter> FClient;
    int FPageNumber = 1;
    int FZoom = 100;
    TZoomMode FZoomMode = zmExplicit;
};

} // namespace tessiv

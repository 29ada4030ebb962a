#include "engine/ui/KVPreview.h"

#include "engine/run/KVPrinter.h"
#include "platform/graphics/Canvas.h"
#include "platform/ui/Application.h"

#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTimer>

namespace tessiv {

// ---- the page image ------------------------------------------------------------------------------

TKVPreviewImage::TKVPreviewImage(QWidget* parent) : QWidget(parent)
{
    resize(100, 50);
}

TKVPreviewImage::~TKVPreviewImage() = default;

void TKVPreviewImage::SetPageNumber(int n)
{
    FPageNumber = n;
    FFailedPage = 0;
    FPage.reset();
    if (FPrinter)
        FPage = FPrinter->GetPage(n);
    FPageShown = FPage != nullptr;
    update();
}

void TKVPreviewImage::PaintPage(TCanvas& canvas, int width, int height) const
{
    // A page not recorded yet shows nothing at all, not even an empty sheet.
    if (!FPageShown)
        return;
    canvas.Brush()->SetColor(clWhite);
    canvas.Brush()->SetStyle(bsSolid);
    canvas.FillRect(Rect(1, 1, width - 3, height - 3));
    if (FPage)
        FPage->Play(canvas, Rect(0, 0, width, height));
    canvas.Brush()->SetColor(clBlack);
    canvas.Brush()->SetStyle(bsSolid);
    canvas.FrameRect(Rect(0, 0, width - 2, height - 2));
    canvas.FillRect(Rect(width - 2, 2, width, height));
    canvas.FillRect(Rect(2, height - 2, width, height));
}

void TKVPreviewImage::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    TPainterCanvas canvas(&painter, ScreenPixelsPerInch());
    // A page that cannot be drawn (a picture too large for the memory left) shows what was drawn
    // and says why once, after the paint; the window goes on.
    try {
        PaintPage(canvas, width(), height());
    } catch (...) {
        if (FFailedPage == FPageNumber)
            return;
        FFailedPage = FPageNumber;
        QTimer::singleShot(0, this, [error = std::current_exception()] { Application().HandleException(error); });
    }
}

// ---- the preview ---------------------------------------------------------------------------------

// Receives the printer object's posted messages for the preview.
class TKVPreview::TClient : public TWinControl {
public:
    TClient(TKVPreview* preview) : TWinControl(nullptr), FPreview(preview) {}
    void WndProc(TMessage& message) override
    {
        if (message.Msg == WM_USER || message.Msg == WM_USER + 1 || message.Msg == WM_USER + 2)
            FPreview->HandleMessage(message);
        else
            TWinControl::WndProc(message);
    }

private:
    TKVPreview* FPreview;
};

TKVPreview::TKVPreview(QWidget* parent)
    : QScrollArea(parent), FSurface(new QWidget), FImage(new TKVPreviewImage(FSurface)),
      FClient(new TClient(this))
{
    setObjectName(QStringLiteral("KVPreview"));
    setFrameShape(QFrame::NoFrame);
    setBackgroundRole(QPalette::Dark);
    setWidgetResizable(false);
    setWidget(FSurface);
    FImage->move(0, 0);
    resize(250, 250);
}

TKVPreview::~TKVPreview()
{
    try {
        SetPrinter(nullptr);
    } catch (...) {
        // Closing a preview never fails; the printer object is no longer shown either way.
    }
}

void TKVPreview::SetPrinter(TKVPrinter* printer)
{
    if (FPrinter && FPrinter->Client() == FClient.get()) {
        TKVPrinter* old = FPrinter;
        FPrinter = nullptr;
        FImage->SetPrinter(nullptr);
        old->SetClient(nullptr);
        old->SetShowingPreview(false);
    }
    FPrinter = printer;
    if (printer) {
        printer->SetClient(FClient.get());
        printer->SetShowingPreview(true);
    }
    FImage->SetPrinter(printer);
    FPageNumber = 1;
    FImage->SetPageNumber(1);
    ResizeImage();
    update();
}

void TKVPreview::SetPageNumber(int n)
{
    if (n == FPageNumber && FImage->PageShown())
        return;
    if (!FPrinter || n < 1 || n > FPrinter->PageCount())
        return;
    FImage->SetPageNumber(n);
    FPageNumber = n;
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

void TKVPreview::SetZoom(int zoom)
{
    if (!KVZoomInRange(zoom))
        return;
    FZoom = zoom;
    FZoomMode = zmExplicit;
    ResizeImage();
}

void TKVPreview::ZoomToFit()
{
    if (const std::optional<int> zoom = KVZoomToFit(KVPreviewPage(FPrinter), PreviewSize()))
        SetZoom(*zoom);
    FZoomMode = zmFit;
}

void TKVPreview::ZoomToWidth()
{
    if (const std::optional<int> zoom = KVZoomToWidth(KVPreviewPage(FPrinter), PreviewSize()))
        SetZoom(*zoom);
    ResizeImage();
    FZoomMode = zmWidth;
}

void TKVPreview::ResizeImage()
{
    const TSize image = KVPreviewImageSize(KVPreviewPage(FPrinter), FZoom);
    const TPoint origin = KVPreviewImageOrigin(PreviewSize(), image);
    FImage->setGeometry(origin.X, origin.Y, image.cx, image.cy);
    // The surface holds the image where it lies and fills the view, so the scroll bars show
    // exactly the part of the page outside it.
    const QSize view = viewport()->size();
    FSurface->resize(std::max(origin.X + image.cx, view.width()), std::max(origin.Y + image.cy, view.height()));
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    FImage->SetZoom(FZoom);
}

void TKVPreview::resizeEvent(QResizeEvent* event)
{
    QScrollArea::resizeEvent(event);
    if (FZoomMode == zmFit)
        ZoomToFit();
    else if (FZoomMode == zmWidth)
        ZoomToWidth();
    ResizeImage();
}

void TKVPreview::HandleMessage(TMessage& message)
{
    const int value = static_cast<int>(message.WParam & 0xFFFF);
    if (message.Msg == WM_USER + 2) {
        if (OnRunFailed) {
            OnRunFailed(this);
            message.Result = 1;
        }
        return;
    }
    if (message.Msg == WM_USER) {
        if (OnProgressUpdate)
            OnProgressUpdate(this, value);
        return;
    }
    // A page announced while the image waits for it: it is shown now, at the page's width.
    if (value == FPageNumber && FPrinter && !FImage->PageShown() && FImage->PageNumber() <= FPrinter->AvailablePages()) {
        ZoomToWidth();
        FImage->SetPageNumber(FImage->PageNumber());
    }
    if (OnPageAvailable)
        OnPageAvailable(this, value);
}

} // namespace tessiv

#include "engine/ui/KVGlyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>
#include <map>

namespace tessiv {

namespace {

constexpr int Side = 20;

void Sheet(QPainter& p, QRectF r)
{
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawRect(r);
}

void Magnifier(QPainter& p)
{
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(QColor(200, 230, 255));
    p.drawEllipse(QRectF(2, 2, 11, 11));
    p.drawLine(QPointF(12, 12), QPointF(18, 18));
}

// A triangle pointing left (-1) or right (1), with an optional bar at its point.
void Arrow(QPainter& p, int direction, bool bar, qreal shift = 0)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 128));
    const qreal tip = direction < 0 ? 5 + shift : 15 - shift;
    const qreal base = direction < 0 ? 13 + shift : 7 - shift;
    QPainterPath path;
    path.moveTo(tip, 10);
    path.lineTo(base, 4);
    path.lineTo(base, 16);
    path.closeSubpath();
    p.drawPath(path);
    if (bar)
        p.drawRect(QRectF(direction < 0 ? tip - 2 : tip, 4, 2, 12));
}

const std::map<QString, std::function<void(QPainter&)>>& Painters()
{
    static const std::map<QString, std::function<void(QPainter&)>> painters = {
        {QStringLiteral("KVZOOMTOFITBITMAP"),
         [](QPainter& p) {
             Sheet(p, QRectF(6.5, 1.5, 12, 16));
             Magnifier(p);
         }},
        {QStringLiteral("KVZOOMTO100BITMAP"),
         [](QPainter& p) {
             Magnifier(p);
             QFont f = p.font();
             f.setPixelSize(7);
             p.setFont(f);
             p.setPen(Qt::black);
             p.drawText(QRectF(2, 2, 11, 11), Qt::AlignCenter, QStringLiteral("1:1"));
         }},
        {QStringLiteral("KVZOOMTOWIDTHBITMAP"),
         [](QPainter& p) {
             Sheet(p, QRectF(1.5, 4.5, 17, 12));
             p.setPen(QPen(QColor(0, 0, 128), 2));
             p.drawLine(QPointF(4, 10), QPointF(16, 10));
             p.drawLine(QPointF(4, 7), QPointF(4, 13));
             p.drawLine(QPointF(16, 7), QPointF(16, 13));
         }},
        {QStringLiteral("KVFIRSTPAGEBITMAP"), [](QPainter& p) { Arrow(p, -1, true); }},
        {QStringLiteral("KVPREVPAGEBITMAP"), [](QPainter& p) { Arrow(p, -1, false); }},
        {QStringLiteral("KVNEXTPAGEBITMAP"), [](QPainter& p) { Arrow(p, 1, false); }},
        {QStringLiteral("KVLASTPAGEBITMAP"), [](QPainter& p) { Arrow(p, 1, true); }},
        {QStringLiteral("KVPRINTSETUPBITMAP"),
         [](QPainter& p) {
             p.setPen(QPen(Qt::black, 1));
             p.setBrush(QColor(190, 190, 190));
             p.drawRect(QRectF(2.5, 8.5, 15, 7));
             p.setPen(QPen(QColor(128, 64, 0), 2));
             p.drawLine(QPointF(11, 2), QPointF(17, 8));
             p.drawLine(QPointF(17, 2), QPointF(11, 8));
         }},
        {QStringLiteral("KVPRINTBITMAP"),
         [](QPainter& p) {
             Sheet(p, QRectF(5.5, 1.5, 9, 7));
             p.setPen(QPen(Qt::black, 1));
             p.setBrush(QColor(190, 190, 190));
             p.drawRect(QRectF(1.5, 8.5, 17, 7));
             Sheet(p, QRectF(5.5, 13.5, 9, 5));
         }},
        {QStringLiteral("KVSAVEBITMAP"),
         [](QPainter& p) {
             p.setPen(QPen(Qt::black, 1));
             p.setBrush(QColor(0, 0, 160));
             p.drawRect(QRectF(2.5, 2.5, 15, 15));
             p.setBrush(Qt::white);
             p.drawRect(QRectF(5.5, 2.5, 9, 6));
             p.setBrush(QColor(190, 190, 190));
             p.drawRect(QRectF(5.5, 11.5, 9, 6));
         }},
        {QStringLiteral("KVOPENBITMAP"),
         [](QPainter& p) {
             p.setPen(QPen(Qt::black, 1));
             p.setBrush(QColor(230, 200, 80));
             p.drawRect(QRectF(1.5, 5.5, 15, 11));
             p.setBrush(QColor(250, 225, 120));
             QPainterPath flap;
             flap.moveTo(1.5, 16.5);
             flap.lineTo(5.5, 9.5);
             flap.lineTo(18.5, 9.5);
             flap.lineTo(16.5, 16.5);
             flap.closeSubpath();
             p.drawPath(flap);
         }},
    };
    return painters;
}

} // namespace

QIcon KVGlyph(const QString& resourceName)
{
    const auto it = Painters().find(resourceName);
    if (it == Painters().end())
        return {};
    QPixmap pixmap(Side, Side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    it->second(painter);
    painter.end();
    return QIcon(pixmap);
}

} // namespace tessiv

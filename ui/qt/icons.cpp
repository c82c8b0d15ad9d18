#include "ui/qt/icons.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace ui::qt {
namespace {

// Every picture is drawn on a 64 x 64 grid and scaled to the size asked for.
using Draw = void (*)(QPainter&);

QPen pen(QColor c, double w = 3.0) {
    QPen p(c, w);
    p.setCapStyle(Qt::RoundCap);
    p.setJoinStyle(Qt::RoundJoin);
    return p;
}

QLinearGradient vertical(QColor top, QColor bottom, double y0 = 4, double y1 = 60) {
    QLinearGradient g(0, y0, 0, y1);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

void power(QPainter& p) {  // "ON": start, choose the company
    p.setPen(Qt::NoPen);
    p.setBrush(vertical(QColor(0x5c, 0xc8, 0x6a), QColor(0x1e, 0x8a, 0x3c)));
    p.drawEllipse(QRectF(5, 5, 54, 54));
    p.setPen(pen(Qt::white, 5.5));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(18, 19, 28, 28), 120 * 16, 300 * 16);
    p.drawLine(QPointF(32, 13), QPointF(32, 31));
}

void calendar(QPainter& p) {
    p.setPen(pen(QColor(0x60, 0x60, 0x60), 2));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(7, 10, 50, 47), 5, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xd6, 0x3b, 0x32));
    QPainterPath top;
    top.addRoundedRect(QRectF(7, 10, 50, 14), 5, 5);
    top.addRect(QRectF(7, 18, 50, 6));
    p.drawPath(top.simplified());
    p.setBrush(QColor(0x50, 0x50, 0x50));
    p.drawRoundedRect(QRectF(18, 5, 5, 11), 2, 2);
    p.drawRoundedRect(QRectF(41, 5, 5, 11), 2, 2);
    p.setBrush(QColor(0x9a, 0x9a, 0x9a));
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c) p.drawRect(QRectF(13 + c * 10.5, 29 + r * 9, 6, 5));
    p.setBrush(QColor(0xd6, 0x3b, 0x32));
    p.drawRect(QRectF(13 + 2 * 10.5, 29 + 9, 6, 5));
}

void chimney(QPainter& p) {  // "chimenea": the closing of the year, a house with its fire lit
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x8d, 0x5a, 0x3b));
    p.drawRect(QRectF(40, 10, 8, 18));
    p.setBrush(QColor(0xb0, 0xb0, 0xb0, 200));
    p.drawEllipse(QRectF(41, 2, 8, 7));
    p.drawEllipse(QRectF(46, 0, 6, 5));
    QPainterPath roof;
    roof.moveTo(4, 33);
    roof.lineTo(32, 9);
    roof.lineTo(60, 33);
    roof.closeSubpath();
    p.setBrush(vertical(QColor(0xe0, 0x55, 0x3a), QColor(0xa8, 0x2e, 0x1e), 9, 33));
    p.drawPath(roof);
    p.setBrush(vertical(QColor(0xf5, 0xe6, 0xc8), QColor(0xdc, 0xc4, 0x96), 30, 60));
    p.drawRect(QRectF(11, 31, 42, 28));
    p.setBrush(QColor(0x6b, 0x44, 0x2a));
    p.drawRect(QRectF(27, 41, 11, 18));
    p.setBrush(QColor(0x7f, 0xb8, 0xe6));
    p.drawRect(QRectF(15, 38, 8, 8));
    p.drawRect(QRectF(42, 38, 8, 8));
}

void disk(QPainter& p) {  // "aDisco": the backup copy
    QPainterPath body;
    body.moveTo(8, 8);
    body.lineTo(48, 8);
    body.lineTo(56, 16);
    body.lineTo(56, 56);
    body.lineTo(8, 56);
    body.closeSubpath();
    p.setPen(pen(QColor(0x1f, 0x3d, 0x6b), 2));
    p.setBrush(vertical(QColor(0x4a, 0x7f, 0xc9), QColor(0x2a, 0x55, 0x96)));
    p.drawPath(body);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xdf, 0xe6, 0xee));
    p.drawRect(QRectF(18, 8, 26, 17));
    p.setBrush(QColor(0x2a, 0x55, 0x96));
    p.drawRect(QRectF(35, 11, 6, 11));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(15, 33, 34, 21), 2, 2);
    p.setPen(pen(QColor(0x9a, 0xa8, 0xb8), 2));
    p.drawLine(QPointF(20, 40), QPointF(44, 40));
    p.drawLine(QPointF(20, 47), QPointF(44, 47));
}

void calculator(QPainter& p) {
    p.setPen(pen(QColor(0x3a, 0x3a, 0x3a), 2));
    p.setBrush(vertical(QColor(0x6a, 0x6a, 0x70), QColor(0x3c, 0x3c, 0x42)));
    p.drawRoundedRect(QRectF(12, 4, 40, 56), 6, 6);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xc8, 0xe6, 0xc0));
    p.drawRoundedRect(QRectF(17, 9, 30, 12), 2, 2);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c) {
            p.setBrush(r == 3 && c == 2 ? QColor(0xf0, 0x8c, 0x2a) : QColor(0xee, 0xee, 0xee));
            p.drawRoundedRect(QRectF(17 + c * 11, 26 + r * 8.3, 8, 6), 1.5, 1.5);
        }
}

void printer(QPainter& p) {
    p.setPen(pen(QColor(0x70, 0x70, 0x70), 2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(18, 5, 28, 20));
    p.setBrush(vertical(QColor(0x8a, 0x8f, 0x98), QColor(0x55, 0x5a, 0x63), 22, 48));
    p.drawRoundedRect(QRectF(6, 22, 52, 26), 5, 5);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(17, 40, 30, 19));
    p.setPen(pen(QColor(0x9a, 0xa8, 0xb8), 2));
    p.drawLine(QPointF(22, 47), QPointF(42, 47));
    p.drawLine(QPointF(22, 53), QPointF(38, 53));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x5c, 0xd0, 0x6a));
    p.drawEllipse(QRectF(48, 28, 5, 5));
}

void wrench(QPainter& p) {  // "mantencion": file maintenance
    p.save();
    p.translate(32, 32);
    p.rotate(45);
    p.setPen(pen(QColor(0x44, 0x4c, 0x58), 2));
    p.setBrush(vertical(QColor(0xc9, 0xd1, 0xdb), QColor(0x8e, 0x98, 0xa6), -28, 28));
    QPainterPath w;
    w.addRoundedRect(QRectF(-5, -8, 10, 36), 4, 4);
    QPainterPath head;
    head.addEllipse(QRectF(-13, -30, 26, 26));
    QPainterPath jaw;
    jaw.addRect(QRectF(-5, -32, 10, 14));
    p.drawPath(w.united(head).subtracted(jaw));
    p.restore();
}

void pie(QPainter& p) {  // "pie": the financial statements
    QRectF r(5, 9, 50, 50);
    p.setPen(pen(Qt::white, 2));
    p.setBrush(QColor(0x3b, 0x7d, 0xd8));
    p.drawPie(r, 90 * 16, 160 * 16);
    p.setBrush(QColor(0xf2, 0xb1, 0x34));
    p.drawPie(r, 250 * 16, 110 * 16);
    p.setBrush(QColor(0xe0, 0x4f, 0x44));  // the slice pulled out
    p.drawPie(r.translated(4, -4), 0, 90 * 16);
}

void door(QPainter& p) {  // "Salir"
    p.setPen(pen(QColor(0x5a, 0x3a, 0x22), 2));
    p.setBrush(vertical(QColor(0xb9, 0x7a, 0x48), QColor(0x86, 0x52, 0x2c)));
    p.drawRect(QRectF(10, 6, 30, 52));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf3, 0xd2, 0x5c));
    p.drawEllipse(QRectF(32, 31, 4, 4));
    p.setPen(pen(QColor(0xd6, 0x3b, 0x32), 6));
    p.drawLine(QPointF(30, 32), QPointF(54, 32));
    p.setBrush(QColor(0xd6, 0x3b, 0x32));
    p.setPen(pen(QColor(0xd6, 0x3b, 0x32), 2));
    QPolygonF head;
    head << QPointF(60, 32) << QPointF(47, 21) << QPointF(47, 43);
    p.drawPolygon(head);
}

void pencil(QPainter& p) {
    p.save();
    p.translate(32, 32);
    p.rotate(-45);
    p.setPen(pen(QColor(0x5a, 0x4a, 0x20), 1.5));
    p.setBrush(QColor(0xf2, 0xc0, 0x3a));
    p.drawRect(QRectF(-20, -6, 32, 12));
    p.setBrush(QColor(0xe8, 0x8a, 0x9a));
    p.drawRoundedRect(QRectF(-27, -6, 8, 12), 2, 2);
    p.setBrush(QColor(0xf1, 0xdc, 0xb4));
    QPolygonF tip;
    tip << QPointF(12, -6) << QPointF(25, 0) << QPointF(12, 6);
    p.drawPolygon(tip);
    p.setBrush(QColor(0x40, 0x40, 0x40));
    QPolygonF lead;
    lead << QPointF(21, -2) << QPointF(25, 0) << QPointF(21, 2);
    p.drawPolygon(lead);
    p.restore();
}

void ledger(QPainter& p) {  // the program's own icon: an open ledger
    p.setPen(Qt::NoPen);
    p.setBrush(vertical(QColor(0x2f, 0x6f, 0xb5), QColor(0x1b, 0x46, 0x7c)));
    p.drawRoundedRect(QRectF(4, 6, 56, 52), 8, 8);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(10, 13, 20, 38), 2, 2);
    p.drawRoundedRect(QRectF(34, 13, 20, 38), 2, 2);
    p.setPen(pen(QColor(0x2f, 0x6f, 0xb5), 2));
    for (int i = 0; i < 4; ++i) {
        p.drawLine(QPointF(14, 21 + i * 8), QPointF(26, 21 + i * 8));
        p.drawLine(QPointF(38, 21 + i * 8), QPointF(50, 21 + i * 8));
    }
}

void tile(QPainter& p, QChar letter) {
    p.setPen(Qt::NoPen);
    p.setBrush(vertical(QColor(0x7a, 0x86, 0x99), QColor(0x4a, 0x55, 0x68)));
    p.drawRoundedRect(QRectF(6, 6, 52, 52), 9, 9);
    QFont f = p.font();
    f.setPixelSize(32);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(6, 6, 52, 52), Qt::AlignCenter, QString(letter).toUpper());
}

Draw drawing(const std::string& name) {
    QString n = QString::fromStdString(name).toLower();
    if (n == "on") return power;
    if (n == "calendar") return calendar;
    if (n == "chimenea") return chimney;
    if (n == "adisco") return disk;
    if (n == "calc") return calculator;
    if (n == "printer") return printer;
    if (n == "mantencion") return wrench;
    if (n == "pie") return pie;
    if (n == "salir") return door;
    if (n == "pencil" || n == "lapiz" || n == "lápiz") return pencil;
    if (n == "qrx2012" || n == "program") return ledger;
    return nullptr;
}

}  // namespace

QPixmap drawIcon(const std::string& name, int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    if (Draw d = drawing(name)) {
        d(p);
    } else {
        QString n = QString::fromStdString(name);
        tile(p, n.isEmpty() ? QChar('?') : n[0]);
    }
    return pm;
}

QIcon icon(const std::string& name) {
    QIcon i;
    for (int s : {16, 24, 30, 32, 48, 64}) i.addPixmap(drawIcon(name, s));
    return i;
}

QIcon programIcon() { return icon("qrx2012"); }

}  // namespace ui::qt

// Draws the default picture of the main window, "qrx2012.jpg", at build time:
// the program's name over a blue gradient with a ledger sheet, a bar chart and a
// line of figures.
//
//   qrx-picture OUTPUT.jpg
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <cstdlib>

namespace {

void ledgerSheet(QPainter& p, QRectF r) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawRoundedRect(r.translated(8, 10), 10, 10);
    p.setBrush(QColor(0xfb, 0xfa, 0xf4));
    p.drawRoundedRect(r, 10, 10);
    // the heading band and the ruled lines of a journal page
    p.setBrush(QColor(0x2e, 0x6d, 0xb4));
    p.drawRect(QRectF(r.left(), r.top() + 26, r.width(), 26));
    p.setPen(QPen(QColor(0xc9, 0xd6, 0xe6), 1.2));
    for (qreal y = r.top() + 70; y < r.bottom() - 14; y += 22) p.drawLine(QPointF(r.left() + 14, y), QPointF(r.right() - 14, y));
    p.setPen(QPen(QColor(0xd8, 0x6a, 0x5a), 1.5));
    for (qreal x : {r.left() + r.width() * 0.56, r.left() + r.width() * 0.78})
        p.drawLine(QPointF(x, r.top() + 52), QPointF(x, r.bottom() - 14));
    // debit and credit figures
    QFont f(QStringLiteral("DejaVu Sans Mono"));
    f.setPixelSize(13);
    p.setFont(f);
    p.setPen(QColor(0x33, 0x3d, 0x4a));
    const char* debe[] = {"1,250.00", "", "3,480.50", "", "612.30", "", "845.00"};
    const char* haber[] = {"", "1,250.00", "", "3,480.50", "", "612.30", ""};
    qreal y = r.top() + 66;
    for (int i = 0; i < 7 && y < r.bottom() - 20; ++i, y += 22) {
        QRectF cd(r.left() + r.width() * 0.56, y - 16, r.width() * 0.22 - 6, 18);
        QRectF ch(r.left() + r.width() * 0.78, y - 16, r.width() * 0.22 - 12, 18);
        p.drawText(cd, Qt::AlignRight | Qt::AlignVCenter, QString::fromLatin1(debe[i]));
        p.drawText(ch, Qt::AlignRight | Qt::AlignVCenter, QString::fromLatin1(haber[i]));
        p.fillRect(QRectF(r.left() + 18, y - 10, r.width() * (0.18 + 0.04 * (i % 3)), 5), QColor(0x9a, 0xa8, 0xb8));
    }
    p.setPen(Qt::white);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(r.left() + 14, r.top() + 26, r.width() * 0.5, 26), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("CUENTA"));
    p.drawText(QRectF(r.left() + r.width() * 0.56, r.top() + 26, r.width() * 0.22 - 6, 26), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("DEBE"));
    p.drawText(QRectF(r.left() + r.width() * 0.78, r.top() + 26, r.width() * 0.22 - 12, 26),
               Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("HABER"));
    p.restore();
}

void barChart(QPainter& p, QRectF r) {
    p.save();
    const qreal values[] = {0.35, 0.52, 0.44, 0.68, 0.6, 0.82, 0.95};
    const int n = 7;
    qreal w = r.width() / (n * 1.5);
    QPainterPath trend;
    for (int i = 0; i < n; ++i) {
        qreal h = r.height() * values[i];
        QRectF bar(r.left() + i * w * 1.5, r.bottom() - h, w, h);
        QLinearGradient g(bar.topLeft(), bar.bottomLeft());
        g.setColorAt(0, QColor(0xf5, 0xc3, 0x42));
        g.setColorAt(1, QColor(0xe0, 0x8a, 0x1e));
        p.fillRect(bar, g);
        QPointF top(bar.center().x(), bar.top() - 14);
        if (i == 0) trend.moveTo(top);
        else trend.lineTo(top);
    }
    p.setPen(QPen(QColor(255, 255, 255, 220), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(trend);
    p.setPen(QPen(QColor(255, 255, 255, 160), 2));
    p.drawLine(r.bottomLeft() + QPointF(-6, 2), r.bottomRight() + QPointF(6, 2));
    p.restore();
}

QImage draw() {
    const int W = 1024, H = 640;
    QImage img(W, H, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient sky(0, 0, W, H);
    sky.setColorAt(0, QColor(0x0f, 0x2f, 0x5a));
    sky.setColorAt(0.6, QColor(0x1f, 0x5c, 0x9c));
    sky.setColorAt(1, QColor(0x5f, 0x9f, 0xd6));
    p.fillRect(img.rect(), sky);
    // soft circles in the background
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 18));
    p.drawEllipse(QPointF(W * 0.85, H * 0.15), 260, 260);
    p.drawEllipse(QPointF(W * 0.1, H * 0.95), 200, 200);

    ledgerSheet(p, QRectF(W * 0.52, H * 0.34, W * 0.4, H * 0.5));
    barChart(p, QRectF(W * 0.08, H * 0.52, W * 0.34, H * 0.3));

    QFont title(QStringLiteral("DejaVu Sans"));
    title.setBold(true);
    title.setPixelSize(96);
    p.setFont(title);
    p.setPen(QColor(0, 0, 0, 90));
    p.drawText(QRectF(W * 0.08 + 4, H * 0.06 + 5, W * 0.84, 120), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("QRX 2012"));
    p.setPen(Qt::white);
    p.drawText(QRectF(W * 0.08, H * 0.06, W * 0.84, 120), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("QRX 2012"));

    QFont sub(QStringLiteral("DejaVu Sans"));
    sub.setPixelSize(44);
    p.setFont(sub);
    p.setPen(QColor(0xf5, 0xc3, 0x42));
    p.drawText(QRectF(W * 0.08, H * 0.06 + 118, W * 0.84, 56), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Contabilidad"));
    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(20);
    p.setFont(small);
    p.setPen(QColor(255, 255, 255, 200));
    p.drawText(QRectF(W * 0.08, H * 0.06 + 174, W * 0.84, 30), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromUtf8("Partida doble para empresas del Perú"));
    p.end();
    return img;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Uso: qrx-picture SALIDA.jpg\n");
        return 64;
    }
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    QImage img = draw();
    if (!img.save(QString::fromLocal8Bit(argv[1]), "JPG", 90)) {
        std::fprintf(stderr, "qrx-picture: no se pudo escribir %s\n", argv[1]);
        return 1;
    }
    return 0;
}

#include "output/report/pdf.h"

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QString>

#include <stdexcept>

namespace report {

void writePdf(const Document& doc, const std::string& path) {
    const QString file = QString::fromStdString(path);
    QFile::remove(file);
    QPdfWriter writer(file);
    constexpr int kDpi = 1200;
    writer.setResolution(kDpi);
    writer.setTitle(QString::fromStdString(doc.name));
    writer.setCreator(QStringLiteral("QRX"));
    const bool landscape = doc.pageWidth > doc.pageHeight;
    QPageSize size(landscape ? QSizeF(doc.pageHeight, doc.pageWidth) : QSizeF(doc.pageWidth, doc.pageHeight),
                   QPageSize::Millimeter);
    writer.setPageLayout(QPageLayout(size, landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));

    QPainter painter;
    if (!painter.begin(&writer)) throw std::runtime_error("No se puede escribir el archivo " + path);
    const double unit = kDpi / 25.4;  // device units per mm
    QFont regular(QString::fromStdString(doc.fontFamily));
    regular.setPointSizeF(doc.fontSize);
    QFont bold = regular;
    bold.setBold(true);
    for (std::size_t p = 0; p < doc.pages.size(); ++p) {
        if (p > 0) writer.newPage();
        for (const auto& item : doc.pages[p].items) {
            painter.setFont(item.bold ? bold : regular);
            int flags = Qt::AlignVCenter | Qt::TextSingleLine;
            flags |= item.align == Align::Right ? Qt::AlignRight : item.align == Align::Center ? Qt::AlignHCenter : Qt::AlignLeft;
            QRectF box(item.x * unit, item.y * unit, item.width * unit, item.height * unit);
            painter.drawText(box, flags, QString::fromStdString(item.text));
        }
    }
    if (!painter.end()) throw std::runtime_error("No se puede escribir el archivo " + path);
    if (!QFile::exists(file)) throw std::runtime_error("No se puede escribir el archivo " + path);
}

}  // namespace report

#include "output/report/pdf.h"

#include <QFile>
#include <QFont>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QString>

#include <stdexcept>

#include "output/report/paint.h"

namespace report {

QPageLayout pageLayout(const Document& doc) {
    const bool landscape = doc.pageWidth > doc.pageHeight;
    QPageSize size(landscape ? QSizeF(doc.pageHeight, doc.pageWidth) : QSizeF(doc.pageWidth, doc.pageHeight),
                   QPageSize::Millimeter);
    return QPageLayout(size, landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                       QPageLayout::Millimeter);
}

void paintPage(QPainter& painter, const Document& doc, std::size_t page, double unit) {
    if (page >= doc.pages.size()) return;
    QFont regular(QString::fromStdString(doc.fontFamily));
    regular.setPointSizeF(doc.fontSize);
    QFont bold = regular;
    bold.setBold(true);
    for (const auto& item : doc.pages[page].items) {
        painter.setFont(item.bold ? bold : regular);
        int flags = Qt::AlignVCenter | Qt::TextSingleLine;
        flags |= item.align == Align::Right    ? Qt::AlignRight
                 : item.align == Align::Center ? Qt::AlignHCenter
                                               : Qt::AlignLeft;
        QRectF box(item.x * unit, item.y * unit, item.width * unit, item.height * unit);
        painter.drawText(box, flags, QString::fromStdString(item.text));
    }
}

void writePdf(const Document& doc, const std::string& path) {
    const QString file = QString::fromStdString(path);
    // Written under a scratch name: an earlier file of that name stays until the new one is complete.
    const QString scratch = file + QStringLiteral(".part");
    QFile::remove(scratch);
    {
        QPdfWriter writer(scratch);
        constexpr int kDpi = 1200;
        writer.setResolution(kDpi);
        writer.setTitle(QString::fromStdString(doc.name));
        writer.setCreator(QStringLiteral("QRX"));
        writer.setPageLayout(pageLayout(doc));
        QPainter painter;
        if (!painter.begin(&writer)) throw std::runtime_error("No se puede escribir el archivo " + path);
        for (std::size_t p = 0; p < doc.pages.size(); ++p) {
            if (p > 0) writer.newPage();
            paintPage(painter, doc, p, kDpi / 25.4);
        }
        if (!painter.end()) {
            QFile::remove(scratch);
            throw std::runtime_error("No se puede escribir el archivo " + path);
        }
    }
    if (!QFile::exists(scratch)) throw std::runtime_error("No se puede escribir el archivo " + path);
    QFile::remove(file);
    if (!QFile::rename(scratch, file)) {
        QFile::remove(scratch);
        throw std::runtime_error("No se puede escribir el archivo " + path);
    }
}

}  // namespace report

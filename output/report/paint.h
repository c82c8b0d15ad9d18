// Drawing laid-out report pages with a QPainter: shared by the PDF file, the
// preview window and the printer.
#pragma once

#include <QPageLayout>

#include <cstddef>

#include "output/report/layout.h"

class QPainter;

namespace report {

// The page size and orientation of the document, without margins (the layout
// already placed every text inside its margins).
QPageLayout pageLayout(const Document& doc);

// Draws one page; `unitsPerMm` is the device's resolution in units per mm.
void paintPage(QPainter& painter, const Document& doc, std::size_t page, double unitsPerMm);

}  // namespace report

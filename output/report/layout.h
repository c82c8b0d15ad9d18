// Page layout of a report: a template run over a data table, giving pages of
// positioned texts. No Qt here; output/report/pdf.h draws the result.
#pragma once

#include <string>
#include <vector>

#include "output/report/template.h"
#include "store/store.h"

namespace report {

// A text placed on a page; all measures in mm from the page's top-left corner.
struct Item {
    double x = 0, y = 0, width = 0, height = 0;
    Align align = Align::Left;
    bool bold = false;
    std::string text;  // UTF-8
};

struct Page {
    std::vector<Item> items;
};

struct Document {
    std::string name;
    double pageWidth = 210, pageHeight = 297;  // mm
    std::string fontFamily;
    double fontSize = 8;  // points
    double lineHeight = 0;  // mm
    std::vector<Page> pages;
};

// Height in mm of one band line for a font size in points.
double lineHeightMm(double fontSize);

// Runs the template over every visible record of `data` in its current order,
// and over the current record of `var` when given (fields of "var" read blank
// without it). Throws TemplateError for a field the tables do not have, a sum of
// a field that is not numeric, or a group expression that does not compile.
Document layout(const Template& tpl, store::WorkArea& data, store::WorkArea* var = nullptr);

}  // namespace report

// Drawing laid-out report pages into a PDF file (needs a QGuiApplication).
#pragma once

#include <string>

#include "output/report/layout.h"

namespace report {

// Writes every page of the document; replaces an existing file. Throws
// std::runtime_error with a Spanish message when the file cannot be written.
void writePdf(const Document& doc, const std::string& path);

}  // namespace report

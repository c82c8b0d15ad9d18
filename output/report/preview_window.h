// The report windows of the program: the print preview (print on any installed
// printer, save as PDF) and the template designer with its live preview.
#pragma once

#include <QString>

#include "output/report/handover.h"

class QPrinter;
class QWidget;

namespace report {

// Draws every page of the document on a printer (or PDF printer).
void printDocument(QPrinter& printer, const Document& doc);

class QtReportViewer : public Viewer {
public:
    explicit QtReportViewer(QWidget* parent = nullptr) : parent_(parent) {}
    void preview(const std::string& name, const Document& doc) override;
    void design(const std::string& path, const std::string& name, const DesignFields& fields,
                const std::function<Document(const Template&)>& run) override;

private:
    QWidget* parent_;
};

// The window title of both report windows.
QString reportWindowTitle();

}  // namespace report

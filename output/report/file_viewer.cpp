#include "output/report/file_viewer.h"

#include <filesystem>
#include <stdexcept>

#include "output/report/pdf.h"
#include "ui/backend.h"

namespace report {

std::string PdfFileViewer::fileFor(const std::string& name) const {
    std::string file = target_;
    const std::string mark = "{name}";
    for (std::size_t at = file.find(mark); at != std::string::npos; at = file.find(mark, at + name.size()))
        file.replace(at, mark.size(), name);
    return file;
}

void PdfFileViewer::preview(const std::string& name, const Document& doc) {
    const std::string file = fileFor(name);
    try {
        writePdf(doc, file);
        written_.push_back(file);
    } catch (const std::runtime_error& e) {
        ui::alert(e.what(), "Reportes");
    }
}

void PdfFileViewer::design(const std::string& path, const std::string& name, const DesignFields&,
                           const std::function<Document(const Template&)>& run) {
    Template tpl;
    tpl.name = name;
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) tpl = loadTemplate(path);
    preview(name, run(tpl));
}

}  // namespace report

// The report viewer without a display (scripted runs, batch jobs, tests): every
// report that would have been shown is written as a PDF file instead.
#pragma once

#include <string>
#include <vector>

#include "output/report/handover.h"

namespace report {

class PdfFileViewer : public Viewer {
public:
    // `target` names the file; "{name}" in it is replaced by the template name
    // (e.g. "/tmp/salida/{name}.pdf"), otherwise every report replaces the last.
    explicit PdfFileViewer(std::string target) : target_(std::move(target)) {}

    void preview(const std::string& name, const Document& doc) override;
    // Without a display there is nothing to edit: the template as it stands (empty
    // when the file is missing) is laid out and written like a preview.
    void design(const std::string& path, const std::string& name, const DesignFields& fields,
                const std::function<Document(const Template&)>& run) override;

    // The files written, in order.
    const std::vector<std::string>& written() const { return written_; }
    std::string fileFor(const std::string& name) const;

private:
    std::string target_;
    std::vector<std::string> written_;
};

}  // namespace report

// The report hand-over: every listing, book and statement leaves the program
// through REPORTE. It fills the one-record header table "reportes\var", opens the
// report's data table a second time as `vou2`, lays the template
// "reportes\<name>.qrt" out over both and shows the result with the installed
// viewer (the preview window, the designer, or a PDF file without a display).
// No Qt here.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "output/report/layout.h"
#include "output/report/template.h"
#include "store/store.h"

namespace report {

// The program values a hand-over reads.
struct HandOverContext {
    store::Store* store = nullptr;  // the company's tables; `var` is its parameter record
    int MA = 1;                     // period choice: 1 monthly, 2 accumulated
    std::string MES;                // working month name, 9 characters blank-filled
    std::string WZDR;               // the first start-up argument (design code)
};

// True when the start-up argument asks for the designer instead of the preview.
bool designCode(std::string_view wzdr);

// Folder of the templates and of the header table, relative to the start folder.
inline constexpr const char* kReportFolder = "reportes";
inline constexpr const char* kTemplateExtension = ".qrt";

// The field names the designer offers (upper case, in table order).
struct DesignFields {
    std::vector<std::string> data, var;
};

// What a prepared report is shown with. Both calls return when the user closes the
// window.
class Viewer {
public:
    virtual ~Viewer() = default;
    virtual void preview(const std::string& name, const Document& doc) = 0;
    // The designer over the template file `path` (which may not exist yet), saved
    // under that name; `run` lays a template out over the hand-over's tables for
    // the live preview (it throws TemplateError as layout() does).
    virtual void design(const std::string& path, const std::string& name, const DesignFields& fields,
                        const std::function<Document(const Template&)>& run) = 0;
};

// The viewer the hand-overs use (not owned). Without one a hand-over says that no
// report can be shown.
void installViewer(Viewer* viewer);
Viewer* installedViewer();

// The hand-over. Arguments as the report screens pass them: the template name
// (blanks allowed), the data table's path without extension (a bare name is in
// the start folder), three titles (program texts; " " for an empty one) and
// optionally an index file whose order the report follows. Problems (header
// table missing or in use, data table missing, a faulty template) are told to the
// user; nothing is left open. Callers keep their own alias on the table and their
// own position.
void REPORTE(HandOverContext& ctx, std::string_view name, std::string_view table, std::string_view title1,
             std::string_view title2, std::string_view title3, std::string_view index = {});

}  // namespace report

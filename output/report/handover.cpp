#include "output/report/handover.h"

#include <filesystem>
#include <memory>

#include "platform/paths.h"
#include "store/error.h"
#include "ui/backend.h"
#include "ui/text.h"

namespace report {

namespace {

Viewer* g_viewer = nullptr;

std::string trimmed(std::string_view s) {
    std::size_t b = s.find_first_not_of(' ');
    if (b == std::string_view::npos) return {};
    std::size_t e = s.find_last_not_of(' ');
    return std::string(s.substr(b, e - b + 1));
}

// Closes what the hand-over opened, whatever happens, and gives the caller back
// the table that was current.
class Opened {
public:
    explicit Opened(store::Store& st) : st_(st) {
        if (st.hasCurrent()) previous_ = st.current().alias();
    }
    ~Opened() {
        for (const auto& alias : aliases_)
            if (st_.find(alias)) st_.close(alias);
        if (!previous_.empty() && st_.find(previous_)) st_.select(previous_);
    }
    void add(const std::string& alias) { aliases_.push_back(alias); }

private:
    store::Store& st_;
    std::string previous_;
    std::vector<std::string> aliases_;
};

const char* const kHeaderAlias = "VAR2";
const char* const kDataAlias = "vou2";

// The host path of a program path, or the reason it has none.
bool hostPath(const std::string& path, std::string& host) {
    auto r = platform::toHost(path);
    if (!r) {
        ui::alert(r.message(), "Reportes");
        return false;
    }
    host = r.value().string();
    return true;
}

bool tableExists(const std::string& host) {
    std::error_code ec;
    return std::filesystem::exists(store::Store::resolve(host, ".dbf"), ec);
}

// Writes the one header record. False (the user told why) when the table cannot be used.
bool fillHeader(HandOverContext& ctx, const std::string& t1, const std::string& t2, const std::string& t3) {
    store::Store& st = *ctx.store;
    std::string program = std::string(kReportFolder) + "\\var";
    std::string host;
    if (!hostPath(program, host)) return false;
    if (!tableExists(host)) {
        ui::alert("No se encuentra la tabla de encabezados de los reportes (" + program +
                      ".dbf). Sin ella no se puede emitir ningún reporte; reinstale la carpeta \"" +
                      kReportFolder + "\".",
                  "Reportes");
        return false;
    }
    store::WorkArea* head = st.use(host, kHeaderAlias, false);
    if (!head) {
        ui::alert("La salida de reportes está ocupada por otra estación que usa esta misma carpeta de "
                  "programa. Espere a que termine su reporte e intente nuevamente.",
                  "Reportes");
        return false;
    }
    head->zap();
    head->appendBlank();
    if (store::WorkArea* var = st.find("var")) {
        for (const char* f : {"VAR5", "VAR30", "VAR31", "VAR32", "VAR33"})
            if (var->findField(f) && head->findField(f)) head->put(f, store::Value(var->text(f)));
    }
    std::string mes = (ctx.MA == 1 ? " DEL MES DE " : " AL MES DE ") + ctx.MES;
    head->put("VARMES", store::Value(ui::text::toTable(mes)));
    head->put("TITULO1", store::Value(ui::text::toTable(t1)));
    head->put("TITULO2", store::Value(ui::text::toTable(t2)));
    head->put("TITULO3", store::Value(ui::text::toTable(t3)));
    head->commit();
    head->goTop();
    return true;
}

}  // namespace

bool designCode(std::string_view wzdr) { return wzdr.substr(0, 6) == "qkvqkv"; }

void installViewer(Viewer* viewer) { g_viewer = viewer; }
Viewer* installedViewer() { return g_viewer; }

void REPORTE(HandOverContext& ctx, std::string_view nameArg, std::string_view tableArg, std::string_view title1,
             std::string_view title2, std::string_view title3, std::string_view indexArg) {
    const std::string name = trimmed(nameArg), table = trimmed(tableArg), index = trimmed(indexArg);
    const std::string t1 = trimmed(title1), t2 = trimmed(title2), t3 = trimmed(title3);
    if (!ctx.store) return;
    store::Store& st = *ctx.store;
    Viewer* viewer = g_viewer;
    if (!viewer) {
        ui::alert("No hay una salida de reportes disponible en esta estación.", "Reportes");
        return;
    }
    Opened opened(st);
    try {
        if (!fillHeader(ctx, t1, t2, t3)) return;
        opened.add(kHeaderAlias);

        std::string dataHost;
        if (!hostPath(table, dataHost)) return;
        if (!tableExists(dataHost)) {
            ui::alert("No se encuentra la tabla del reporte: " + table + ".dbf", "Reportes");
            return;
        }
        store::WorkArea* data = st.use(dataHost, kDataAlias, true);
        if (!data) {
            ui::alert("No se puede leer la tabla del reporte " + table + ": " + st.netErrMessage(), "Reportes");
            return;
        }
        opened.add(kDataAlias);
        if (!index.empty()) {
            std::string indexHost;
            if (!hostPath(index, indexHost)) return;
            data->attachIndex(indexHost);
            data->setOrder(1);
        }
        data->goTop();

        store::WorkArea* head = st.find(kHeaderAlias);
        std::string program = std::string(kReportFolder) + "\\" + name + kTemplateExtension;
        std::string tplHost;
        if (!hostPath(program, tplHost)) return;
        auto run = [&](const Template& tpl) {
            data->goTop();
            Document doc = layout(tpl, *data, head);
            data->goTop();
            return doc;
        };
        std::error_code ec;
        bool exists = std::filesystem::exists(tplHost, ec);
        if (designCode(ctx.WZDR)) {
            DesignFields fields;
            for (const auto& f : data->fields()) fields.data.push_back(f.name);
            for (const auto& f : head->fields()) fields.var.push_back(f.name);
            viewer->design(tplHost, name, fields, run);
            return;
        }
        Template tpl;  // a missing template gives an empty report
        tpl.name = name;
        if (exists) tpl = loadTemplate(tplHost);
        viewer->preview(name, run(tpl));
    } catch (const TemplateError& e) {
        ui::alert("La plantilla del reporte \"" + name + "\" tiene un error:\n" + e.what(), "Reportes");
    } catch (const store::StoreError& e) {
        ui::alert(std::string("No se pudo preparar el reporte \"") + name + "\":\n" + e.what(), "Reportes");
    }
}

}  // namespace report

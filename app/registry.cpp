#include "app/registry.h"

#include <cstdint>
#include <filesystem>
#include <string>

#include "app/company.h"
#include "output/export.h"
#include "platform/paths.h"
#include "store/error.h"
#include "ui/backend.h"
#include "ui/dialog.h"
#include "ui/patterns.h"
#include "ui/text.h"

namespace app {
namespace {

bool blank(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }

// The registry record a form or listing came from, to go back to it afterwards.
class Remembered {
public:
    explicit Remembered(store::WorkArea& area) : area_(area), recno_(area.eof() ? 0 : area.recno()) {}
    void restore() {
        if (recno_ != 0) {
            area_.go(recno_);
        } else {
            area_.goBottom();
            if (!area_.eof()) area_.skip(1);
        }
    }

private:
    store::WorkArea& area_;
    std::uint32_t recno_;
};

// The refusal of the path layer for a folder as typed on the form, or "".
std::string folderProblem(const std::string& tableText) {
    platform::Status s = platform::validateCompanyFolder(ui::text::fromTable(tableText));
    return s ? std::string() : s.message();
}

}  // namespace

void U_RUTA(Context& ctx, int request) {
    if (!ctx.store.find("emp") && !openRegistry(ctx)) return;
    store::WorkArea& emp = ctx.store.select("emp");
    store::Field des = emp.field("DES"), via = emp.field("VIA"), via2 = emp.field("VIA2");

    ui::Dialog* dialog = nullptr;
    ui::Browse* browse = nullptr;
    bool select = false;

    ui::MasterScreen s;
    s.dialog = "INGRESO";
    s.caption = "SELECCION Y CREACION DE EMPRESA";
    s.area = &emp;
    s.columns = {{"Empresa", [&emp, des] { return emp.get(des); }, ""},
                 {"Ruta", [&emp, via] { return emp.get(via); }, ""},
                 {"Ruta para recuperar datos y parametros", [&emp, via2] { return emp.get(via2); }, ""}};
    s.edit = [&](bool isNew) {
        if (isNew) {
            EDITEMP(ctx, browse, true);
            return;
        }
        // Enter or a double click: the highlighted company is selected once the screen is
        // closed, since the selection closes and reopens every table the browse shows.
        select = true;
        dialog->end(1);
    };
    s.remove = [&] { DELEMP(ctx, browse); };
    s.print = [&] { LISTEMP(ctx, browse); };
    s.exportXls = [&] { XLS_RUTA(ctx, browse); };
    s.extend = [&](ui::Dialog& d) {
        dialog = &d;
        browse = d.at(181).browse.get();
        // The registry screen has no title line and no add, delete or search buttons:
        // Insert and Delete on the list do those.
        for (int id : {172, 170, 171, 200}) d.at(id).Hidden();
    };
    ui::runMasterScreen(s);

    if (select) SELEEMP(ctx, request == kLogoRequest);
}

void EDITEMP(Context& ctx, ui::Browse* browse, bool isNew) {
    store::WorkArea& emp = ctx.store.select("emp");
    Remembered back(emp);
    if (isNew) {  // the phantom record: every field reads blank
        emp.goBottom();
        if (!emp.eof()) emp.skip(1);
    }
    std::string des = emp.text("DES"), via = emp.text("VIA"), via2 = emp.text("VIA2");
    const int desWidth = static_cast<int>(des.size()), viaWidth = static_cast<int>(via.size()),
              via2Width = static_cast<int>(via2.size());

    ui::Dialog d("DatosRuta", "CREACION DE EMPRESAS");
    d.edit(121, "Descripción", ui::bindText(des, desWidth), "@!");
    d.edit(174, "Ruta", ui::bindText(via, viaWidth)).When([isNew] { return isNew; });
    d.label(123, "Si desea utilizar las Tablas y Parametros de otra empresa indique la ruta donde se encuentran.");
    d.edit(122, "Ruta", ui::bindText(via2, via2Width));

    bool stored = false;
    d.button(175, "OK", [&] {
        if (blank(des)) {
            ui::msg("Debe ingresar una Código para que el registro se valide");
            d.end(175);
            return;
        }
        // A folder the platform cannot use would only fail at the first selection: it is
        // refused here and the form stays open to correct it.
        if (isNew) {
            if (std::string why = folderProblem(via); !why.empty()) {
                ui::alert(why);
                d.focus(174);
                return;
            }
        }
        if (!blank(via2)) {
            if (std::string why = folderProblem(via2); !why.empty()) {
                ui::alert(why);
                d.focus(122);
                return;
            }
        }
        if (isNew && !store::ADD_REC(ctx.store)) {
            d.end(175);
            return;
        }
        if (!store::REC_LOCK(ctx.store)) {
            d.end(175);
            return;
        }
        emp.put("DES", store::Value(des));
        if (isNew) emp.put("VIA", store::Value(via));
        emp.put("VIA2", store::Value(via2));
        emp.unlock();
        emp.commit();
        stored = true;
        d.end(175);
    });
    d.button(176, "Cancela").cancel = true;
    d.initialFocus(121);
    ui::run(d);

    if (!stored) back.restore();
    if (browse) browse->refresh();
}

void DELEMP(Context& ctx, ui::Browse* browse) {
    store::WorkArea& emp = ctx.store.select("emp");
    if (emp.eof()) return;
    const std::string text = "Atención:\n¿ Está seguro de querer borrar esta Empresa ?\n\n" +
                             ui::text::fromTable(emp.text("DES"));
    if (!ui::yesNo(text, "")) return;
    if (!store::REC_LOCK(ctx.store)) return;
    emp.markDeleted();
    emp.unlock();
    emp.commit();
    if (browse) browse->refresh();
}

void LISTEMP(Context& ctx, ui::Browse* browse) {
    store::WorkArea& emp = ctx.store.select("emp");
    Remembered back(emp);
    emp.goTop();
    ctx.REPORTE("utsce", "empresa", " ", " ", " ");
    ctx.store.select("emp");
    back.restore();
    if (browse) browse->refresh();
}

void XLS_RUTA(Context& ctx, ui::Browse* browse) {
    store::WorkArea& emp = ctx.store.select("emp");
    platform::Result<std::filesystem::path> file = platform::toHost("RUTAS.xls");
    platform::Status written =
        file ? output::exportTable(emp, file.value().string(),
                                   {output::fieldColumn("Empresa", "DES"), output::fieldColumn("Ruta", "VIA", 50)},
                                   ctx.openDocument)
             : file.status();
    if (!written) ui::alert(written.message());
    if (browse) browse->refresh();
}

}  // namespace app

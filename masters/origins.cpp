#include "masters/origins.h"

#include <array>

#include "app/company.h"
#include "app/month.h"
#include "output/export.h"
#include "store/store.h"
#include "ui/binding.h"
#include "ui/dialog.h"
#include "ui/keys.h"
#include "ui/patterns.h"
#include "ui/text.h"

namespace masters {

namespace {

using store::Value;

const char* const kMonthHeadings[14] = {"Apertura", "Enero",   "Febrero", "Marzo",     "Abril",
                                        "Mayo",     "Junio",   "Julio",   "Agosto",    "Setiembre",
                                        "Octubre",  "Noviembre", "Diciembre", "Cierre"};

// Control numbers of the counters NUMERO00..NUMERO13 on the origin form.
const int kCounterControls[14] = {189, 174, 179, 178, 180, 181, 182, 183, 184, 185, 186, 187, 188, 190};

bool blank(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }

std::string counterField(int m) { return app::monthField("NUMERO", app::monthCode(m)); }

// The values of an origin as the form edits them.
struct Origin {
    std::string tov = std::string(2, ' ');
    std::string origen;
    std::array<int, 14> numero{};

    void read(store::WorkArea& to) {
        tov = to.text("TOV");
        origen = to.text("ORIGEN");
        for (int m = 0; m < 14; ++m) numero[static_cast<std::size_t>(m)] = static_cast<int>(to.num(counterField(m)).toInt());
    }
};

}  // namespace

void U_TL(app::Context& ctx) {
    store::WorkArea& to = ctx.store.select("to");
    to.goTop();
    ui::MasterScreen s;
    s.title = "ORIGENES";
    s.area = &to;
    s.columns = {{"Código", [&to] { return Value(to.text("TOV")); }},
                 {"Descripción", [&to] { return Value(to.text("ORIGEN")); }}};
    for (int m = 0; m < 14; ++m) {
        std::string f = counterField(m);
        s.columns.push_back({kMonthHeadings[m], [&to, f] { return Value(to.num(f)); }, "9999", ui::Align::Right});
    }
    s.edit = [&ctx](bool isNew) { EDITTO(ctx, nullptr, isNew); };
    s.remove = [&ctx] { DELTO(ctx, nullptr); };
    s.search = [&ctx] { SEEKTO(ctx, nullptr); };
    s.print = [&ctx] { LISTTO(ctx, nullptr); };
    s.exportXls = [&ctx] { XLS_TL(ctx, nullptr); };
    ui::runMasterScreen(s);
}

void EDITTO(app::Context& ctx, ui::Browse*, bool isNew) {
    store::WorkArea& to = ctx.store.select("to");
    const std::uint32_t previous = to.recno();
    Origin before;  // what the form showed when it opened
    if (!isNew && !to.eof()) before.read(to);
    before.origen.resize(to.info(to.field("ORIGEN")).length, ' ');
    Origin v = before;

    ui::Dialog d("DatosOrigen", "MANTENIMIENTO DE ORIGENES");
    auto hasCode = [&v] { return !blank(v.tov); };
    ui::Control& code = d.edit(173, "Código", ui::bindText(v.tov, 2)).Row(0);
    if (isNew) {
        code.Valid([&] {
            if (ui::keys::lastEscape()) return true;
            return !store::F_BUSCA(ctx.store, "to", 1, Value(v.tov));
        });
    } else {
        code.When([] { return false; });
    }
    d.edit(177, "Descripción", ui::bindText(v.origen, static_cast<int>(v.origen.size()))).Row(1).When(hasCode);
    for (int m = 0; m < 14; ++m)
        d.edit(kCounterControls[m], kMonthHeadings[m], ui::bindInt(v.numero[static_cast<std::size_t>(m)], 4), "9999")
            .Row(2 + m % 7)
            .Group(m < 7 ? "1" : "2")
            .When(hasCode);
    bool accepted = false;
    ui::addAcceptCancel(d, [&] { accepted = true; });
    d.initialFocus(isNew ? 173 : 177);
    ui::run(d);

    auto back = [&] {
        if (previous > 0 && previous <= to.recCount()) to.go(previous);
        else to.goTop();
    };
    if (!accepted) {
        back();
        return;
    }
    if (blank(v.tov)) {
        ui::msg("Debe ingresar una Código para que el registro se valide");
        back();
        return;
    }
    ctx.store.select("to");
    if (isNew) {
        if (!store::ADD_REC(ctx.store)) {
            ui::alert("No se pudo agregar el origen: la tabla de orígenes está ocupada.", "ORIGENES");
            back();
            return;
        }
        to.put("TOV", Value(v.tov));
        to.put("ORIGEN", Value(v.origen));
        for (int m = 0; m < 14; ++m) to.put(counterField(m), Value(v.numero[static_cast<std::size_t>(m)]));
        to.unlock();
        return;
    }
    to.go(previous);
    if (!store::REC_LOCK(ctx.store)) {
        ui::alert("No se pudo bloquear el origen " + ui::text::fromTable(v.tov) +
                      ": otra estación lo está usando. Los cambios no se guardaron.",
                  "ORIGENES");
        return;
    }
    // Under the lock only what the user changed is written: a counter that voucher
    // entry advanced meanwhile on another workstation keeps its new value.
    if (v.origen != before.origen) to.put("ORIGEN", Value(v.origen));
    for (int m = 0; m < 14; ++m)
        if (v.numero[static_cast<std::size_t>(m)] != before.numero[static_cast<std::size_t>(m)])
            to.put(counterField(m), Value(v.numero[static_cast<std::size_t>(m)]));
    to.unlock();
}

void DELTO(app::Context& ctx, ui::Browse* browse) {
    store::WorkArea& to = ctx.store.select("to");
    if (to.eof()) return;
    std::string text = "Atención:\n¿ Está seguro de querer borrar este código ?\n\n" + ui::text::fromTable(to.text("TOV")) +
                       " " + ui::text::fromTable(to.text("ORIGEN"));
    if (!ui::yesNo(text, "")) return;
    if (!store::REC_LOCK(ctx.store)) return;
    to.markDeleted();
    to.unlock();
    to.skip(-1);
    if (to.bof()) to.goTop();
    if (browse) browse->refresh();
}

void SEEKTO(app::Context& ctx, ui::Browse*) {
    store::WorkArea& to = ctx.store.select("to");
    ui::searchPrompt(ctx.store, to, "Código", 2);
}

void LISTTO(app::Context& ctx, ui::Browse*) {
    store::WorkArea& to = ctx.store.select("to");
    const std::uint32_t keep = to.recno();
    ctx.REPORTE("taori", app::inFolder(ctx.RUTA, "zdr_to"), " ", " ", " ", app::inFolder(ctx.RUTA, "to1"));
    ctx.store.select("to");
    if (keep > 0 && keep <= to.recCount()) to.go(keep);
}

void XLS_TL(app::Context& ctx, ui::Browse*) {
    store::WorkArea& to = ctx.store.select("to");
    std::vector<output::ExportColumn> cols = {output::fieldColumn("C.", "TOV"),
                                              output::fieldColumn("Origen", "ORIGEN", 20),
                                              output::ExportColumn{"", 2, "", {}}};
    for (int m = 0; m < 14; ++m) cols.push_back(output::fieldColumn(kMonthHeadings[m], counterField(m)));
    platform::Status st = output::exportTable(to, app::host("ORIGENES.xls"), cols, ctx.openDocument);
    if (!st) ui::alert(st.message(), "ORIGENES");
}

std::vector<std::string> LLENATO(app::Context& ctx) {
    std::vector<std::string> list = {std::string(6, ' ') + "Sin Datos"};
    store::WorkArea& to = ctx.store.area("to");
    for (to.goTop(); !to.eof(); to.skip()) list.push_back(to.text("TOV") + " " + to.text("ORIGEN"));
    to.goTop();
    ctx.ARRTO = list;
    return list;
}

}  // namespace masters

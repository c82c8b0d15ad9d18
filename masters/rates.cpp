#include "masters/rates.h"

#include "app/company.h"
#include "output/export.h"
#include "store/settings.h"
#include "store/store.h"
#include "ui/binding.h"
#include "ui/dialog.h"
#include "ui/keys.h"
#include "ui/patterns.h"

namespace masters {

namespace {

using store::Value;

std::string ratePicture(const app::Context& ctx) { return ctx.CDIGITO7.empty() ? "99.999" : ctx.CDIGITO7; }

int shownDecimals(const std::string& picture) {
    std::size_t dot = picture.find('.');
    return dot == std::string::npos ? 0 : static_cast<int>(picture.size() - dot - 1);
}

void backTo(store::WorkArea& tc, std::uint32_t rec) {
    if (rec > 0 && rec <= tc.recCount()) tc.go(rec);
    else tc.goTop();
}

}  // namespace

void A_TC(app::Context& ctx) {
    store::WorkArea& tc = ctx.store.select("tc");
    tc.setOrder(1);
    tc.goTop();
    const std::string pic = ratePicture(ctx);
    ui::MasterScreen s;
    s.title = "TIPO DE CAMBIO DIARIO";
    s.area = &tc;
    s.columns = {{"Fecha", [&tc] { return Value(tc.date("FECHA").toText()); }},
                 {"Compra", [&tc] { return Value(tc.num("TC")); }, pic, ui::Align::Right},
                 {"Venta", [&tc] { return Value(tc.num("TV")); }, pic, ui::Align::Right},
                 {"", [] { return Value(" "); }, "", ui::Align::Auto, 1}};
    s.edit = [&ctx](bool isNew) { EDITTC(ctx, nullptr, isNew); };
    s.remove = [&ctx] { DELTC(ctx, nullptr); };
    s.search = [&ctx] { SEEKTC(ctx, nullptr); };
    s.print = [&ctx] { LISTTC(ctx, nullptr); };
    s.exportXls = [&ctx] { XLS_TC(ctx, nullptr); };
    ui::runMasterScreen(s);
}

void EDITTC(app::Context& ctx, ui::Browse* browse, bool isNew) {
    store::WorkArea& tc = ctx.store.select("tc");
    const std::uint32_t previous = tc.recno();
    store::Date fecha;
    store::Decimal compra, venta;
    if (!isNew && !tc.eof()) {
        fecha = tc.date("FECHA");
        compra = tc.num("TC");
        venta = tc.num("TV");
    }
    const store::Decimal compraBefore = compra, ventaBefore = venta;
    const auto& tcInfo = tc.info(tc.field("TC"));
    const int w = static_cast<int>(tcInfo.length), dec = static_cast<int>(tcInfo.decimals);
    const std::string pic = ratePicture(ctx);

    ui::Dialog d("DatosTc", "MANTENIMIENTO DE TIPO DE CAMBIO");
    ui::Control& date = d.edit(179, "Fecha", ui::bindDate(fecha)).Row(0);
    if (isNew) {
        date.Valid([&] {
            if (ui::keys::lastEscape()) return true;
            return !store::F_BUSCA(ctx.store, "tc", 1, Value(fecha));
        });
    } else {
        date.When([] { return false; });
    }
    d.edit(177, "Compra", ui::bindNum(compra, w, dec), pic).Row(1);
    d.edit(178, "Venta", ui::bindNum(venta, w, dec), pic).Row(2);
    bool accepted = false;
    ui::addAcceptCancel(d, [&] { accepted = true; });
    d.initialFocus(isNew ? 179 : 177);
    ui::run(d);

    ctx.store.select("tc");
    auto back = [&] {
        backTo(tc, previous);
        if (browse) browse->refresh();
    };
    if (!accepted) return back();
    if (fecha.isEmpty()) {
        ui::msg("Debe ingresar una Código para que el registro se valide");
        return back();
    }
    if (isNew) {
        if (!store::ADD_REC(ctx.store)) {
            ui::alert("No se pudo agregar la fecha: la tabla de tipos de cambio está ocupada.", "Atención");
            return back();
        }
        tc.put("FECHA", Value(fecha));
        tc.put("TC", Value(compra));
        tc.put("TV", Value(venta));
    } else {
        tc.go(previous);
        if (!store::REC_LOCK(ctx.store)) {
            ui::alert("No se pudo bloquear la fecha " + fecha.toText() +
                          ": otra estación la está usando. Los cambios no se guardaron.",
                      "Atención");
            return back();
        }
        // The form shows the rates with the picture's decimals only: a rate the user left as
        // shown keeps every decimal it has.
        const int shown = shownDecimals(pic);
        if (compra != compraBefore.rounded(shown)) tc.put("TC", Value(compra));
        if (venta != ventaBefore.rounded(shown)) tc.put("TV", Value(venta));
    }
    tc.unlock();
    if (browse) browse->refresh();
}

void DELTC(app::Context& ctx, ui::Browse* browse) {
    store::WorkArea& tc = ctx.store.select("tc");
    if (tc.eof()) return;
    std::string text = "Atención:\n¿ Está seguro de querer borrar esta fecha ?\n\n" + tc.date("FECHA").toText();
    if (!ui::yesNo(text, "")) return;
    if (!store::REC_LOCK(ctx.store)) return;
    tc.markDeleted();
    tc.unlock();
    tc.skip(-1);
    if (tc.bof()) tc.goTop();
    if (browse) browse->refresh();
}

void SEEKTC(app::Context& ctx, ui::Browse* browse) {
    store::WorkArea& tc = ctx.store.select("tc");
    ctx.store.settings().softSeek = true;  // stays on
    const store::Date today = ctx.store.settings().today ? ctx.store.settings().today() : store::systemToday();
    auto typed = ui::backend().input("Buscar por", "Fecha", Value(today), 10, 0, "");
    if (!typed) return;
    store::Date wanted = typed->isText() ? store::Date::fromText(typed->text()) : typed->isDate() ? typed->date() : store::Date();
    tc.seek(Value(wanted));
    if (browse) browse->refresh();
}

void LISTTC(app::Context& ctx, ui::Browse*) {
    store::WorkArea& tc = ctx.store.select("tc");
    const std::uint32_t keep = tc.recno();
    ctx.REPORTE("tatca", app::inFolder(ctx.RUTA, "zdr_tc"), " ", " ", " ", app::inFolder(ctx.RUTA, "tc1"));
    ctx.store.select("tc");
    if (keep > 0 && keep <= tc.recCount()) tc.go(keep);
}

void XLS_TC(app::Context& ctx, ui::Browse*) {
    store::WorkArea& tc = ctx.store.select("tc");
    std::vector<output::ExportColumn> cols = {output::fieldColumn("Fecha", "FECHA"),
                                              output::fieldColumn("Compra", "TC"),
                                              output::fieldColumn("Venta", "TV")};
    platform::Status st = output::exportTable(tc, app::host("TCAMBIO.xls"), cols, ctx.openDocument);
    if (!st) ui::alert(st.message(), "Atención");
}

}  // namespace masters

#include "app/month.h"

#include <array>

#include "store/store.h"
#include "ui/binding.h"
#include "ui/dialog.h"
#include "ui/patterns.h"
#include "ui/text.h"

namespace app {

std::string monthCode(int month) {
    std::string s = std::to_string(month);
    return s.size() < 2 ? "0" + s : s;
}

std::string monthField(const std::string& prefix, const std::string& code) { return prefix + code; }

std::string workingField(const Context& ctx, const std::string& prefix) { return monthField(prefix, ctx.W_MMES); }

namespace {

// VAR1 of the parameter record as the window title shows it.
std::string companyName(Context& ctx) {
    store::WorkArea* var = ctx.store.find("var");
    if (!var || !var->findField("VAR1")) return {};
    var->goTop();
    return var->eof() ? std::string() : ui::text::fromTable(var->text("VAR1"));
}

}  // namespace

void setWorkingMonth(Context& ctx, int month) {
    ctx.W_MMES = monthCode(month);
    ctx.W_MES = month;
    std::string name = NMES(ctx.W_MMES);
    if (!name.empty()) ctx.MES = name;
    if (store::WorkArea* var = ctx.store.find("var")) {
        var->goTop();
        std::string field = monthField("MES", ctx.W_MMES);
        if (!var->eof() && var->findField(field)) ctx.FLAGMES = var->text(field);
    }
}

void U_TRAB(Context& ctx) {
    int month = ctx.W_MES;
    ui::Dialog d("CambioMes", "SELECCION DEL MES A TRABAJAR");
    // The spinner's range is the field's validation: 0 to 13.
    d.spinner(173, "Mes a Trabajar", ui::bindInt(month, 2), 0, 13, "99");
    bool accepted = false;
    ui::addAcceptCancel(d, [&] { accepted = true; });
    d.initialFocus(173);
    ui::run(d);
    if (!accepted) return;
    setWorkingMonth(ctx, month);
    const std::string name = companyName(ctx);
    ctx.WTIT = "QRX 2012" + std::string(9, ' ') + name + std::string(4, ' ') + ctx.MES;
    if (ctx.mainWindow) {
        ctx.mainWindow->title = "QRX 2012" + std::string(10, ' ') + name + std::string(7, ' ') + ctx.MES;
        ui::backend().updateMainWindow(*ctx.mainWindow);
    }
}

void CierreM(Context& ctx) {
    store::WorkArea* var = ctx.store.find("var");
    if (!var) return;
    static const char* const captions[14] = {"Apertura", "Enero",  "Febrero",  "Marzo",     "Abril",
                                             "Mayo",     "Junio",  "Julio",    "Agosto",    "Setiembre",
                                             "Octubre",  "Noviembre", "Diciembre", "Cierre"};
    std::array<bool, 14> locked{};
    var->goTop();
    for (int m = 0; m < 14; ++m) {
        std::string f = monthField("MES", monthCode(m));
        locked[static_cast<std::size_t>(m)] = !var->eof() && var->findField(f) && var->text(f) == "S";
    }
    ui::Dialog d("CierreM", "BLOQUEO DE MESES A TRABAJAR");
    for (int m = 0; m < 14; ++m)
        d.check(177 + m, captions[m], ui::bindLogic(locked[static_cast<std::size_t>(m)])).Row(m % 7).Group(m < 7 ? "1" : "2");
    d.label(191, "Para que el Sistema valide los cambios, deberá salir e ingresar nuevamente a la Empresa.").Row(7);
    bool accepted = false;
    ui::addAcceptCancel(d, [&] { accepted = true; });
    ui::run(d);
    if (!accepted) return;
    ctx.store.select("var");
    var->goTop();
    if (var->eof() || !store::REC_LOCK(ctx.store)) {
        ui::alert("No se pudo bloquear el registro de parámetros de la empresa: los meses no se modificaron.",
                  "BLOQUEO DE MESES A TRABAJAR");
        return;
    }
    for (int m = 0; m < 14; ++m) {
        std::string f = monthField("MES", monthCode(m));
        if (var->findField(f)) var->put(f, store::Value(locked[static_cast<std::size_t>(m)] ? "S" : "N"));
    }
    var->unlock();
}

}  // namespace app

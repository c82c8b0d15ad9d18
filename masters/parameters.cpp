#include "masters/parameters.h"

#include <filesystem>

#include "app/company.h"
#include "app/strings.h"
#include "masters/lookups.h"
#include "platform/paths.h"
#include "store/store.h"
#include "ui/binding.h"
#include "ui/dialog.h"
#include "ui/keys.h"
#include "ui/patterns.h"
#include "ui/text.h"

namespace masters {

namespace {

using store::Decimal;
using store::Value;

constexpr double kLockWait = 5;  // seconds the screens wait for the parameter record

bool blank(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }


// The record's text in a field's full width (a missing field reads blank).
std::string fieldText(store::WorkArea& var, const char* name) {
    if (!var.findField(name)) return {};
    return var.eof() ? std::string(var.info(var.field(name)).length, ' ') : var.text(name);
}

Decimal fieldNum(store::WorkArea& var, const char* name) {
    if (var.eof() || !var.findField(name)) return Decimal();
    return var.num(name);
}

// The name of a code in a master table (order 1), blank for a blank or unknown code.
std::string nameOf(app::Context& ctx, const char* alias, const char* nameField, const std::string& code) {
    if (blank(code)) return {};
    store::WorkArea* a = ctx.store.find(alias);
    if (!a) return {};
    const std::uint32_t keep = a->recno();
    const int order = a->order();
    a->setOrder(1);
    std::string name;
    if (a->seek(Value(code), false)) name = app::alltrim(ui::text::fromTable(a->text(nameField)));
    a->setOrder(order);
    if (keep > 0 && keep <= a->recCount()) a->go(keep);
    return name;
}

// Shows the title and the picture of the open company in the main window.
void refreshMainWindow(app::Context& ctx, const std::string& screenName) {
    if (!ctx.mainWindow) return;
    ctx.mainWindow->title =
        "QRX 2012" + std::string(23, ' ') + ui::text::fromTable(screenName) + std::string(7, ' ') + ctx.MES;
    platform::Result<std::filesystem::path> picture = platform::toHost(app::companyPicture(ctx));
    ctx.mainWindow->picture = picture ? picture.value().string() : std::string();
    ui::backend().updateMainWindow(*ctx.mainWindow);
}

// The values of the account parameters screen.
struct AccountParameters {
    std::string toa, var21, var22, var23, var28, var3;
    std::string cta[8];  // CTA11 .. CTA18
    std::string origen[3];
    Decimal pigv, pimp4, pimp42;  // as percentages on the screen

    void read(store::WorkArea& var) {
        toa = fieldText(var, "TOA");
        var21 = fieldText(var, "VAR21");
        var22 = fieldText(var, "VAR22");
        var23 = fieldText(var, "VAR23");
        var28 = fieldText(var, "VAR28");
        var3 = fieldText(var, "VAR3");
        for (int i = 0; i < 8; ++i) cta[i] = fieldText(var, ("CTA1" + std::to_string(i + 1)).c_str());
        for (int i = 0; i < 3; ++i) origen[i] = fieldText(var, ("ORIGEN" + std::to_string(i + 1)).c_str());
        pigv = (fieldNum(var, "PIGV") * 100).rounded(2);
        pimp4 = (fieldNum(var, "PIMP4") * 100).rounded(2);
        pimp42 = (fieldNum(var, "PIMP42") * 100).rounded(2);
    }
    void write(store::WorkArea& var) const {
        var.put("TOA", Value(toa));
        var.put("VAR21", Value(var21));
        var.put("VAR22", Value(var22));
        var.put("VAR23", Value(var23));
        var.put("VAR28", Value(var28));
        var.put("VAR3", Value(var3));
        for (int i = 0; i < 8; ++i) var.put("CTA1" + std::to_string(i + 1), Value(cta[i]));
        for (int i = 0; i < 3; ++i) var.put("ORIGEN" + std::to_string(i + 1), Value(origen[i]));
        var.put("PIGV", Value(pigv / 100));
        var.put("PIMP4", Value(pimp4 / 100));
        var.put("PIMP42", Value(pimp42 / 100));
    }
};

int width(store::WorkArea& var, const char* name, int fallback) {
    return var.findField(name) ? static_cast<int>(var.info(var.field(name)).length) : fallback;
}

}  // namespace

void U_EMP(app::Context& ctx) {
    store::WorkArea& var = ctx.store.select("var");
    var.goTop();
    GeneralData v{fieldText(var, "VAR1"),  fieldText(var, "VAR5"),  fieldText(var, "VAR30"),
                  fieldText(var, "VAR31"), fieldText(var, "VAR32"), fieldText(var, "VAR33")};

    ui::Dialog d("DatosEmpresa", "DATOS GENERALES DE LA EMPRESA");
    d.edit(178, "Año de Trabajo", ui::bindText(v.var5, width(var, "VAR5", 4))).Row(0);
    d.edit(187, "Logo Pantalla", ui::bindText(v.var1, width(var, "VAR1", 30))).Row(1);
    d.edit(177, "1ra.  Línea de Impresión ", ui::bindText(v.var30, width(var, "VAR30", 60))).Row(2);
    d.edit(179, "2da. Línea de Impresión", ui::bindText(v.var31, width(var, "VAR31", 60))).Row(3);
    d.edit(180, "3ra.  Línea de Impresión", ui::bindText(v.var32, width(var, "VAR32", 60))).Row(4);
    d.edit(181, "4ta.  Línea de Impresión", ui::bindText(v.var33, width(var, "VAR33", 60))).Row(5);
    bool accepted = false;
    ui::addAcceptCancel(d, [&] { accepted = true; });
    d.initialFocus(178);
    ui::run(d);
    if (!accepted) return;
    if (ACTEMP(ctx, v)) {
        ctx.NOMCIA4 = v.var5;
    } else {
        ui::alert(kParametersBusy, "DATOS GENERALES DE LA EMPRESA");
    }
}

bool ACTEMP(app::Context& ctx, const GeneralData& data) {
    store::WorkArea& var = ctx.store.select("var");
    var.goTop();
    bool saved = false;
    if (!var.eof() && store::REC_LOCK(ctx.store, kLockWait)) {
        var.put("VAR1", Value(data.var1));
        var.put("VAR5", Value(data.var5));
        var.put("VAR30", Value(data.var30));
        var.put("VAR31", Value(data.var31));
        var.put("VAR32", Value(data.var32));
        var.put("VAR33", Value(data.var33));
        var.unlock();
        saved = true;
    }
    refreshMainWindow(ctx, fieldText(var, "VAR1"));
    return saved;
}

void U_PARA(app::Context& ctx) {
    store::WorkArea& var = ctx.store.select("var");
    var.goTop();
    AccountParameters v;
    v.read(var);

    // Fixed texts without a number of their own are numbered from 901.
    ui::Dialog d("DatosCuenta", "MANTENIMIENTO DE PARAMETROS DE CUENTAS");
    // A field left blank is accepted; a typed code must pass its lookup, which opens the
    // picker otherwise. The origin of automatic vouchers is never blank.
    auto account = [&](std::string& code, int field, int label, char kind, char slot) {
        return [&ctx, &d, &code, field, label, kind, slot] {
            if (ui::keys::lastEscape() || blank(code)) {
                if (label) d.setLabel(label, "");
                return true;
            }
            return HELPPLAN(ctx, code, {&d, field, label}, kind, slot);
        };
    };
    auto assistant = [&](std::string& code, int field, char slot) {
        return [&ctx, &d, &code, field, slot] {
            if (ui::keys::lastEscape() || blank(code)) return true;
            return HELPPLAN2(ctx, code, {&d, field, 0}, slot);
        };
    };
    auto origin = [&](std::string& code, int field, char slot) {
        return [&ctx, &d, &code, field, slot] {
            if (ui::keys::lastEscape() || blank(code)) return true;
            return HELPTO2(ctx, code, {&d, field, 0}, slot);
        };
    };

    d.edit(178, "Origen Automáticos", ui::bindText(v.toa, 2), "@!")
        .Row(0)
        .Valid([&] { return ui::keys::lastEscape() || HELPTO(ctx, v.toa, {&d, 178, 195}); });
    d.label(195, nameOf(ctx, "to", "ORIGEN", v.toa)).Row(0);
    d.edit(177, "Cta.Imp.Hon.", ui::bindText(v.var23, 10)).Row(1).Valid(account(v.var23, 177, 191, '2', '0'));
    d.label(191, nameOf(ctx, "plan", "NOMBRE", v.var23)).Row(1);
    d.edit(184, "", ui::bindText(v.var3, 10), "!!!!!!!!!!").Row(1);
    d.edit(180, "Cta Contable :", ui::bindText(v.cta[4], 10)).Row(1).Valid(assistant(v.cta[4], 180, '5'));
    d.edit(179, "Cta.Imp.Com.", ui::bindText(v.var21, 10)).Row(2).Valid(account(v.var21, 179, 192, '5', '1'));
    d.label(192, nameOf(ctx, "plan", "NOMBRE", v.var21)).Row(2);
    d.edit(181, "Cta.Imp.Vta.", ui::bindText(v.var22, 10)).Row(3).Valid(account(v.var22, 181, 193, '5', '2'));
    d.label(193, nameOf(ctx, "plan", "NOMBRE", v.var22)).Row(3);
    d.edit(211, "Cta.Imp.Ret.", ui::bindText(v.cta[7], 10)).Row(4).Valid(account(v.cta[7], 211, 212, '2', '3'));
    d.label(212, nameOf(ctx, "plan", "NOMBRE", v.cta[7])).Row(4);
    d.edit(182, "Resul. del Ejercicio", ui::bindText(v.var28, 10)).Row(5).Valid(account(v.var28, 182, 194, '2', '4'));
    d.label(194, nameOf(ctx, "plan", "NOMBRE", v.var28)).Row(5);
    d.edit(208, "Impuesto:", ui::bindNum(v.pigv, 5, 2), "99.99").Row(6);
    d.label(901, "%").Row(6);
    d.edit(209, "Imp.Hon.:", ui::bindNum(v.pimp4, 5, 2), "99.99").Row(7);
    d.edit(210, "", ui::bindNum(v.pimp42, 5, 2), "99.99").Row(7);
    d.label(902, "%").Row(7);

    const std::string assistants = "CUENTAS PARA LOS  ASISTENTES (MAGO)";
    d.label(903, "Compras").Row(8).Group(assistants);
    d.edit(183, "Por Pagar: Soles", ui::bindText(v.cta[0], 10)).Row(8).Group(assistants).Valid(assistant(v.cta[0], 183, '1'));
    d.edit(186, "Dólares", ui::bindText(v.cta[1], 10)).Row(8).Group(assistants).Valid(assistant(v.cta[1], 186, '2'));
    d.edit(204, "Origen", ui::bindText(v.origen[0], 2), "@!").Row(8).Group(assistants).Valid(origin(v.origen[0], 204, '1'));
    d.label(904, "Ventas").Row(9).Group(assistants);
    d.edit(185, "Por Cobrar: Soles", ui::bindText(v.cta[2], 10)).Row(9).Group(assistants).Valid(assistant(v.cta[2], 185, '3'));
    d.edit(196, "Dólares", ui::bindText(v.cta[3], 10)).Row(9).Group(assistants).Valid(assistant(v.cta[3], 196, '4'));
    d.edit(205, "Origen", ui::bindText(v.origen[1], 2), "@!").Row(9).Group(assistants).Valid(origin(v.origen[1], 205, '2'));
    d.label(905, "Honorarios").Row(10).Group(assistants);
    d.edit(197, "Por Pagar: Soles", ui::bindText(v.cta[5], 10)).Row(10).Group(assistants).Valid(assistant(v.cta[5], 197, '6'));
    d.edit(201, "Dólares", ui::bindText(v.cta[6], 10)).Row(10).Group(assistants).Valid(assistant(v.cta[6], 201, '7'));
    d.edit(206, "Origen", ui::bindText(v.origen[2], 2), "@!").Row(10).Group(assistants).Valid(origin(v.origen[2], 206, '3'));
    d.label(906, "PARA QUE LOS CAMBIOS TENGAN EFECTO SE DEBE SALIR Y RETORNAR NUEVAMENTE A LA EMPRESA").Row(11);
    bool accepted = false;
    ui::addAcceptCancel(d, [&] { accepted = true; });
    d.initialFocus(178);
    ui::run(d);
    if (!accepted) return;

    ctx.store.select("var");
    var.goTop();
    if (var.eof() || !store::REC_LOCK(ctx.store, kLockWait)) {
        ui::alert(kParametersBusy, "MANTENIMIENTO DE PARAMETROS DE CUENTAS");
        return;
    }
    // VAR91..VAR94 are not edited here: the record keeps them as they are.
    v.write(var);
    var.unlock();
}

}  // namespace masters

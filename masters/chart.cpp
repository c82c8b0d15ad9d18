#include "masters/chart.h"

#include "app/company.h"
#include "app/month.h"
#include "app/strings.h"
#include "masters/lookups.h"
#include "output/export.h"
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
using store::WorkArea;

bool blank(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }


// Debit and credit of the month codes before the working month, from the accumulators
// named debit+code and credit+code.
int previousMonths(app::Context& ctx, const char* debit, const char* credit) {
    const std::string& mm = ctx.W_MMES;
    if (mm.size() != 2 || mm[0] < '0' || mm[0] > '9' || mm[1] < '0' || mm[1] > '9') return 0;
    const int month = (mm[0] - '0') * 10 + (mm[1] - '0');
    if (month > 13) return 0;
    WorkArea& a = ctx.store.current();
    Decimal d, h;
    for (int m = 0; m < month; ++m) {
        d = d + a.num(app::monthField(debit, app::monthCode(m)));
        h = h + a.num(app::monthField(credit, app::monthCode(m)));
    }
    ctx.A_DEBE = d;
    ctx.A_HABER = h;
    return 0;
}

// A one-character field shown by a radio group: `codes` are the group's values, a stored
// value outside them shows as `fallback`.
ui::Binding radioText(std::string& v, std::vector<std::string> codes, std::string fallback) {
    return {store::Type::Char, 1, 0,
            [&v, codes, fallback] {
                for (const std::string& c : codes)
                    if (v == c) return Value(v);
                return Value(fallback);
            },
            [&v](const Value& x) {
                v = x.text();
                v.resize(1, ' ');
            }};
}

// The values of an account as the form edits them.
struct Account {
    std::string cuenta = std::string(10, ' ');
    std::string nombre, bd = " ", rnf = " ", cta = " ";
    std::string tdebe = std::string(10, ' '), thaber = std::string(10, ' ');
    bool sdS = false, sdD = false;
    std::string bctacte, bancoef, bancomo = " ";

    void read(WorkArea& plan) {
        cuenta = plan.text("CUENTA");
        nombre = plan.text("NOMBRE");
        bd = plan.text("BD");
        rnf = plan.text("RNF");
        cta = plan.text("CTA");
        tdebe = plan.text("TDEBE");
        thaber = plan.text("THABER");
        const std::string sd = plan.text("SD");
        sdS = sd == "S";
        sdD = sd == "D";
        bctacte = plan.text("BCTACTE");
        bancoef = plan.text("BANCOEF");
        bancomo = plan.text("BANCOMO");
    }
    void write(WorkArea& plan) const {
        plan.put("CUENTA", Value(cuenta));
        plan.put("NOMBRE", Value(nombre));
        plan.put("RNF", Value(rnf));
        plan.put("BD", Value(bd));
        plan.put("CTA", Value(cta));
        plan.put("TDEBE", Value(tdebe));
        plan.put("THABER", Value(thaber));
        plan.put("SD", Value(std::string(sdS ? "S" : sdD ? "D" : " ")));
        plan.put("BCTACTE", Value(bctacte));
        plan.put("BANCOEF", Value(bancoef));
        plan.put("BANCOMO", Value(bancomo));
    }
};

// The name of an account, or "" when it is not in the chart; `plan` comes back to its record.
std::string accountName(WorkArea& plan, const std::string& code) {
    if (blank(code)) return {};
    const std::uint32_t keep = plan.recno();
    std::string name = plan.seek(Value(code), false) ? app::rtrim(plan.text("NOMBRE")) : std::string();
    plan.go(keep);
    return name;
}

// Any movement left on the account: an accumulator of any month code, local or dollar,
// or a voucher line on its code.
bool hasMovement(app::Context& ctx, WorkArea& plan) {
    for (const char* prefix : {"DEBE", "HABER", "DEBED", "HABERD"})
        for (int m = 0; m <= 13; ++m)
            if (!plan.num(app::monthField(prefix, app::monthCode(m))).isZero()) return true;
    WorkArea* vou = ctx.store.find("vou");
    if (!vou) return false;
    const int order = vou->order();
    const std::uint32_t keep = vou->recno();
    vou->setOrder(3);  // v3: cuenta
    const bool used = vou->seek(Value(plan.text("CUENTA")), false);
    vou->setOrder(order);
    vou->go(keep);
    return used;
}

}  // namespace

std::string levelLetter(const std::string& bd) { return bd == "1" ? "B" : bd == "2" ? "S" : "R"; }

int CALCULO(app::Context& ctx) { return previousMonths(ctx, "DEBE", "HABER"); }

int CALCULOD(app::Context& ctx) { return previousMonths(ctx, "DEBED", "HABERD"); }

void A_PLAN(app::Context& ctx) {
    WorkArea& plan = ctx.store.select("plan");
    plan.setOrder(1);
    plan.goTop();
    ui::MasterScreen s;
    s.title = "PLAN DE CUENTAS";
    s.area = &plan;
    auto field = [&plan](const char* name) { return [&plan, name] { return Value(plan.text(name)); }; };
    s.columns = {{"Cuenta", field("CUENTA")},
                 {"Nombre de la Cuenta", field("NOMBRE")},
                 {"N", [&plan] { return Value(levelLetter(plan.text("BD"))); }},
                 {"T", field("RNF")},
                 {"A", field("CTA")},
                 {"AMARRE DEBE", field("TDEBE")},
                 {"AMARRE HABER", field("THABER")},
                 {"M.E.", field("SD")}};
    s.edit = [&ctx](bool isNew) { EDITPLAN(ctx, nullptr, isNew); };
    s.remove = [&ctx] { DELPLAN(ctx, nullptr); };
    s.search = [&ctx] { SEEKPLAN(ctx, nullptr); };
    s.print = [&ctx] { LISTPLAN(ctx, nullptr); };
    s.exportXls = [&ctx] { XLS_PLAN(ctx, nullptr); };
    ui::runMasterScreen(s);
}

void EDITPLAN(app::Context& ctx, ui::Browse*, bool isNew) {
    WorkArea& plan = ctx.store.select("plan");
    const std::uint32_t previous = plan.recno();
    if (isNew) plan.go(plan.recCount() + 1);  // the phantom record: every field blank
    Account v;
    v.read(plan);
    v.nombre.resize(plan.info(plan.field("NOMBRE")).length, ' ');
    v.bctacte.resize(plan.info(plan.field("BCTACTE")).length, ' ');
    v.bancoef.resize(plan.info(plan.field("BANCOEF")).length, ' ');
    const std::string debeName = accountName(plan, v.tdebe), haberName = accountName(plan, v.thaber);
    auto back = [&] { ctx.store.select("plan").go(previous); };
    back();

    ui::Dialog d("DatosPlan", "MANTENIMIENTO PLAN DE CUENTAS");
    auto hasCode = [&v] { return !blank(v.cuenta); };
    auto posting = [&v] { return v.bd == "3"; };
    ui::Control& code = d.edit(173, "Cuenta Contable", ui::bindText(v.cuenta, 10)).Row(0);
    if (isNew) {
        code.Valid([&] {
            if (ui::keys::lastEscape()) return true;
            return F_BUSCACTA(ctx, "plan", 1, v.cuenta);
        });
    } else {
        code.When([] { return false; });
    }
    d.edit(177, "", ui::bindText(v.nombre, static_cast<int>(v.nombre.size())))
        .Row(0)
        .When(hasCode)
        .Valid([&v] { return !blank(v.nombre.substr(0, 30)); });
    d.radio(300, "Nivel de Cuenta",
            {{191, "Balance", Value("1")}, {192, "Sub-Cuenta", Value("2")}, {193, "Registro", Value("3")}},
            radioText(v.bd, {"1", "2", "3"}, "1"))
        .Group("Nivel de Cuenta")
        .When(hasCode);
    d.radio(301, "Tipo de Cuenta",
            {{185, "Activo", Value("A")},
             {186, "Pasivo", Value("P")},
             {187, "Resultado", Value("R")},
             {188, "Naturaleza", Value("N")},
             {189, "Función", Value("F")},
             {190, "Orden", Value("O")},
             {120, "Mayor", Value(" ")}},
            radioText(v.rnf, {"A", "P", "R", "N", "F", "O", " "}, " "))
        .Group("Tipo de Cuenta")
        .When(hasCode);
    d.radio(302, "Tipo de Análisis",
            {{180, "Sin Análisis", Value(" ")},
             {181, "Sólo Detalle", Value("D")},
             {182, "Cuenta de Banco", Value("B")},
             {183, "Por Documentos", Value("S")}},
            radioText(v.cta, {" ", "D", "B", "S"}, " "))
        .Group("Tipo de Análisis")
        .When(posting);
    // A destination account: blank, or a posting account the account lookup accepts.
    auto destination = [&](std::string& value, int field, int label, char slot) {
        return [&ctx, &d, &value, field, label, slot] {
            if (blank(value)) {
                d.setLabel(label, "");
                return true;
            }
            return HELPPLAN(ctx, value, LookupView{&d, field, label}, '2', slot);
        };
    };
    d.edit(178, "Cuenta para Amarre al Debe", ui::bindText(v.tdebe, 10))
        .Row(4)
        .When(posting)
        .Valid(destination(v.tdebe, 178, 124, '1'));
    d.label(124, ui::text::fromTable(debeName)).Row(4);
    d.edit(123, "Cuenta para Amarre al Haber", ui::bindText(v.thaber, 10))
        .Row(5)
        .When(posting)
        .Valid(destination(v.thaber, 123, 125, '2'));
    d.label(125, ui::text::fromTable(haberName)).Row(5);
    d.check(121, "Ajuste por Diferencia de Cambio, a nivel de saldos, para cuentas en Dólares", ui::bindLogic(v.sdS))
        .Row(6)
        .When([&v] { return v.bd == "3" && !v.sdD; });
    d.check(122, "Conversión a Moneda Extranjera, a nivel de saldos, para cuentas en Soles", ui::bindLogic(v.sdD))
        .Row(7)
        .When([&v] { return v.bd == "3" && !v.sdS; });
    d.edit(126, "Cod.Ent.Financiera:", ui::bindText(v.bancoef, static_cast<int>(v.bancoef.size())))
        .Row(8)
        .When(hasCode);
    d.edit(127, "Moneda:", ui::bindText(v.bancomo, 1))
        .Row(8)
        .When(hasCode)
        .Valid([&v] { return v.bancomo == " " || v.bancomo == "1" || v.bancomo == "2" || v.bancomo == "9"; });
    d.edit(128, "Numero de Cuenta:", ui::bindText(v.bctacte, static_cast<int>(v.bctacte.size())))
        .Row(9)
        .When(hasCode);
    bool accepted = false;
    ui::addAcceptCancel(d, [&] { accepted = true; });
    d.initialFocus(isNew ? 173 : 177);
    ui::run(d);

    if (!accepted) {
        back();
        return;
    }
    if (blank(v.cuenta)) {
        ui::msg("Debe ingresar una Cuenta para que el registro se valide");
        back();
        return;
    }
    ctx.store.select("plan");
    if (isNew) {
        if (!store::ADD_REC(ctx.store)) {
            ui::alert("No se pudo agregar la cuenta: el plan de cuentas está ocupado.", "PLAN DE CUENTAS");
            back();
            return;
        }
    } else {
        plan.go(previous);
        if (!store::REC_LOCK(ctx.store, 0)) return;
    }
    v.write(plan);
    plan.unlock();
}

bool F_BUSCACTA(app::Context& ctx, const std::string& alias, int order, const std::string& key) {
    store::Store& st = ctx.store;
    std::string callerAlias;
    int callerOrder = 0;
    std::uint32_t callerRecord = 0;
    if (st.hasCurrent()) {
        callerAlias = st.current().alias();
        callerOrder = st.current().order();
        callerRecord = st.current().recno();
    }
    WorkArea& a = st.select(alias);
    a.setOrder(order);
    const bool found = a.seek(Value(key));
    if (!callerAlias.empty()) {
        WorkArea& c = st.select(callerAlias);
        c.setOrder(callerOrder);
        c.go(callerRecord);
    }
    if (found) ui::alert("Cuenta Repetida", "Atencion");
    return !found;
}

void DELPLAN(app::Context& ctx, ui::Browse* browse) {
    WorkArea& plan = ctx.store.select("plan");
    if (plan.eof()) return;
    std::string text = "Atención:\n¿ Está seguro de querer borrar esta cuenta ?\n\n" +
                       ui::text::fromTable(plan.text("CUENTA")) + " " + ui::text::fromTable(plan.text("NOMBRE"));
    if (!ui::yesNo(text, "")) return;
    if (hasMovement(ctx, plan)) {
        ui::stop("Esta cuenta tiene movimiento", "Atención");
        return;
    }
    if (!store::REC_LOCK(ctx.store, 0)) return;
    plan.markDeleted();
    plan.unlock();
    plan.skip(-1);
    if (plan.bof()) plan.goTop();
    if (browse) browse->refresh();
}

void SEEKPLAN(app::Context& ctx, ui::Browse*) {
    WorkArea& plan = ctx.store.select("plan");
    ui::searchPrompt(ctx.store, plan, "Cuenta", 10);
}

void LISTPLAN(app::Context& ctx, ui::Browse*) {
    WorkArea& plan = ctx.store.select("plan");
    const std::uint32_t keep = plan.recno();
    plan.goTop();
    ctx.REPORTE("tapla", app::inFolder(ctx.RUTA, "zdr_plan"), " ", " ", " ", app::inFolder(ctx.RUTA, "plan1"));
    ctx.store.select("plan").go(keep);
}

void XLS_PLAN(app::Context& ctx, ui::Browse*) {
    WorkArea& plan = ctx.store.select("plan");
    std::vector<output::ExportColumn> cols = {
        output::fieldColumn("Cuenta", "CUENTA"),
        output::fieldColumn("Nombre", "NOMBRE", 40),
        output::ExportColumn{"N", 0, "",
                             [](WorkArea& a) -> std::optional<Value> { return Value(levelLetter(a.text("BD"))); }},
        output::fieldColumn("T", "RNF"),
        output::fieldColumn("A", "CTA"),
        output::fieldColumn("Amarre Debe", "TDEBE"),
        output::fieldColumn("Amarre Haber", "THABER"),
        output::fieldColumn("M.E.", "SD")};
    platform::Status st = output::exportTable(plan, app::host("PLANCTA.xls"), cols, ctx.openDocument);
    if (!st) ui::alert(st.message(), "PLAN DE CUENTAS");
}

}  // namespace masters

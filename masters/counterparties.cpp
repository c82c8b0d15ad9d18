#include "masters/counterparties.h"

#include <cctype>

#include "app/company.h"
#include "app/strings.h"
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

const char* const kIdentityLabels[6] = {"- Otros      ", "0 Otro Tipos ", "1 DNI        ",
                                        "4 Carnet Ext.", "6 RUC        ", "7 Pasaporte  "};
// The edit fields of the nine type names below the browse.
const int kTypeNameControls[9] = {172, 173, 174, 175, 176, 177, 178, 179, 182};

bool blank(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }


std::string varField(int n) { return "VAR7" + std::to_string(n); }

// The fields the form edits, as wide as the table holds them.
struct Counterparty {
    std::string rut, rs, codigo, nom1, nom2, ape1, ape2, fono, di, aten, tipo, tdoc;

    void read(store::WorkArea& pc) {
        for (auto [v, f] : fields()) *v = pc.text(f);
    }
    void fit(store::WorkArea& pc) {
        for (auto [v, f] : fields()) v->resize(pc.info(pc.field(f)).length, ' ');
    }
    std::vector<std::pair<std::string*, const char*>> fields() {
        return {{&rut, "RUT"},   {&rs, "RS"},   {&codigo, "CODIGO"}, {&nom1, "NOM1"}, {&nom2, "NOM2"},
                {&ape1, "APE1"}, {&ape2, "APE2"}, {&fono, "FONO"},   {&di, "DI"},     {&aten, "ATEN"},
                {&tipo, "TIPO"}, {&tdoc, "TDOC"}};
    }
};

int width(const std::string& s) { return static_cast<int>(s.size()); }

std::string joinedNames(store::WorkArea& pc) {
    std::string out;
    for (const char* f : {"NOM1", "NOM2", "APE1", "APE2"}) {
        std::string part = app::alltrim(pc.text(f));
        if (part.empty()) continue;
        if (!out.empty()) out += ' ';
        out += part;
    }
    return out;
}

void backTo(store::WorkArea& pc, std::uint32_t rec) {
    if (rec > 0 && rec <= pc.recCount()) pc.go(rec);
    else pc.goTop();
}

}  // namespace

std::string identityLabel(const std::string& tdoc) {
    const char c = tdoc.empty() ? ' ' : tdoc[0];
    for (const char* label : kIdentityLabels)
        if (label[0] == c && c != '0') return label;
    return kIdentityLabels[1];
}

std::string typeName(const app::Context& ctx, const std::string& tipo, int fallback) {
    if (tipo.size() >= 1 && tipo[0] >= '1' && tipo[0] <= '9' && app::alltrim(tipo).size() == 1)
        return ctx.VARC[static_cast<std::size_t>(tipo[0] - '1')];
    return ctx.VARC[static_cast<std::size_t>(fallback - 1)];
}

bool rucCheckDigitOk(const std::string& ruc) {
    if (ruc.size() != 11) return false;
    for (char c : ruc)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    static const int kWeights[10] = {5, 4, 3, 2, 7, 6, 5, 4, 3, 2};
    int sum = 0;
    for (int i = 0; i < 10; ++i) sum += (ruc[static_cast<std::size_t>(i)] - '0') * kWeights[i];
    int check = 11 - sum % 11;
    if (check == 10) check = 0;
    if (check == 11) check = 1;
    return ruc[10] - '0' == check;
}

std::string identityProblem(const std::string& tdoc, const std::string& number) {
    const std::string n = app::alltrim(number);
    if (n.empty() || tdoc.empty()) return {};
    bool digits = true;
    for (char c : n) digits = digits && std::isdigit(static_cast<unsigned char>(c));
    if (tdoc[0] == '6') {
        if (!digits || n.size() != 11) return "El RUC " + n + " no es válido: debe tener 11 dígitos.";
        if (!rucCheckDigitOk(n)) return "El RUC " + n + " no es válido: su dígito verificador no corresponde.";
    } else if (tdoc[0] == '1') {
        if (!digits || n.size() != 8) return "El DNI " + n + " no es válido: debe tener 8 dígitos.";
    }
    return {};
}

void A_PRO(app::Context& ctx) {
    store::WorkArea& var = ctx.store.area("var");
    std::array<std::string, 9> names;
    for (int n = 1; n <= 9; ++n) {
        names[static_cast<std::size_t>(n - 1)] = var.text(varField(n));
    }
    ctx.W_OP = 1;
    store::WorkArea& pc = ctx.store.select("pc");
    pc.goTop();
    ui::MasterScreen s;
    s.dialog = "ArchivoPC";
    s.title = "PROVEEDORES / CLIENTES /...";
    s.area = &pc;
    s.columns = {{"Código", [&pc] { return Value(pc.text("RUT")); }},
                 {"Cod.Tributario", [&pc] { return Value(pc.text("CODIGO")); }},
                 {"Razón Social", [&pc] { return Value(pc.text("RS")); }},
                 {"Nombre", [&pc] { return Value(joinedNames(pc)); }},
                 {"Tipo", [&ctx, &pc] { return Value(typeName(ctx, pc.text("TIPO"), 1)); }},
                 {"Dirección", [&pc] { return Value(pc.text("DI")); }},
                 {"Teléfono", [&pc] { return Value(pc.text("FONO")); }},
                 {"Atención", [&pc] { return Value(pc.text("ATEN")); }}};
    s.edit = [&ctx](bool isNew) { EDITPC(ctx, nullptr, isNew); };
    s.remove = [&ctx] { DELPC(ctx, nullptr); };
    s.search = [&ctx] { SEEKPC(ctx, nullptr); };
    s.print = [&ctx] { LISTPC(ctx, nullptr); };
    s.exportXls = [&ctx] { XLS_PC(ctx, nullptr); };
    s.extend = [&ctx, &names](ui::Dialog& d) {
        // On this dialog 172 is the name of type 1, not the screen's heading: the heading is
        // an unnumbered text.
        d.label(0, d.at(172).label);
        {
            ui::Control& first = d.at(172);
            first.kind = ui::ControlKind::Edit;
            first.label.clear();
            first.value = ui::bindText(names[0], width(names[0]));
            first.Row(1).Group("Tipos");
        }
        for (int n = 1; n < 9; ++n) {
            std::string& name = names[static_cast<std::size_t>(n)];
            d.edit(kTypeNameControls[n], "", ui::bindText(name, width(name))).Row(1 + n / 5).Group("Tipos");
        }
        d.button(125, "", [&ctx, &names] { CAMPC(ctx, names); }).icon = "pencil";
    };
    ui::runMasterScreen(s);
}

void CAMPC(app::Context& ctx, const std::array<std::string, 9>& names) {
    store::WorkArea& var = ctx.store.select("var");
    if (var.eof()) var.goTop();
    if (store::REC_LOCK(ctx.store)) {
        for (int n = 1; n <= 9; ++n) var.put(varField(n), Value(names[static_cast<std::size_t>(n - 1)]));
        // The parameter record is released at once: other stations edit it too.
        var.unlock();
    } else {
        ui::alert("No se pudieron grabar los tipos: otra estación está usando los parámetros de la empresa.",
                  "Atención");
    }
    ctx.store.select("pc");
}

void EDITPC(app::Context& ctx, ui::Browse* browse, bool isNew) {
    store::WorkArea& pc = ctx.store.select("pc");
    const std::uint32_t previous = pc.recno();
    Counterparty v;
    if (!isNew && !pc.eof()) v.read(pc);
    v.fit(pc);

    // The combo boxes are bound by position (1-based).
    std::vector<std::string> docItems(std::begin(kIdentityLabels), std::end(kIdentityLabels));
    int docChoice = 2;  // "0 Otro Tipos "
    const std::string shownLabel = identityLabel(v.tdoc);
    for (std::size_t i = 0; i < docItems.size(); ++i)
        if (docItems[i] == shownLabel) docChoice = static_cast<int>(i) + 1;
    std::vector<std::string> typeItems;
    for (const std::string& name : ctx.VARC) typeItems.push_back(ui::text::fromTable(name));
    int typeChoice = 1;
    const std::string shownType = typeName(ctx, v.tipo, 1);
    for (std::size_t i = 0; i < 9; ++i)
        if (ctx.VARC[i] == shownType) {
            typeChoice = static_cast<int>(i) + 1;
            break;
        }

    ui::Dialog d("DatosPc", "MANTENIMIENTO DE PROVEEDORES / CLIENTES / ...");
    auto hasCode = [&v] { return !blank(v.rut); };
    ui::Control& code = d.edit(173, "Código", ui::bindText(v.rut, width(v.rut))).Row(0);
    if (isNew) {
        code.Valid([&] {
            if (ui::keys::lastEscape()) return true;
            return !store::F_BUSCA(ctx.store, "pc", 1, Value(v.rut));
        });
    } else {
        code.When([] { return false; });
    }
    d.edit(177, "Razón Social", ui::bindText(v.rs, width(v.rs))).Row(1).When(hasCode);
    d.edit(178, "Cod.Tributario", ui::bindText(v.codigo, width(v.codigo))).Row(2).When(hasCode);
    d.combo(193, "Tipo", docItems, ui::bindInt(docChoice, 1)).Row(2).When(hasCode);
    d.edit(189, "Nombre", ui::bindText(v.nom1, width(v.nom1))).Row(3).When(hasCode);
    d.edit(190, "", ui::bindText(v.nom2, width(v.nom2))).Row(3).When(hasCode);
    d.edit(191, "Apellido", ui::bindText(v.ape1, width(v.ape1))).Row(4).When(hasCode);
    d.edit(192, "", ui::bindText(v.ape2, width(v.ape2))).Row(4).When(hasCode);
    d.edit(182, "Teléfono", ui::bindText(v.fono, width(v.fono))).Row(5).When(hasCode);
    d.combo(180, "Tipo", typeItems, ui::bindInt(typeChoice, 1)).Row(5).When(hasCode);
    d.edit(179, "Dirección", ui::bindText(v.di, width(v.di))).Row(6).When(hasCode);
    d.edit(174, "Atención", ui::bindText(v.aten, width(v.aten))).Row(7).When(hasCode);

    auto chosenDoc = [&] {
        return docChoice >= 1 && docChoice <= 6 ? std::string(1, kIdentityLabels[docChoice - 1][0]) : std::string("0");
    };
    bool accepted = false;
    d.button(175, "OK", [&] {
        // A RUC or DNI that cannot be right is pointed out before it is stored; the user may
        // still keep it (foreign or provisional numbers).
        if (!blank(v.rut)) {
            std::string problem = identityProblem(chosenDoc(), v.codigo);
            if (!problem.empty() && !ui::yesNo(problem + "\n\n¿Desea grabarlo de todas formas?", "Atención", false)) {
                d.focus(178);
                return;
            }
        }
        accepted = true;
        d.end(175);
    });
    d.button(176, "Cancela").cancel = true;
    d.initialFocus(isNew ? 173 : 177);
    ui::run(d);

    ctx.store.select("pc");
    if (!accepted) {
        backTo(pc, previous);
        if (browse) browse->refresh();
        return;
    }
    if (blank(v.rut)) {
        ui::msg("Debe ingresar una Código para que el registro se valide");
        backTo(pc, previous);
        if (browse) browse->refresh();
        return;
    }
    // TIPO: the first type with the chosen name (1 to 8), otherwise 9.
    std::string tipo = "9";
    if (typeChoice >= 1 && typeChoice <= 9) {
        const std::string& chosen = ctx.VARC[static_cast<std::size_t>(typeChoice - 1)];
        for (int n = 0; n < 8; ++n)
            if (ctx.VARC[static_cast<std::size_t>(n)] == chosen) {
                tipo = std::to_string(n + 1);
                break;
            }
    }
    if (isNew) {
        if (!store::ADD_REC(ctx.store)) {
            ui::alert("No se pudo agregar el código: la tabla de proveedores / clientes está ocupada.", "Atención");
            backTo(pc, previous);
            if (browse) browse->refresh();
            return;
        }
    } else {
        pc.go(previous);
        if (!store::REC_LOCK(ctx.store)) {
            ui::alert("No se pudo bloquear el código " + ui::text::fromTable(app::alltrim(v.rut)) +
                          ": otra estación lo está usando. Los cambios no se guardaron.",
                      "Atención");
            if (browse) browse->refresh();
            return;
        }
    }
    pc.put("RUT", Value(v.rut));
    pc.put("RS", Value(v.rs));
    pc.put("NOM1", Value(v.nom1));
    pc.put("NOM2", Value(v.nom2));
    pc.put("APE1", Value(v.ape1));
    pc.put("APE2", Value(v.ape2));
    pc.put("TIPO", Value(tipo));
    pc.put("DI", Value(v.di));
    pc.put("FONO", Value(v.fono));
    pc.put("CODIGO", Value(v.codigo));
    pc.put("ATEN", Value(v.aten));
    pc.put("TDOC", Value(chosenDoc()));
    pc.unlock();
    if (browse) browse->refresh();
}

void DELPC(app::Context& ctx, ui::Browse* browse) {
    store::WorkArea& pc = ctx.store.select("pc");
    if (pc.eof()) return;
    const std::string rut = pc.text("RUT");
    std::string text = "Atención:\n¿ Está seguro de querer borrar este código ?\n\n" + ui::text::fromTable(rut) + " " +
                       ui::text::fromTable(pc.text("RS"));
    if (!ui::yesNo(text, "")) return;
    store::WorkArea& vou = ctx.store.select("vou");
    vou.setOrder(4);
    if (vou.seek(Value(rut), false)) {
        ui::stop("Esta código tiene movimiento", "Atención");
        ctx.store.select("pc");
        return;
    }
    ctx.store.select("pc");
    if (!store::REC_LOCK(ctx.store)) return;
    pc.markDeleted();
    pc.unlock();
    pc.skip(-1);
    if (pc.bof()) pc.goTop();
    if (browse) browse->refresh();
}

void SEEKPC(app::Context& ctx, ui::Browse* browse) {
    store::WorkArea& pc = ctx.store.select("pc");
    ctx.store.settings().softSeek = true;
    if (ui::yesNo("Por Código", "Orden de Busqueda")) {
        pc.setOrder(1);
        ui::searchPrompt(ctx.store, pc, "Código", 11);
    } else {
        pc.setOrder(2);
        ui::searchPrompt(ctx.store, pc, "R.Social", 30, true);
    }
    if (browse) browse->refresh();
}

void TIPOPC(app::Context& ctx) {
    std::vector<std::string> items;
    for (const std::string& name : ctx.VARC) items.push_back(ui::text::fromTable(name));
    items.push_back("Todos");
    int choice = ctx.W_OP >= 1 && ctx.W_OP <= 10 ? ctx.W_OP : 1;
    ui::Dialog d("TIPOpc", "SELECCION DE IMPRESION");
    d.combo(174, "Tipo de Codigo", items, ui::bindInt(choice, 2));
    d.button(175, "OK", [&] {
        ctx.W_OP = choice;
        d.end(175);
    });
    ui::run(d);
}

void LISTPC(app::Context& ctx, ui::Browse*) {
    TIPOPC(ctx);
    store::WorkArea& pc = ctx.store.select("pc");
    const std::uint32_t keep = pc.recno();
    const std::string workPath = app::inFolder(ctx.TMPRUTA, "tmpctac");
    store::WorkArea* work = ctx.store.use(app::host(workPath), "tmpctac", false);
    if (!work) {
        ui::alert("No se pudo abrir la tabla de trabajo tmpctac: " + ctx.store.netErrMessage(), "Atención");
        ctx.store.select("pc");
        return;
    }
    work->zap();
    for (pc.goTop(); !pc.eof(); pc.skip()) {
        const std::string tipo = pc.text("TIPO");
        if (ctx.W_OP != 10 && (app::alltrim(tipo).size() != 1 || tipo[0] - '0' != ctx.W_OP)) continue;
        if (!work->appendBlank()) continue;
        for (const char* f : {"RUT", "RS", "NOM1", "NOM2", "APE1", "APE2", "DI", "FONO", "CODIGO", "ATEN", "ARUT",
                              "ARS", "ADI", "AFONO", "VEND"})
            work->put(f, Value(pc.text(f)));
        work->put("TIPO", Value(typeName(ctx, tipo, 9)));
        work->put("DCRED", Value(pc.text("CIUDAD").substr(0, 2)));
        work->put("TDOC", Value(identityLabel(pc.text("TDOC"))));
    }
    ctx.store.close("tmpctac");
    ctx.REPORTE("tapro", workPath, " ", " ", " ");
    store::WorkArea& back = ctx.store.select("pc");
    backTo(back, keep);
}

void XLS_PC(app::Context& ctx, ui::Browse*) {
    store::WorkArea& pc = ctx.store.select("pc");
    auto textOf = [](std::string s) { return std::optional<Value>(Value(std::move(s))); };
    std::vector<output::ExportColumn> cols = {
        output::fieldColumn("Codigo", "RUT"),
        output::fieldColumn("Cod.Trib", "CODIGO"),
        output::fieldColumn("Razon Social", "RS", 40),
        output::ExportColumn{"Tipo", 0, "",
                             [&ctx, textOf](store::WorkArea& a) { return textOf(typeName(ctx, a.text("TIPO"), 1)); }},
        output::fieldColumn("Atencion", "ATEN"),
        output::fieldColumn("Direccion", "DI"),
        output::fieldColumn("Telefono", "FONO")};
    platform::Status st = output::exportTable(pc, app::host("PROVCLI.xls"), cols, ctx.openDocument);
    if (!st) ui::alert(st.message(), "Atención");
}

}  // namespace masters

#include "masters/lookups.h"

#include <cctype>
#include <functional>
#include <vector>

#include "app/company.h"
#include "app/strings.h"
#include "masters/counterparties.h"
#include "store/store.h"
#include "ui/patterns.h"
#include "ui/text.h"

namespace masters {

namespace {

using store::Value;
using store::WorkArea;


bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The caller's table, order and record, put back when the lookup ends.
struct Position {
    std::string alias;
    int order = 0;
    std::uint32_t recno = 0;

    static Position of(store::Store& st) {
        Position p;
        if (!st.hasCurrent()) return p;
        WorkArea& a = st.current();
        p.alias = a.alias();
        p.order = a.order();
        p.recno = a.recno();
        return p;
    }
    void restore(store::Store& st) const {
        if (alias.empty() || !st.find(alias)) return;
        WorkArea& a = st.select(alias);
        a.setOrder(order);
        a.go(recno);
    }
};

// A work-table field of a picker, copied from the master field of the same name.
struct PickField {
    const char* name;
    int width;
};

// One member of the family: where it seeks, when it accepts, what its picker lists
// and what it writes.
struct Member {
    const char* alias;  // master table
    int order = 1;      // order sought
    // The code as it is sought (default: as typed).
    std::function<std::string(const std::string& typed)> key;
    // True when the found record is acceptable.
    std::function<bool(WorkArea& master)> accepts;
    // The picker's work table, its fields and the rows it takes from the master.
    const char* table;
    std::vector<PickField> fields;
    std::function<bool(WorkArea& master)> lists;
    // Index of the picker: key expression and file (in the work folder unless inStart).
    std::string indexKey;
    const char* indexFile;
    bool indexInStart = false;
    std::vector<std::pair<const char*, const char*>> columns;  // heading, work-table field
    int maxSearchKey = 122;
    // Writes the member's globals from a row (the found master record or the picked
    // work-table row, whose fields carry the same names). `picked` tells which.
    std::function<void(WorkArea& row, bool picked)> take;
    // The name the label shows after a take ("" leaves it).
    std::function<std::string()> name;
    bool restoreCaller = true;
};

void showName(const LookupView& view, const std::string& name) {
    if (view.dialog && view.label) view.dialog->setLabel(view.label, ui::text::fromTable(app::alltrim(name)));
}

void showCode(const LookupView& view) {
    if (view.dialog && view.field && view.dialog->find(view.field)) view.dialog->refresh(view.field);
}

std::string workPath(app::Context& ctx, const char* name) { return app::host(app::inFolder(ctx.TMPRUTA, name)); }

// Builds the picker's work table from the master, shows it and closes it. True when a
// row was taken.
bool pick(app::Context& ctx, const Member& m, WorkArea& master, const std::function<void(WorkArea&)>& onTake) {
    std::vector<store::FieldDef> defs;
    for (const PickField& f : m.fields) defs.push_back({f.name, store::Type::Char, f.width, 0});
    const std::string path = workPath(ctx, m.table);
    store::Store::createTable(path, defs);
    WorkArea* tmp = ctx.store.use(path, m.table, false);
    if (!tmp) return false;
    std::vector<store::Field> from, to;
    for (const PickField& f : m.fields) {
        from.push_back(master.field(f.name));
        to.push_back(tmp->field(f.name));
    }
    master.setOrder(m.order);
    master.forEach(
        [&] {
            tmp->appendBlank();
            for (std::size_t i = 0; i < from.size(); ++i) {
                std::string v(master.text(from[i]));
                v.resize(static_cast<std::size_t>(m.fields[i].width), ' ');
                tmp->put(to[i], Value(v));
            }
        },
        [&] { return m.lists(master); });
    const std::string index = m.indexInStart ? app::host(m.indexFile) : workPath(ctx, m.indexFile);
    tmp->createIndex(index, m.indexKey);
    tmp->goTop();

    ui::Picker p;
    p.area = tmp;
    p.maxSearchKey = m.maxSearchKey;
    for (const auto& [heading, field] : m.columns) {
        store::Field f = tmp->field(field);
        p.columns.push_back({heading, [tmp, f] { return Value(std::string(tmp->text(f))); }, "", ui::Align::Auto, 0});
    }
    p.take = [&] { onTake(*tmp); };
    LookupGlobals& g = lookupGlobals(ctx);
    g.CADENA.clear();
    bool taken = ui::runPicker(p);
    ctx.store.close(m.table);
    return taken;
}

// Steps common to every member: seek, accept, or show the picker.
bool lookup(app::Context& ctx, std::string& code, const LookupView& view, const Member& m) {
    LookupGlobals& g = lookupGlobals(ctx);
    const Position caller = Position::of(ctx.store);
    g.CADENA.clear();
    g.WWCTA = app::alltrim(code);
    g.WLARGO = static_cast<int>(g.WWCTA.size());

    WorkArea& master = ctx.store.select(m.alias);
    master.setOrder(m.order);
    const std::string key = m.key ? m.key(code) : code;
    if (master.seek(Value(key)) && m.accepts(master)) {
        m.take(master, false);
        if (m.name) showName(view, m.name());
        if (m.restoreCaller) caller.restore(ctx.store);
        return true;
    }
    bool taken = pick(ctx, m, master, [&](WorkArea& row) {
        m.take(row, true);
        code = std::string(row.text(row.field(m.fields.front().name)));
        if (m.name) showName(view, m.name());
    });
    if (taken) showCode(view);
    if (m.restoreCaller) caller.restore(ctx.store);
    return false;
}

std::string& planCode(LookupGlobals& g, char slot) {
    int i = slot >= '0' && slot <= '3' ? slot - '0' : 4;
    return g.W_PLAN[static_cast<std::size_t>(i)];
}
std::string& planName(LookupGlobals& g, char slot) {
    int i = slot >= '0' && slot <= '3' ? slot - '0' : 4;
    return g.P_TEXTO[static_cast<std::size_t>(i)];
}

const std::vector<PickField> kAccountFields = {{"CUENTA", 10}, {"NOMBRE", 30}, {"RNF", 1}};
const std::vector<std::pair<const char*, const char*>> kAccountColumns = {
    {"Cuenta", "CUENTA"}, {"Nombre", "NOMBRE"}, {"Tipo", "RNF"}};

// Columns "Codigo", "Nombre" over two work-table fields.
std::vector<std::pair<const char*, const char*>> codeName(const char* code, const char* name) {
    return {{"Codigo", code}, {"Nombre", name}};
}

bool found(WorkArea&) { return true; }

}  // namespace


bool HELPPLAN(app::Context& ctx, std::string& code, LookupView view, char kind, char slot) {
    LookupGlobals& g = lookupGlobals(ctx);
    const std::string typed = app::alltrim(code);
    auto condition = [kind, typed](WorkArea& a) {
        const std::string bd = a.text("BD"), cta = a.text("CTA");
        switch (kind) {
            case '1': return bd == "3" && cta == "S";
            case '2': return bd == "3" && startsWith(a.text("CUENTA"), typed);
            case '4': return bd == "3" && cta == "B";
            default: return startsWith(a.text("CUENTA"), typed);  // '5'
        }
    };
    Member m;
    m.alias = "plan";
    m.accepts = condition;
    m.table = "tmppc";
    m.fields = kAccountFields;
    m.lists = condition;
    m.indexKey = "cuenta";
    m.indexFile = "xaabb";
    m.columns = kAccountColumns;
    m.maxSearchKey = 255;
    m.take = [&g, slot](WorkArea& row, bool) {
        planCode(g, slot) = row.text("CUENTA");
        planName(g, slot) = row.text("NOMBRE");
    };
    m.name = [&g, slot] { return planName(g, slot); };
    return lookup(ctx, code, view, m);
}

bool HELPPLAN2(app::Context& ctx, std::string& code, LookupView view, char slot) {
    LookupGlobals& g = lookupGlobals(ctx);
    const std::string typed = app::alltrim(code);
    const bool anyPosting = slot == '5' || slot == '8' || slot == '9';
    auto condition = [anyPosting, typed](WorkArea& a) {
        if (a.text("BD") != "3") return false;
        if (anyPosting) return startsWith(a.text("CUENTA"), typed);
        const std::string cta = a.text("CTA");
        return cta == "S" || cta == "B";
    };
    Member m;
    m.alias = "plan";
    // Accepted: found and posting (slots 5, 8, 9) or posting analysed S/B (the others).
    m.accepts = [anyPosting](WorkArea& a) {
        if (a.text("BD") != "3") return false;
        if (anyPosting) return true;
        const std::string cta = a.text("CTA");
        return cta == "S" || cta == "B";
    };
    m.table = "tmppc";
    m.fields = kAccountFields;
    m.lists = condition;
    m.indexKey = "cuenta";
    m.indexFile = "aa";
    m.indexInStart = true;
    m.columns = kAccountColumns;
    const int n = slot >= '1' && slot <= '9' ? slot - '1' : 0;
    m.take = [&g, n](WorkArea& row, bool) { g.W_PLAN1X[static_cast<std::size_t>(n)] = row.text("CUENTA"); };
    return lookup(ctx, code, view, m);
}

namespace {

// The counterparty members: the typed code upper-cased, sought in `pc` order 1; the
// picker lists by code when the text begins with a digit, by business name otherwise,
// everything when it begins with a blank. `pc` is not put back: a found code leaves it
// selected in order 1.
Member counterparty(app::Context& ctx, const std::string& typedUpper) {
    LookupGlobals& g = lookupGlobals(ctx);
    const std::string typed = app::alltrim(typedUpper);
    const bool all = typedUpper.empty() || typedUpper[0] == ' ';
    const bool byCode = !all && std::isdigit(static_cast<unsigned char>(typedUpper[0]));
    Member m;
    m.alias = "pc";
    m.accepts = found;
    m.table = "tmppc";
    m.fields = {{"RUT", 11}, {"CODIGO", 11}, {"RS", 40}};
    m.lists = [all, byCode, typed](WorkArea& a) {
        if (all) return true;
        return byCode ? startsWith(a.text("RUT"), typed) : startsWith(upper(a.text("RS")), typed);
    };
    m.indexKey = byCode ? "rut" : "upper(rs)";
    m.indexFile = "aa";
    m.columns = {{"Código", "RUT"}, {"Cod.Tributario", "CODIGO"}, {"Razón Social", "RS"}};
    m.take = [&g](WorkArea& row, bool) {
        g.W_RUT = row.text("RUT");
        g.R_TEXTO = row.text("RS");
    };
    m.name = [&g] { return g.R_TEXTO; };
    m.restoreCaller = false;
    return m;
}

}  // namespace

bool HELPRUC(app::Context& ctx, std::string& code, LookupView view) {
    code = upper(code);
    return lookup(ctx, code, view, counterparty(ctx, code));
}

namespace {

// "*" in a counterparty field: the form for a new counterparty, then the counterparty on
// which the form left `pc` is taken. False: the field is validated again with its code.
bool newCounterparty(app::Context& ctx, std::string& code, const LookupView& view, const Member& m) {
    EDITPC(ctx, nullptr, true);
    WorkArea& pc = ctx.store.select("pc");
    if (pc.eof()) return false;
    m.take(pc, false);
    code = pc.text("RUT");
    if (m.name) showName(view, m.name());
    showCode(view);
    return false;
}

}  // namespace

bool HELPRUCN(app::Context& ctx, std::string& code, LookupView view) {
    code = upper(code);
    Member m = counterparty(ctx, code);
    if (startsWith(code, "*")) return newCounterparty(ctx, code, view, m);
    return lookup(ctx, code, view, m);
}

bool HELPRUCM(app::Context& ctx, std::string& code, LookupView view, int dueLabel) {
    code = upper(code);
    Member m = counterparty(ctx, code);
    LookupGlobals& g = lookupGlobals(ctx);
    // The counterparty's credit days (the number in the first two characters of CIUDAD)
    // give the due date of the document.
    m.take = [&ctx, &g, view, dueLabel, take = m.take](WorkArea& row, bool picked) {
        take(row, picked);
        WorkArea& pc = ctx.store.area("pc");
        if (&row != &pc && !pc.seek(Value(g.W_RUT), false)) return;
        const std::string ciudad = pc.text("CIUDAD").substr(0, 2);
        int days = 0;
        std::size_t i = ciudad.find_first_not_of(' ');
        for (; i < ciudad.size() && std::isdigit(static_cast<unsigned char>(ciudad[i])); ++i)
            days = days * 10 + (ciudad[i] - '0');
        if (days == 0) return;
        g.WFECHAV = g.WFECHAD.addDays(days);
        if (view.dialog && dueLabel && view.dialog->find(dueLabel)) view.dialog->refresh(dueLabel);
    };
    if (startsWith(code, "*")) return newCounterparty(ctx, code, view, m);
    return lookup(ctx, code, view, m);
}

namespace {

// The origin lookups: the origins by code, with their names.
Member originMember() {
    Member m;
    m.alias = "to";
    m.accepts = found;
    m.table = "tmpto";
    m.fields = {{"TOV", 2}, {"ORIGEN", 30}};
    m.lists = found;
    m.indexKey = "tov";
    m.indexFile = "aa";
    m.columns = codeName("TOV", "ORIGEN");
    return m;
}

}  // namespace

bool HELPTO(app::Context& ctx, std::string& code, LookupView view) {
    LookupGlobals& g = lookupGlobals(ctx);
    Member m = originMember();
    m.take = [&g](WorkArea& row, bool) {
        g.W_TO = row.text("TOV");
        g.P_TO = row.text("ORIGEN");
    };
    m.name = [&g] { return g.P_TO; };
    return lookup(ctx, code, view, m);
}

bool HELPTO2(app::Context& ctx, std::string& code, LookupView view, char slot) {
    LookupGlobals& g = lookupGlobals(ctx);
    Member m = originMember();
    const int n = slot == '2' ? 1 : slot == '3' ? 2 : 0;
    m.take = [&g, n](WorkArea& row, bool) { g.W_ORIGEN[static_cast<std::size_t>(n)] = row.text("TOV"); };
    return lookup(ctx, code, view, m);
}

bool HELPTD2(app::Context& ctx, std::string& code, LookupView view) {
    LookupGlobals& g = lookupGlobals(ctx);
    Member m;
    m.alias = "td";
    m.accepts = found;
    m.table = "tmptd";
    m.fields = {{"TD", 2}, {"DOC", 30}};
    m.lists = found;
    m.indexKey = "td";
    m.indexFile = "aa";
    m.columns = codeName("TD", "DOC");
    m.take = [&g](WorkArea& row, bool picked) {
        g.W_DOC = row.text("TD");
        if (picked) g.R_TD = row.text("DOC");
    };
    return lookup(ctx, code, view, m);
}

bool HELPMPAGO(app::Context& ctx, std::string& code, LookupView view) {
    LookupGlobals& g = lookupGlobals(ctx);
    Member m;
    m.alias = "pago";
    m.accepts = found;
    m.table = "tmppago";
    m.fields = {{"CODIGO", 3}, {"NOMBRE", 30}};
    m.lists = found;
    m.indexKey = "codigo";
    m.indexFile = "aa";
    m.columns = codeName("CODIGO", "NOMBRE");
    m.take = [&g](WorkArea& row, bool) { g.W_MPAGO = row.text("CODIGO"); };
    return lookup(ctx, code, view, m);
}

bool HELPFB(app::Context& ctx, std::string& code, LookupView view, const std::string& format) {
    LookupGlobals& g = lookupGlobals(ctx);
    if (startsWith(code, "R")) return true;  // result lines are not looked up
    const std::string typed = app::alltrim(code);
    Member m;
    m.alias = format == "1" ? "fb" : "fb2";
    m.accepts = found;
    m.table = "tmpfb";
    m.fields = {{"CUENTA", 4}, {"NOMBRE", 30}};
    m.lists = [typed](WorkArea& a) { return startsWith(a.text("CUENTA"), typed); };
    m.indexKey = "cuenta";
    m.indexFile = "aa";
    m.columns = codeName("CUENTA", "NOMBRE");
    m.take = [&g](WorkArea& row, bool) {
        g.W_FB = row.text("CUENTA");
        g.P_FB = row.text("NOMBRE");
    };
    m.name = [&g] { return g.P_FB; };
    return lookup(ctx, code, view, m);
}

bool HELPFE(app::Context& ctx, std::string& code, LookupView view) {
    LookupGlobals& g = lookupGlobals(ctx);
    const std::string typed = app::alltrim(code);
    Member m;
    m.alias = "fe";
    m.order = 2;
    m.accepts = found;
    m.table = "tmpvFe";
    m.fields = {{"CUENTA", 4}, {"NOMBRE", 30}};
    m.lists = [typed](WorkArea& a) {
        const std::string c = a.text("CUENTA");
        if (typed.empty()) return startsWith(c, "O") || startsWith(c, "I") || startsWith(c, "F");
        return startsWith(c, typed);
    };
    m.indexKey = "cuenta";
    m.indexFile = "aa";
    m.columns = codeName("CUENTA", "NOMBRE");
    m.take = [&g](WorkArea& row, bool) {
        g.W_FE = row.text("CUENTA");
        g.P_FE = row.text("NOMBRE");
    };
    m.name = [&g] { return g.P_FE; };
    return lookup(ctx, code, view, m);
}

}  // namespace masters

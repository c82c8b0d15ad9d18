#include "masters/doctypes.h"

#include "app/company.h"
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

bool blank(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }

const CodeNameTable kDocTypes{"td", "TD", "DOC", "!!", 20};

}  // namespace

void editCodeName(app::Context& ctx, const CodeNameTable& t, ui::Browse* browse, bool isNew) {
    store::WorkArea& a = ctx.store.select(t.alias);
    const std::uint32_t previous = a.recno();
    std::string code, name;
    if (!isNew && !a.eof()) {
        code = a.text(t.codeField);
        name = a.text(t.nameField);
    }
    code.resize(a.info(a.field(t.codeField)).length, ' ');
    name.resize(a.info(a.field(t.nameField)).length, ' ');

    ui::Dialog d("DatosTd", "MANTENIMIENTO DE TIPO DE DOCUMENTO");
    ui::Control& c = d.edit(173, "Código", ui::bindText(code, static_cast<int>(code.size())), t.picture).Row(0);
    if (isNew) {
        c.Valid([&] {
            if (ui::keys::lastEscape()) return true;
            return !store::F_BUSCA(ctx.store, t.alias, 1, Value(code));
        });
    } else {
        c.When([] { return false; });
    }
    d.edit(177, "", ui::bindText(name, static_cast<int>(name.size())))
        .Row(0)
        .When([&] { return !blank(code); })
        .Valid([&] { return !blank(t.nameChecked > 0 ? name.substr(0, static_cast<std::size_t>(t.nameChecked)) : name); });
    bool accepted = false;
    ui::addAcceptCancel(d, [&] { accepted = true; });
    d.initialFocus(isNew ? 173 : 177);
    ui::run(d);

    ctx.store.select(t.alias);
    auto back = [&] {
        if (previous > 0 && previous <= a.recCount()) a.go(previous);
        else a.goTop();
        if (browse) browse->refresh();
    };
    if (!accepted) return back();
    if (blank(code)) {
        ui::msg("Debe ingresar una Código para que el registro se valide");
        return back();
    }
    if (isNew) {
        if (!store::ADD_REC(ctx.store)) {
            ui::alert("No se pudo agregar el código: la tabla está ocupada.", "Atención");
            return back();
        }
    } else {
        a.go(previous);
        if (!store::REC_LOCK(ctx.store)) {
            ui::alert("No se pudo bloquear el código " + ui::text::fromTable(code) +
                          ": otra estación lo está usando. Los cambios no se guardaron.",
                      "Atención");
            return back();
        }
    }
    a.put(t.codeField, Value(code));
    a.put(t.nameField, Value(name));
    a.unlock();
    if (browse) browse->refresh();
}

void deleteCodeName(app::Context& ctx, const CodeNameTable& t, ui::Browse* browse) {
    store::WorkArea& a = ctx.store.select(t.alias);
    if (a.eof()) return;
    std::string text = "Atención:\n¿ Está seguro de querer borrar este código ?\n\n" +
                       ui::text::fromTable(a.text(t.codeField)) + " " + ui::text::fromTable(a.text(t.nameField));
    if (!ui::yesNo(text, "")) return;
    if (!store::REC_LOCK(ctx.store)) return;
    a.markDeleted();
    a.unlock();
    a.skip(-1);
    if (a.bof()) a.goTop();
    if (browse) browse->refresh();
}

void A_TD(app::Context& ctx) {
    store::WorkArea& td = ctx.store.select("td");
    td.goTop();
    ui::MasterScreen s;
    s.title = "TIPO DE DOCUMENTO";
    s.area = &td;
    s.columns = {{"Código", [&td] { return Value(td.text("TD")); }},
                 {"Documento", [&td] { return Value(td.text("DOC")); }}};
    s.edit = [&ctx](bool isNew) { EDITTD(ctx, nullptr, isNew); };
    s.remove = [&ctx] { DELTD(ctx, nullptr); };
    s.search = [&ctx] { SEEKTD(ctx, nullptr); };
    s.print = [&ctx] { LISTTD(ctx, nullptr); };
    s.exportXls = [&ctx] { XLS_TD(ctx, nullptr); };
    ui::runMasterScreen(s);
}

void EDITTD(app::Context& ctx, ui::Browse* browse, bool isNew) { editCodeName(ctx, kDocTypes, browse, isNew); }

void DELTD(app::Context& ctx, ui::Browse* browse) { deleteCodeName(ctx, kDocTypes, browse); }

void SEEKTD(app::Context& ctx, ui::Browse*) { ui::searchPrompt(ctx.store, ctx.store.select("td"), "Código", 2); }

void LISTTD(app::Context& ctx, ui::Browse*) {
    store::WorkArea& td = ctx.store.select("td");
    const std::uint32_t keep = td.recno();
    ctx.REPORTE("tatid", app::inFolder(ctx.RUTA, "zdr_td"), " ", " ", " ", app::inFolder(ctx.RUTA, "td1"));
    ctx.store.select("td");
    if (keep > 0 && keep <= td.recCount()) td.go(keep);
}

void XLS_TD(app::Context& ctx, ui::Browse*) {
    store::WorkArea& td = ctx.store.select("td");
    std::vector<output::ExportColumn> cols = {output::fieldColumn("Codigo", "TD"),
                                              output::fieldColumn("Documento", "DOC")};
    platform::Status st = output::exportTable(td, app::host("DOCUMEN.xls"), cols, ctx.openDocument);
    if (!st) ui::alert(st.message(), "Atención");
}

}  // namespace masters

#include "masters/payments.h"

#include "app/company.h"
#include "masters/doctypes.h"
#include "output/export.h"
#include "store/store.h"
#include "ui/backend.h"
#include "ui/patterns.h"

namespace masters {

namespace {

using store::Value;

const CodeNameTable kPayments{"pago", "CODIGO", "NOMBRE", "!!!", 0};

}  // namespace

void A_MPAGO(app::Context& ctx) {
    store::WorkArea& pago = ctx.store.select("pago");
    pago.goTop();
    ui::MasterScreen s;
    s.title = "MEDIOS DE PAGO";
    s.area = &pago;
    s.columns = {{"Código", [&pago] { return Value(pago.text("CODIGO")); }},
                 {"Nombre", [&pago] { return Value(pago.text("NOMBRE")); }}};
    s.edit = [&ctx](bool isNew) { EDITMPAGO(ctx, nullptr, isNew); };
    s.remove = [&ctx] { DELMPAGO(ctx, nullptr); };
    s.search = [&ctx] { SEEKMPAGO(ctx, nullptr); };
    s.print = [&ctx] { LISTMPAGO(ctx, nullptr); };
    s.exportXls = [&ctx] { XLS_MPAGO(ctx, nullptr); };
    ui::runMasterScreen(s);
}

void EDITMPAGO(app::Context& ctx, ui::Browse* browse, bool isNew) { editCodeName(ctx, kPayments, browse, isNew); }

void DELMPAGO(app::Context& ctx, ui::Browse* browse) { deleteCodeName(ctx, kPayments, browse); }

void SEEKMPAGO(app::Context& ctx, ui::Browse*) { ui::searchPrompt(ctx.store, ctx.store.select("pago"), "Código", 3); }

void LISTMPAGO(app::Context& ctx, ui::Browse*) {
    store::WorkArea& pago = ctx.store.select("pago");
    const std::uint32_t keep = pago.recno();
    ctx.REPORTE("tampa", app::inFolder(ctx.RUTA, "zdr_pago"), " ", " ", " ", app::inFolder(ctx.RUTA, "pago1"));
    ctx.store.select("pago");
    if (keep > 0 && keep <= pago.recCount()) pago.go(keep);
}

void XLS_MPAGO(app::Context& ctx, ui::Browse*) {
    store::WorkArea& pago = ctx.store.select("pago");
    std::vector<output::ExportColumn> cols = {output::fieldColumn("Codigo", "CODIGO"),
                                              output::fieldColumn("Nombre", "NOMBRE")};
    platform::Status st = output::exportTable(pago, app::host("MPAGO.xls"), cols, ctx.openDocument);
    if (!st) ui::alert(st.message(), "Atención");
}

}  // namespace masters

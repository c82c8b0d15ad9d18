#include "masters/operations.h"

#include "app/backup.h"
#include "masters/chart.h"
#include "masters/counterparties.h"
#include "masters/doctypes.h"
#include "masters/origins.h"
#include "masters/parameters.h"
#include "masters/payments.h"
#include "masters/rates.h"

namespace masters {

void registerOperations(app::Context& ctx) {
    ctx.operations["A_PLAN"] = [](app::Context& c) { A_PLAN(c); };
    ctx.operations["U_TL"] = [](app::Context& c) { U_TL(c); };
    ctx.operations["A_TD"] = [](app::Context& c) { A_TD(c); };
    ctx.operations["A_MPAGO"] = [](app::Context& c) { A_MPAGO(c); };
    ctx.operations["A_PRO"] = [](app::Context& c) { A_PRO(c); };
    ctx.operations["A_TC"] = [](app::Context& c) { A_TC(c); };
    ctx.operations["U_EMP"] = [](app::Context& c) { U_EMP(c); };
    ctx.operations["U_PARA"] = [](app::Context& c) { U_PARA(c); };
    // The backup ends the program, whether or not the archive could be made.
    ctx.operations["BACKUP"] = [](app::Context& c) {
        app::BACKUP(c);
        if (c.mainWindow) c.mainWindow->close();
    };
    ctx.operations["RESTAURA"] = [](app::Context& c) { app::RESTAURA(c); };
}

}  // namespace masters

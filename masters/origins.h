// Voucher origins (`zdr_to`, alias `to`): the maintenance screen U_TL with its
// actions, and the origin list of the voucher screens.
#pragma once

#include <string>
#include <vector>

#include "app/context.h"
#include "ui/browse.h"

namespace masters {

void U_TL(app::Context& ctx);
void EDITTO(app::Context& ctx, ui::Browse* browse, bool isNew);
void DELTO(app::Context& ctx, ui::Browse* browse);
void SEEKTO(app::Context& ctx, ui::Browse* browse);
void LISTTO(app::Context& ctx, ui::Browse* browse);
void XLS_TL(app::Context& ctx, ui::Browse* browse);

// The combo-box list of origins: "Sin Datos" after six blanks, then "TOV ORIGEN" per
// origin in the table's current order; `to` is left on its first record.
std::vector<std::string> LLENATO(app::Context& ctx);

}  // namespace masters

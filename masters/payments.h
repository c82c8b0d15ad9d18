// Payment methods (`zdr_pago`, alias `pago`): the maintenance screen A_MPAGO with its
// actions. Its form is the document-type form.
#pragma once

#include "app/context.h"
#include "ui/browse.h"

namespace masters {

void A_MPAGO(app::Context& ctx);
void EDITMPAGO(app::Context& ctx, ui::Browse* browse, bool isNew);
void DELMPAGO(app::Context& ctx, ui::Browse* browse);
void SEEKMPAGO(app::Context& ctx, ui::Browse* browse);
void LISTMPAGO(app::Context& ctx, ui::Browse* browse);
void XLS_MPAGO(app::Context& ctx, ui::Browse* browse);

}  // namespace masters

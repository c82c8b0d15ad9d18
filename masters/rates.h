// Daily exchange rates of the US dollar (`zdr_tc`, alias `tc`): one record per date
// with the buying and selling rate. The maintenance screen A_TC with its actions.
#pragma once

#include "app/context.h"
#include "ui/browse.h"

namespace masters {

void A_TC(app::Context& ctx);
void EDITTC(app::Context& ctx, ui::Browse* browse, bool isNew);
void DELTC(app::Context& ctx, ui::Browse* browse);
void SEEKTC(app::Context& ctx, ui::Browse* browse);
void LISTTC(app::Context& ctx, ui::Browse* browse);
void XLS_TC(app::Context& ctx, ui::Browse* browse);

}  // namespace masters

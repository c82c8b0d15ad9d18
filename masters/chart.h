// The chart of accounts (`zdr_plan`, alias `plan`): the balance rule over the monthly
// accumulators, and the maintenance screen A_PLAN with its form, duplicate check,
// deletion, search, listing and export.
#pragma once

#include <string>

#include "app/context.h"
#include "ui/browse.h"

namespace masters {

// On the current record of the current table (the chart or a work table with the same
// accumulator names): A_DEBE and A_HABER become the local debit and credit of the month
// codes before the working month W_MMES ("00" gives 0; "13" sums "00" to "12"). An
// unknown month code leaves them as they were. Returns 0.
int CALCULO(app::Context& ctx);
// The same over the dollar accumulators DEBED.. and HABERD...
int CALCULOD(app::Context& ctx);

void A_PLAN(app::Context& ctx);
void EDITPLAN(app::Context& ctx, ui::Browse* browse, bool isNew);
void DELPLAN(app::Context& ctx, ui::Browse* browse);
void SEEKPLAN(app::Context& ctx, ui::Browse* browse);
void LISTPLAN(app::Context& ctx, ui::Browse* browse);
void XLS_PLAN(app::Context& ctx, ui::Browse* browse);

// Duplicate check of the account form: false, after the alert "Cuenta Repetida", when
// the key exists in that order of the alias; the current table, its order and record
// are the same afterwards.
bool F_BUSCACTA(app::Context& ctx, const std::string& alias, int order, const std::string& key);

// The level letter the screens show for BD: B for "1", S for "2", R otherwise.
std::string levelLetter(const std::string& bd);

}  // namespace masters

// The working month: the change of month (U_TRAB), the month-lock screen of the
// supervisor (CierreM), and the names of the fields kept per month code.
#pragma once

#include <string>

#include "app/context.h"

namespace app {

// "00" to "13" for 0 to 13.
std::string monthCode(int month);
// The field of a month code: monthField("DEBE", "05") is "DEBE05".
std::string monthField(const std::string& prefix, const std::string& code);
// The field of the working month: workingField(ctx, "NUMERO") is "NUMERO" + W_MMES.
std::string workingField(const Context& ctx, const std::string& prefix);

// Sets W_MMES, W_MES, MES and FLAGMES for a month 0..13 (FLAGMES from the `var`
// record when it is open).
void setWorkingMonth(Context& ctx, int month);

// The change of working month (dialog `CambioMes`). On "OK" the month globals change,
// the main window shows its new title and WTIT is composed for later.
void U_TRAB(Context& ctx);

// The month locks (dialog `CierreM`): one box per month code, written to MES00..MES13
// of the parameter record. The changes count for FLAGMES at the next change of month
// or company selection.
void CierreM(Context& ctx);

}  // namespace app

// Counterparties (`zdr_pc`, alias `pc`): suppliers, clients and every other third
// party named on documents. The maintenance screen A_PRO with its actions, the
// nine type names, and the counterparty form that voucher entry also opens to
// create a counterparty on the fly.
#pragma once

#include <array>
#include <string>

#include "app/context.h"
#include "ui/browse.h"

namespace masters {

void A_PRO(app::Context& ctx);
// The counterparty form. For a new counterparty it starts on a blank record; the
// stored record is left current (the remembered one when nothing was stored), and
// `pc` is left selected. The browse, when given, is refreshed.
void EDITPC(app::Context& ctx, ui::Browse* browse, bool isNew);
void DELPC(app::Context& ctx, ui::Browse* browse);
void SEEKPC(app::Context& ctx, ui::Browse* browse);
// Saves the nine type names into VAR71..VAR79 of the company parameters.
void CAMPC(app::Context& ctx, const std::array<std::string, 9>& names);
// The type choice of the listing: stores the chosen position in W_OP on "OK".
void TIPOPC(app::Context& ctx);
void LISTPC(app::Context& ctx, ui::Browse* browse);
void XLS_PC(app::Context& ctx, ui::Browse* browse);

// The identity document label (13 characters) of a stored TDOC code.
std::string identityLabel(const std::string& tdoc);
// The type name of a stored TIPO code; a code without a name gives the name of type
// `fallback` (1 in the browse and the export, 9 in the listing).
std::string typeName(const app::Context& ctx, const std::string& tipo, int fallback);
// True when the 11 characters are digits whose last is the SUNAT check digit of the ten before.
bool rucCheckDigitOk(const std::string& ruc);
// Why the identity number does not fit its document type (RUC: 11 digits with a valid check
// digit; DNI: 8 digits), or "" when it fits, is blank, or the type has no rule.
std::string identityProblem(const std::string& tdoc, const std::string& number);

}  // namespace masters

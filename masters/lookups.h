// The lookup family: the validations of every code field that refers to a master
// table (accounts, counterparties, origins, document types, payment methods, format
// lines). A lookup accepts the typed code when it exists and meets its member's
// condition; otherwise it shows a picker of the acceptable rows ("Selecion de
// Registros") with an incremental search, and writes the picked code into the
// caller's field and the member's globals.
//
// Each member is a VALID: it takes the field's bound value by reference and returns
// true when the typed code is accepted, false when a picker was shown (whether or not
// a row was taken), so that the field keeps the focus and is validated again with the
// picked code. Callers accept a blank code without calling a lookup unless their
// screen says otherwise.
#pragma once

#include <array>
#include <string>

#include "app/context.h"
#include "store/date.h"
#include "ui/dialog.h"

namespace masters {

// The global values through which the lookups talk to their callers, one set per
// context. A caller may bind its field to one of them; the lookup writes them in any
// case.
using LookupGlobals = app::LookupGlobals;

// The lookup globals of this context.
inline LookupGlobals& lookupGlobals(app::Context& ctx) { return ctx.lookups; }

// Where a lookup shows what it took: the caller's dialog, the code field (reloaded
// from its binding after a pick) and the name label (0 = none).
struct LookupView {
    ui::Dialog* dialog = nullptr;
    int field = 0;
    int label = 0;
};

// Account lookup. kind: '1' posting accounts analysed by documents, '2' posting
// accounts beginning with the typed text, '4' bank posting accounts, '5' any account
// beginning with the typed text. slot: '0'..'3' write W_PLAN/P_TEXTO .. W_PLAN3/P_TEXTO3,
// any other W_PLAN4/P_TEXTO4. The label shows the account's name.
bool HELPPLAN(app::Context& ctx, std::string& code, LookupView view, char kind, char slot);
// Account lookup of the parameter screen, slots '1'..'9' → W_PLAN11..W_PLAN19; slots
// '5', '8', '9' take any posting account beginning with the typed text, the others the
// posting accounts analysed by documents or bank. No label.
bool HELPPLAN2(app::Context& ctx, std::string& code, LookupView view, char slot);

// Counterparty lookups: the code is upper-cased first; W_RUT and R_TEXTO are written
// and the label shows the business name. They leave `pc` selected in order 1 when the
// code is found and do not restore the caller's table.
bool HELPRUC(app::Context& ctx, std::string& code, LookupView view);
// As HELPRUC; a code beginning with "*" opens the form for a new counterparty and takes
// the counterparty on which that form left `pc`.
bool HELPRUCN(app::Context& ctx, std::string& code, LookupView view);
// As HELPRUCN; a counterparty taken with credit days (first two characters of CIUDAD)
// sets WFECHAV = WFECHAD + days and refreshes dueLabel (a field or label of view.dialog).
bool HELPRUCM(app::Context& ctx, std::string& code, LookupView view, int dueLabel);

// Origins: HELPTO writes W_TO and P_TO (label: the name); HELPTO2 writes the slot's
// W_ORIGEN1..3 ('1', '2', '3'), no label.
bool HELPTO(app::Context& ctx, std::string& code, LookupView view);
bool HELPTO2(app::Context& ctx, std::string& code, LookupView view, char slot);
// Document types: W_DOC, and after a pick also R_TD (the name).
bool HELPTD2(app::Context& ctx, std::string& code, LookupView view);
// Payment methods: W_MPAGO.
bool HELPMPAGO(app::Context& ctx, std::string& code, LookupView view);
// Balance format lines of `fb` (format "1") or `fb2` (any other): W_FB and P_FB; a code
// beginning with "R" is accepted without a search.
bool HELPFB(app::Context& ctx, std::string& code, LookupView view, const std::string& format);
// Cash-flow lines of `fe` (order 2, cuenta): W_FE and P_FE; a blank code lists the
// lines beginning with "O", "I" or "F".
bool HELPFE(app::Context& ctx, std::string& code, LookupView view);

}  // namespace masters

// The globals of the lookup family (the account, counterparty, origin, document
// type, payment method and format lookups): what each lookup took and showed.
#pragma once

#include <array>
#include <string>

#include "store/date.h"

namespace app {

struct LookupGlobals {
    std::string CADENA;  // the search text of the open picker
    int WLARGO = 0;      // length of the typed code without surrounding blanks
    std::string WWCTA;   // the typed code without surrounding blanks

    // HELPPLAN slots: [0] W_PLAN/P_TEXTO, [1] W_PLAN1/P_TEXTO1 ... [4] W_PLAN4/P_TEXTO4.
    std::array<std::string, 5> W_PLAN;
    std::array<std::string, 5> P_TEXTO;
    // HELPPLAN2 slots 1 to 9: W_PLAN11 .. W_PLAN19 ([0] is W_PLAN11).
    std::array<std::string, 9> W_PLAN1X;

    // Counterparties (HELPRUC, HELPRUCN, HELPRUCM).
    std::string W_RUT, R_TEXTO;
    store::Date WFECHAD, WFECHAV;  // document date and due date (HELPRUCM)

    // Origins (HELPTO, HELPTO2): W_ORIGEN[0] is W_ORIGEN1.
    std::string W_TO, P_TO;
    std::array<std::string, 3> W_ORIGEN;

    std::string W_DOC, R_TD;  // HELPTD2
    std::string W_MPAGO;      // HELPMPAGO
    std::string W_FB, P_FB;   // HELPFB
    std::string W_FE, P_FE;   // HELPFE
};

}  // namespace app

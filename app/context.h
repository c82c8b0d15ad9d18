// The application context: the table store of the open company and the global
// values that every screen and process shares, under their own names. One
// context exists per running program (tests make their own).
#pragma once

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/lookup_globals.h"
#include "output/report/handover.h"
#include "platform/status.h"
#include "store/decimal.h"
#include "store/store.h"
#include "ui/backend.h"

namespace app {

// The nine-character month names by month code ("00" to "13").
// An unknown code gives an empty text.
std::string NMES(const std::string& code);

struct Context {
    Context();

    store::Store store;

    // ---- start-up
    std::string WZDR;  // the first start-up argument

    // ---- company (set by the company selection)
    std::string RUTA;     // folder of the company's tables, as the registry writes it
    std::string TMPRUTA;  // folder of the work tables
    std::string WTIT;     // main window title
    std::string NOMCIA30, NOMCIA31, NOMCIA32, NOMCIA33;  // report heading lines
    std::string NOMCIA4;  // working year
    std::string FLAGMES;  // "S" when the working month is locked
    std::string VTOA, VALIH, VALIT, VALIVAC, VALIVAV, VAUDC, VAPDC, VAUPD;
    std::array<std::string, 9> VARC;  // VARC1..VARC9: counterparty type names
    std::string CDIGITO7, CDIGITO13, CDIGITO15;  // display pictures

    // ---- working month
    int W_MES = 1;
    std::string W_MMES = "01";
    std::string MES;

    // ---- work values of the reports and lookups
    store::Decimal A_DEBE, A_HABER, M_SALDO;
    store::Decimal T_D, T_H, W_TD, W_TH;
    std::array<store::Decimal, 8> T_NETO;  // T_NETO1..T_NETO8
    store::Decimal T_IVA1, T_TOTAL;
    std::vector<std::string> ARRTO;
    int CTO = 0;
    int MA = 1;              // report period: 1 monthly, otherwise accumulated
    int W_OP = 1;            // the counterparty type chosen for the listing (10: all)
    LookupGlobals lookups;   // what the lookups took (CADENA, W_PLAN, W_RUT...)
    std::string WNOM = "a";  // output file of the text exports

    // How a written file (a spreadsheet, a text export) is shown to the user: by default
    // the system's application for it. Tests replace it.
    std::function<platform::Status(const std::string& path)> openDocument;

    // The screens and processes of the other folders (masters, vouchers, reports...) by
    // their operation names ("U_TL", "A_PLAN"...), registered before start-up. A menu
    // entry whose operation is not registered stays disabled.
    std::map<std::string, std::function<void(Context&)>> operations;

    // ---- the main window (present once start-up has built it)
    ui::MainWindow* mainWindow = nullptr;

    // True once a company's tables are open.
    bool companyOpen() const;

    // The values the report hand-over reads.
    report::HandOverContext reportContext();
    // REPORTE with this context.
    void REPORTE(std::string_view name, std::string_view table, std::string_view title1, std::string_view title2,
                 std::string_view title3, std::string_view index = {});
};

}  // namespace app

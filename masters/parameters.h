// The company parameters of the record `zdr_var` (alias `var`): the general data
// screen U_EMP with ACTEMP, which saves it and refreshes the main window, and the
// account parameters screen U_PARA.
#pragma once

#include <string>

#include "app/context.h"

namespace masters {

// The general data of a company as the screen edits them (texts as the table holds them).
struct GeneralData {
    std::string var1;   // screen name, shown in the main window title
    std::string var5;   // working year
    std::string var30, var31, var32, var33;  // report heading lines 1 to 4
};

// The company general data screen (dialog `DatosEmpresa`).
void U_EMP(app::Context& ctx);

// Saves the general data into the parameter record under its lock (waiting up to five
// seconds) and shows the new title and the company logo in the main window. False, with
// nothing written, when another workstation holds the record; the title and logo are
// refreshed in either case.
bool ACTEMP(app::Context& ctx, const GeneralData& data);

// The message shown when the parameter record could not be saved.
inline constexpr const char* kParametersBusy =
    "No se pudieron guardar los cambios: otra estación está usando los parámetros de la empresa. "
    "Inténtelo nuevamente más tarde.";

// The account parameters screen (dialog `DatosCuenta`).
void U_PARA(app::Context& ctx);

}  // namespace masters

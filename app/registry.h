// The company registry screen (U_RUTA) and its actions: creating, deleting,
// listing and exporting the companies of `empresa.dbf`, and selecting one.
#pragma once

#include "app/context.h"
#include "ui/browse.h"

namespace app {

// The request with which the menu and toolbar open the screen: show the company logo.
inline constexpr int kLogoRequest = 33;

// The registry screen (dialog `INGRESO`). Selecting a company (Enter or double
// click) runs SELEEMP with the logo when `request` is kLogoRequest, and closes it.
void U_RUTA(Context& ctx, int request);

void EDITEMP(Context& ctx, ui::Browse* browse, bool isNew);
void DELEMP(Context& ctx, ui::Browse* browse);
void LISTEMP(Context& ctx, ui::Browse* browse);
void XLS_RUTA(Context& ctx, ui::Browse* browse);

}  // namespace app

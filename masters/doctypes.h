// Document types (`zdr_td`, alias `td`): the maintenance screen A_TD with its actions.
// The form is shared with the payment methods, which are edited the same way.
#pragma once

#include <functional>
#include <string>

#include "app/context.h"
#include "ui/browse.h"

namespace masters {

void A_TD(app::Context& ctx);
void EDITTD(app::Context& ctx, ui::Browse* browse, bool isNew);
void DELTD(app::Context& ctx, ui::Browse* browse);
void SEEKTD(app::Context& ctx, ui::Browse* browse);
void LISTTD(app::Context& ctx, ui::Browse* browse);
void XLS_TD(app::Context& ctx, ui::Browse* browse);

// A table of codes and names edited on the form `DatosTd`.
struct CodeNameTable {
    std::string alias;     // "td", "pago"
    std::string codeField, nameField;
    std::string picture;   // "!!", "!!!"
    int nameChecked = 0;   // characters of the name that must not all be blank (0: all)
};
void editCodeName(app::Context& ctx, const CodeNameTable& t, ui::Browse* browse, bool isNew);
void deleteCodeName(app::Context& ctx, const CodeNameTable& t, ui::Browse* browse);

}  // namespace masters

// The master-table screens offered to the main window's menu.
#pragma once

#include "app/context.h"

namespace masters {

// Registers every master-table screen built so far under its operation name.
void registerOperations(app::Context& ctx);

}  // namespace masters

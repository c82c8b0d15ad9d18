#include "masters/operations.h"

#include "masters/origins.h"

namespace masters {

void registerOperations(app::Context& ctx) {
    ctx.operations["U_TL"] = [](app::Context& c) { U_TL(c); };
}

}  // namespace masters

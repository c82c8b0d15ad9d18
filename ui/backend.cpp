#include "ui/backend.h"

#include <stdexcept>

#include "ui/keys.h"

namespace ui {
namespace {
std::shared_ptr<Backend> g_backend;
bool g_lastEscape = false;
}  // namespace

void install(std::shared_ptr<Backend> b) { g_backend = std::move(b); }

Backend& backend() {
    if (!g_backend) throw std::logic_error("no screen backend installed");
    return *g_backend;
}

void connectStore(store::Store& store) {
    store.pause = [](double seconds, bool cancellable) { return backend().pause(seconds, cancellable); };
}

namespace keys {
bool lastEscape() { return g_lastEscape; }
void setLastEscape(bool v) { g_lastEscape = v; }
}  // namespace keys

}  // namespace ui

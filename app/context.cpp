#include "app/context.h"

#include "platform/launch.h"

namespace app {

std::string NMES(const std::string& code) {
    static const char* const names[] = {"APERTURA ", "ENERO    ", "FEBRERO  ", "MARZO    ", "ABRIL    ",
                                        "MAYO     ", "JUNIO    ", "JULIO    ", "AGOSTO   ", "SETIEMBRE",
                                        "OCTUBRE  ", "NOVIEMBRE", "DICIEMBRE", "DICIEMBRE"};
    if (code.size() != 2 || code[0] < '0' || code[0] > '9' || code[1] < '0' || code[1] > '9') return {};
    int n = (code[0] - '0') * 10 + (code[1] - '0');
    return n <= 13 ? names[n] : std::string();
}

Context::Context() : MES(NMES("01")) {
    openDocument = [](const std::string& path) { return platform::openDocument(path); };
}

bool Context::companyOpen() const {
    auto& s = const_cast<store::Store&>(store);
    return !RUTA.empty() && s.find("var") && s.find("vou");
}

report::HandOverContext Context::reportContext() {
    report::HandOverContext c;
    c.store = &store;
    c.MA = MA;
    c.MES = MES;
    c.WZDR = WZDR;
    return c;
}

void Context::REPORTE(std::string_view name, std::string_view table, std::string_view title1,
                      std::string_view title2, std::string_view title3, std::string_view index) {
    report::HandOverContext c = reportContext();
    report::REPORTE(c, name, table, title1, title2, title3, index);
}

}  // namespace app

#include "support.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace report_test {

namespace fs = std::filesystem;
using store::Decimal;
using store::Type;
using store::Value;

store::WorkArea* makeData(store::Store& s, const std::string& path, const std::vector<Row>& rows) {
    store::Store::createTable(path, {{"CUENTA", Type::Char, 10, 0}, {"DES", Type::Char, 30, 0}, {"DEBE", Type::Num, 12, 2}});
    store::WorkArea* a = s.use(path, "vou2", false);
    if (!a) throw std::runtime_error("cannot open " + path);
    for (const auto& r : rows) {
        if (!a->appendBlank()) throw std::runtime_error("append failed");
        a->put("CUENTA", Value(r.cuenta));
        a->put("DES", Value(r.des));
        a->put("DEBE", Value(Decimal::of(r.debe)));
    }
    a->commit();
    return a;
}

store::WorkArea* makeVar(store::Store& s, const std::string& path, const std::string& var30, const std::string& titulo1) {
    store::Store::createTable(path, {{"VAR30", Type::Char, 60, 0}, {"TITULO1", Type::Char, 60, 0}});
    store::WorkArea* a = s.use(path, "var2", false);
    if (!a) throw std::runtime_error("cannot open " + path);
    if (!a->appendBlank()) throw std::runtime_error("append failed");
    a->put("VAR30", Value(var30));
    a->put("TITULO1", Value(titulo1));
    a->commit();
    return a;
}

std::vector<std::string> texts(const report::Page& page) {
    std::vector<std::string> out;
    for (const auto& i : page.items) out.push_back(i.text);
    return out;
}

}  // namespace report_test

#include "helpers.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace testing_support {

std::vector<unsigned char> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void makeAccounts(const std::string& path, const std::vector<std::pair<std::string, std::string>>& rows) {
    using namespace store;
    Store::createTable(path, {{"CUENTA", Type::Char, 10, 0}, {"NOMBRE", Type::Char, 30, 0}, {"BD", Type::Char, 1, 0},
                              {"DEBE01", Type::Num, 17, 2}});
    Store s;
    WorkArea* a = s.use(path, "plan", false);
    Field cuenta = a->field("cuenta"), nombre = a->field("nombre"), bd = a->field("bd");
    for (const auto& [code, name] : rows) {
        a->appendBlank();
        a->put(cuenta, Value(code));
        a->put(nombre, Value(name));
        a->put(bd, Value(code.size() <= 2 ? "1" : "3"));
    }
    s.closeAll();
}

}  // namespace testing_support

#include "store/value.h"

namespace store {

std::string Value::toDisplay() const {
    switch (type()) {
        case Type::Char: return text();
        case Type::Num: return num().toString();
        case Type::Date: return date().toText();
        case Type::Logic: return logic() ? ".T." : ".F.";
    }
    return {};
}

const char* typeName(Type t) {
    switch (t) {
        case Type::Char: return "texto";
        case Type::Num: return "número";
        case Type::Date: return "fecha";
        case Type::Logic: return "lógico";
    }
    return "?";
}

}  // namespace store

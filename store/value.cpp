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

char upperChar(char c) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7)) return static_cast<char>(b - 0x20);
    switch (b) {
        case 0xFF: return '\x9F';  // ÿ -> Ÿ
        case 0x9A: return '\x8A';  // š -> Š
        case 0x9E: return '\x8E';  // ž -> Ž
        case 0x9C: return '\x8C';  // œ -> Œ
        default: return c;
    }
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

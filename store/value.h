// Values read from fields and produced by expressions.
#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "store/date.h"
#include "store/decimal.h"

namespace store {

enum class Type : char { Char = 'C', Num = 'N', Date = 'D', Logic = 'L' };

class Value {
public:
    Value() : v_(std::string()) {}
    Value(std::string s) : v_(std::move(s)) {}            // NOLINT
    Value(std::string_view s) : v_(std::string(s)) {}     // NOLINT
    Value(const char* s) : v_(std::string(s)) {}          // NOLINT
    Value(Decimal d) : v_(d) {}                           // NOLINT
    Value(int n) : v_(Decimal(n)) {}                      // NOLINT
    Value(long long n) : v_(Decimal(n)) {}                // NOLINT
    Value(store::Date d) : v_(d) {}                       // NOLINT
    Value(bool b) : v_(b) {}                              // NOLINT

    Type type() const { return static_cast<Type>("CNDL"[v_.index()]); }
    bool isText() const { return v_.index() == 0; }
    bool isNum() const { return v_.index() == 1; }
    bool isDate() const { return v_.index() == 2; }
    bool isLogic() const { return v_.index() == 3; }

    // Typed access; a value of another type throws std::bad_variant_access.
    const std::string& text() const { return std::get<0>(v_); }
    std::string& text() { return std::get<0>(v_); }
    const Decimal& num() const { return std::get<1>(v_); }
    const store::Date& date() const { return std::get<2>(v_); }
    bool logic() const { return std::get<3>(v_); }

    // Human-readable rendering for messages and tools.
    std::string toDisplay() const;

    friend bool operator==(const Value&, const Value&) = default;

private:
    std::variant<std::string, Decimal, store::Date, bool> v_;
};

const char* typeName(Type t);

// Upper case of a table character (tables hold single-byte Windows text): a-z and the
// accented letters of the code page. upper() of expressions, and so the keys of orders
// such as upper(rs), use it, as do the screens' upper-case pictures.
char upperChar(char c);

}  // namespace store

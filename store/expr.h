// Key, FOR and filter expressions in xBase syntax, compiled once into a tree
// that reads field values straight out of record buffers.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "store/dbf.h"
#include "store/settings.h"
#include "store/value.h"

namespace store {

// The record an expression reads: whatever buffer its owner points it at.
struct RecordView {
    const char* data = nullptr;
    std::uint32_t recno = 0;
};

struct FieldBinding {
    std::shared_ptr<const RecordView> view;  // outlives the table: a closed table reads empty
    FieldInfo info;
};

// How names resolve when an expression is compiled.
class ExprContext {
public:
    virtual ~ExprContext() = default;
    // A field of the table named by alias (empty: the table the expression belongs to).
    virtual std::optional<FieldBinding> field(std::string_view alias, std::string_view name) const = 0;
    // The record that recno() and deleted() speak of.
    virtual std::shared_ptr<const RecordView> defaultView() const = 0;
    virtual const Settings& settings() const = 0;
    // Names the table for error messages ("zdr_plan.dbf").
    virtual std::string where() const = 0;
};

class Expr {
public:
    class Node;

    Expr() = default;
    // Throws StoreError(Expression) naming the expression when it is malformed,
    // names an unknown field or function, or mixes incompatible types.
    static Expr compile(std::string_view text, const ExprContext& ctx);

    bool valid() const { return root_ != nullptr; }
    const std::string& text() const { return text_; }
    Type type() const;
    Value eval() const;
    // Logical result; an expression of another type is an error.
    bool test() const;
    // Appends the value as index key bytes (texts as they are, dates as YYYYMMDD,
    // numbers in a sortable fixed-width form).
    void appendKey(std::string& out) const;
    // Decimals of a numeric result as an index key (those of the field it reads).
    int keyDecimals() const;

private:
    std::shared_ptr<const Node> root_;
    std::string text_;
};

// Key bytes of a value for seeking in an order whose key has the given type.
std::string keyBytes(const Value& v, int numericWidth = 0, int numericDecimals = 0);
// The sortable text form of numbers in index keys.
std::string numericKey(const Decimal& n, int width, int decimals);
// Text comparisons with the '=' prefix rule (exact=false) or on trimmed texts.
bool textEquals(std::string_view a, std::string_view b, bool exact);
int textCompare(std::string_view a, std::string_view b, bool exact);
// STR(n, width, decimals): right-aligned, asterisks when it does not fit.
std::string strOf(const Decimal& n, int width, int decimals);

}  // namespace store

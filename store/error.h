// Errors of the table store. Every message names the file, alias or expression
// concerned so that the user is told what went wrong and where.
#pragma once

#include <stdexcept>
#include <string>

namespace store {

enum class ErrorKind {
    Io,            // the operating system refused a read, write or open
    NotFound,      // a table or index file that does not exist
    Damaged,       // a file whose contents are not a valid table or index
    NoField,       // a field name that is not in the table
    NoAlias,       // an alias that is not open
    NoOrder,       // an order number or name that is not attached
    LockRequired,  // a write to a shared table without the record or file lock
    Exclusive,     // an operation that needs the table opened exclusively
    Overflow,      // a number that does not fit its field
    Type,          // a value of the wrong type for a field or operator
    Expression,    // a malformed key, FOR or filter expression
    Usage,         // any other misuse of the API
};

class StoreError : public std::runtime_error {
public:
    StoreError(ErrorKind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
    ErrorKind kind() const { return kind_; }

private:
    ErrorKind kind_;
};

}  // namespace store

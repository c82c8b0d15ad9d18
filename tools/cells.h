// Field values as the cells of a CSV file: how a dump writes them and how an
// import reads them back, refusing anything the field cannot hold exactly.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "store/store.h"

namespace tools::cells {

// A cell that the field cannot take; the message says why, without naming the
// field or the row (the caller adds both).
class CellError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Texts without their trailing blanks, numbers with the field's decimals,
// dates as YYYYMMDD (empty when blank), logicals as T or F.
std::string format(const store::WorkArea& area, store::Field f);

// The value a cell gives the field, or nullopt for an empty or blank cell (the
// field is left blank). Texts longer than the field are refused unless the
// excess is only blanks; numbers must fit width and decimals exactly; dates are
// YYYYMMDD or dd/mm/yyyy; logicals T, F, Y or N in either case.
std::optional<store::Value> parse(const store::FieldInfo& f, std::string_view cell);

// "C(10)", "N(17,2)", "D", "L": the field's shape for messages.
std::string shape(const store::FieldInfo& f);

}  // namespace tools::cells

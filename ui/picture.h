// Pictures: the format masks of edit fields, display fields and browse columns.
//
// A picture is "@<functions> <template>", "@<functions>" or "<template>".
// Functions: '!' the whole text in upper case, 'Z' a zero shown blank (other
// function letters are accepted and ignored).
// Template characters:
//   9 #          a digit position (numbers), any character (text)
//   !            any character, forced to upper case
//   X A N L Y    any character
//   ,            thousands separator of a number: shown when a digit stands to
//                its left, otherwise a blank
//   .            decimal point of a number
//   anything else a literal, shown as it is
//
// Values:
// - Text is held as the tables hold it, single-byte Windows text (one byte, one
//   character), and comes out the same way: the screen converts it with
//   ui::text. With a template the text takes the template's length, one
//   character per position; without one, the bound width.
// - Numbers with a template are rounded half away from zero to the template's
//   decimals and right-aligned on its digit positions. A negative number puts
//   its minus sign in the free position (an unused digit position, or a
//   separator left blank) just left of its first digit. A number that does not
//   fit, its sign included, shows as asterisks over the whole width. A number
//   without a template is written with the bound decimals, right-aligned in the
//   bound width (asterisks when longer). With 'Z' a number that rounds to zero
//   is all blanks.
// - Dates always show as dd/mm/yyyy, the empty date as "  /  /    ",
//   whatever template is declared.
// - Logicals show as "S" or "N".
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "store/value.h"

namespace ui {

class Picture {
public:
    Picture() = default;  // no picture
    // Never throws: characters it does not know are literals.
    static Picture parse(std::string_view text);

    const std::string& text() const { return text_; }
    // The template part, without the functions ("999,999,999.99" for "@Z 999,999,999.99").
    const std::string& mask() const { return mask_; }
    bool zeroBlank() const { return zeroBlank_; }
    bool upper() const { return upper_; }
    bool empty() const { return !zeroBlank_ && !upper_ && mask_.empty(); }

    // Display text of a value; width and decimals are the bound field's, used
    // when the picture has no template for the value.
    std::string display(const store::Value& v, int width, int decimals) const;
    // Width in characters of what display() gives for that type.
    int displayWidth(store::Type type, int width, int decimals) const;

    // What the user typed, in the display form or plain ("1,234.5", "-12",
    // "15/01/12"), read as a value of the given type; or a Spanish message
    // saying why it cannot be taken.
    // Numbers: blanks, an optional sign ('-' or '+'), digits with ',' ignored,
    // one '.'; blank is zero. Extra decimals are rounded half away from zero to
    // the template's (or the bound) decimals; a number that would not display
    // is refused. Dates: dd/mm/yyyy, dd/mm/yy (through `epoch`), ddmmyyyy or
    // ddmmyy; blank or "  /  /    " is the empty date. Logicals: S/N, T/F, Y/N.
    // Text: what filterText() keeps (table bytes, not padded).
    struct Parsed {
        std::optional<store::Value> value;
        std::string error;  // empty when value is set
        bool ok() const { return value.has_value(); }
    };
    Parsed parseInput(std::string_view typed, store::Type type, int width, int decimals, int epoch = 1970) const;

    // The input mask applied to text being typed (for text, table bytes as
    // ui::text::toTable gives them). Text: '!' and '@!' upper-case,
    // template literals are put in place, and the text is cut to the template
    // length (or to `width`, the shorter of both). Numbers keep only digits,
    // signs, separators and blanks, cut to the display width; dates keep digits,
    // '/' and blanks, cut to 10; logicals keep one upper-case character.
    std::string filterText(std::string_view typed, int width, store::Type type = store::Type::Char) const;

    // Digits allowed left and right of the point by a numeric template
    // (one with a '9' or '#'); -1 when there is none.
    int integerDigits() const { return intDigits_; }
    int decimalDigits() const { return decDigits_; }

private:
    std::optional<std::string> formatNumber(const store::Decimal& d) const;
    std::string displayNumber(const store::Decimal& d, int width, int decimals) const;
    std::string displayText(std::string_view s, int width) const;
    Parsed parseNumber(std::string_view typed, int width, int decimals) const;

    std::string text_;
    std::string mask_;
    bool zeroBlank_ = false;
    bool upper_ = false;
    int intDigits_ = -1;
    int decDigits_ = -1;
};

}  // namespace ui

// Report templates (".qrt" files): what a report shows, band by band. The
// format is described in FORMAT.md next to this file. No Qt here.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "ui/picture.h"

namespace report {

// A template that cannot be read or used: the message starts with "file:line: ".
class TemplateError : public std::runtime_error {
public:
    TemplateError(std::string file, int line, const std::string& what);
    const std::string& file() const { return file_; }
    int line() const { return line_; }

private:
    std::string file_;
    int line_;
};

enum class Align { Left, Center, Right };
enum class DataSet { Data, Var };
enum class BandKind { Title, PageHeader, GroupHeader, GroupFooter, Detail, PageFooter, Summary };

struct Source {
    DataSet set = DataSet::Data;
    std::string field;  // upper case
};

// A piece of a text element: literal text (UTF-8), a page number, or a field.
struct Piece {
    enum class Kind { Literal, Page, Pages, Field } kind = Kind::Literal;
    std::string literal;
    Source source;
};

struct Element {
    enum class Kind { Text, Field, Sum } kind = Kind::Text;
    std::vector<Piece> pieces;  // Text
    Source source;              // Field, Sum
    double x = 0, width = 0;    // percent of the printable width
    int row = 0;                // line within the band, from 0
    Align align = Align::Left;
    bool bold = false;
    std::optional<ui::Picture> picture;
    int sourceLine = 0;         // line of the template file
};

struct Band {
    BandKind kind = BandKind::Detail;
    int group = -1;  // GroupHeader/GroupFooter: index into Template::groups
    std::vector<Element> elements;
    int rows() const;  // lines the band takes (at least one)
    int sourceLine = 0;
};

struct Group {
    std::string expression;  // xBase expression over the data table
    int sourceLine = 0;
};

struct Template {
    std::string file;  // for messages
    std::string name;
    double pageWidth = 210, pageHeight = 297, margin = 10;  // mm
    std::string fontFamily = "DejaVu Sans";
    double fontSize = 8;  // points
    std::vector<Group> groups;  // outermost first
    std::vector<Band> bands;

    const Band* band(BandKind kind, int group = -1) const;
};

// Reads a template text; `file` names it in error messages.
Template parseTemplate(std::string_view text, const std::string& file);
// Reads a template file (UTF-8).
Template loadTemplate(const std::string& path);

}  // namespace report

#include "output/report/template.h"

#include <gtest/gtest.h>

#include "support.h"

using report::BandKind;
using report::Element;
using report::parseTemplate;
using report::TemplateError;

namespace {

// The line the error names, or -1 when the text parses.
int errorLine(const std::string& text, std::string* message = nullptr) {
    try {
        parseTemplate(text, "plan.qrt");
    } catch (const TemplateError& e) {
        if (message) *message = e.what();
        EXPECT_EQ(e.file(), "plan.qrt");
        return e.line();
    }
    return -1;
}

}  // namespace

TEST(ReportTemplate, ReadsTheExample) {
    auto t = parseTemplate(R"qrt(# comment
report "PLAN DE CUENTAS"
page A4 portrait margins 10mm
font "DejaVu Sans" 8
band title
  text "{var.VAR30}" at 0 width 100 align left bold
band pageheader
  text "Página {page} de {pages}" at 80 width 20 align right
  text "Cuenta" at 0 width 15 bold line 1
band groupheader on "LEFT(CUENTA,2)"
  field data.CUENTA at 0 width 15
band detail
  field data.CUENTA at 0 width 15
  field data.DEBE00 at 60 width 20 align right picture "@Z 999,999,999.99"
band groupfooter on "left(cuenta,2)"
  sum data.DEBE00 at 60 width 20 align right
band summary
  text "Total" at 0 width 15 bold
  sum data.DEBE00 at 60 width 20 align right picture "@Z 9999,999,999.99"
)qrt",
                           "plan.qrt");
    EXPECT_EQ(t.name, "PLAN DE CUENTAS");
    EXPECT_DOUBLE_EQ(t.pageWidth, 210);
    EXPECT_DOUBLE_EQ(t.pageHeight, 297);
    EXPECT_DOUBLE_EQ(t.margin, 10);
    EXPECT_EQ(t.fontFamily, "DejaVu Sans");
    EXPECT_DOUBLE_EQ(t.fontSize, 8);
    ASSERT_EQ(t.groups.size(), 1u);  // header and footer name the same group, case aside
    EXPECT_EQ(t.groups[0].expression, "LEFT(CUENTA,2)");
    ASSERT_EQ(t.bands.size(), 6u);
    const auto* header = t.band(BandKind::PageHeader);
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->rows(), 2);
    ASSERT_EQ(header->elements[0].pieces.size(), 4u);
    EXPECT_EQ(header->elements[0].pieces[0].literal, "Página ");
    EXPECT_EQ(header->elements[0].align, report::Align::Right);
    const auto* detail = t.band(BandKind::Detail);
    ASSERT_NE(detail, nullptr);
    EXPECT_EQ(detail->elements[1].source.field, "DEBE00");
    ASSERT_TRUE(detail->elements[1].picture.has_value());
    EXPECT_TRUE(detail->elements[1].picture->zeroBlank());
    EXPECT_EQ(detail->elements[1].sourceLine, 14);
    EXPECT_NE(t.band(BandKind::GroupFooter, 0), nullptr);
}

TEST(ReportTemplate, LandscapeAndCustomSizes) {
    auto t = parseTemplate("page A4 landscape margins 5\n", "x.qrt");
    EXPECT_DOUBLE_EQ(t.pageWidth, 297);
    EXPECT_DOUBLE_EQ(t.pageHeight, 210);
    EXPECT_DOUBLE_EQ(t.margin, 5);
    t = parseTemplate("page 100x60mm margins 5mm\n", "x.qrt");
    EXPECT_DOUBLE_EQ(t.pageWidth, 100);
    EXPECT_DOUBLE_EQ(t.pageHeight, 60);
}

TEST(ReportTemplate, ErrorsNameFileAndLine) {
    std::string msg;
    EXPECT_EQ(errorLine("report \"X\"\n\nbogus 1\n", &msg), 3);
    EXPECT_EQ(msg.rfind("plan.qrt:3: ", 0), 0u) << msg;
    EXPECT_EQ(errorLine("report \"X\n"), 1);                                          // unclosed quote
    EXPECT_EQ(errorLine("# c\ntext \"a\" at 0 width 10\n"), 2);                        // outside a band
    EXPECT_EQ(errorLine("band detail\n  text \"a\" width 10\n"), 2);                   // no at
    EXPECT_EQ(errorLine("band detail\n  text \"a\" at 0\n"), 2);                       // no width
    EXPECT_EQ(errorLine("band detail\n  text \"a\" at 95 width 10\n"), 2);             // past the width
    EXPECT_EQ(errorLine("band detail\n  sum data.DEBE at 0 width 10\n"), 2);           // sum in detail
    EXPECT_EQ(errorLine("band summary\n  sum var.DEBE at 0 width 10\n"), 2);           // sum of var
    EXPECT_EQ(errorLine("band detail\n  field DEBE at 0 width 10\n"), 2);              // no data set
    EXPECT_EQ(errorLine("band detail\n  text \"{fecha}\" at 0 width 10\n"), 2);        // unknown token
    EXPECT_EQ(errorLine("band detail\n  text \"{page\" at 0 width 10\n"), 2);          // unclosed token
    EXPECT_EQ(errorLine("band detail\n  field data.A at 0 width 10 align up\n"), 2);   // alignment
    EXPECT_EQ(errorLine("band detail\n  field data.A at x width 10\n"), 2);            // number
    EXPECT_EQ(errorLine("band detail\nband detail\n"), 2);                             // repeated band
    EXPECT_EQ(errorLine("band groupheader\n"), 1);                                     // no expression
    EXPECT_EQ(errorLine("band footer\n"), 1);
    EXPECT_EQ(errorLine("page B7\n"), 1);
    EXPECT_EQ(errorLine("page A4 margins 200mm\n"), 1);
    EXPECT_EQ(errorLine("font \"DejaVu Sans\"\n"), 1);
    EXPECT_EQ(errorLine("report \"X\" extra\n"), 1);
    EXPECT_EQ(errorLine("band detail\n  text \"{{literal}}\" at 0 width 10 # ok\n"), -1);
}

TEST(ReportTemplate, LoadNamesThePath) {
    report_test::TempDir dir;
    const std::string path = dir.file("tapla.qrt");
    report_test::writeFile(path, "report \"PLAN\"\r\nband detail\r\n  field data.CUENTA at 0 width 10 size 3\r\n");
    try {
        report::loadTemplate(path);
        FAIL() << "no error";
    } catch (const TemplateError& e) {
        EXPECT_EQ(e.file(), path);
        EXPECT_EQ(e.line(), 3);
        EXPECT_NE(std::string(e.what()).find(path + ":3: "), std::string::npos);
    }
    EXPECT_THROW(report::loadTemplate(dir.file("none.qrt")), TemplateError);
}

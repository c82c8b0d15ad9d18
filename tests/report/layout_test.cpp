#include "output/report/layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "support.h"

using report::layout;
using report::parseTemplate;
using report_test::makeData;
using report_test::makeVar;
using report_test::texts;
using Strings = std::vector<std::string>;

namespace {

const char* kGrouped = R"qrt(report "PRUEBA"
page 100x60mm margins 5mm
font "DejaVu Sans" 10
band title
  text "{var.TITULO1}" at 0 width 100
band pageheader
  text "Cuenta" at 0 width 30 bold
  text "Pág. {page}/{pages}" at 70 width 30 align right
band groupheader on "LEFT(CUENTA,2)"
  text "Grupo {data.CUENTA}" at 0 width 50
band detail
  field data.CUENTA at 0 width 30
  field data.DEBE at 60 width 40 align right picture "@Z 999,999.99"
band groupfooter on "LEFT(CUENTA,2)"
  text "Total {data.CUENTA}" at 0 width 50
  sum data.DEBE at 60 width 40 align right picture "@Z 9,999,999.99"
band pagefooter
  sum data.DEBE at 60 width 40 align right picture "999,999.99"
band summary
  text "Total general" at 0 width 50
  sum data.DEBE at 60 width 40 align right picture "9,999,999.99"
)qrt";

}  // namespace

TEST(ReportLayout, PageBreaksGroupsAndSums) {
    report_test::TempDir dir;
    store::Store s;
    auto* data = makeData(s, dir.file("tmplda.dbf"),
                          {{"1001", "", "10.10"}, {"1002", "", "10.20"}, {"1003", "", "1234.56"},
                           {"1201", "", "0.01"}, {"1202", "", "0.02"},
                           {"2001", "", "100"}, {"2002", "", "0"}, {"2003", "", "200.50"}, {"2004", "", "999.99"}});
    auto* var = makeVar(s, dir.file("var.dbf"), "EMPRESA", "PLAN A\xD1O 2012");
    auto doc = layout(parseTemplate(kGrouped, "prueba.qrt"), *data, var);
    ASSERT_EQ(doc.pages.size(), 2u);
    EXPECT_DOUBLE_EQ(doc.pageWidth, 100);
    EXPECT_DOUBLE_EQ(doc.pageHeight, 60);
    EXPECT_EQ(texts(doc.pages[0]),
              (Strings{"PLAN AÑO 2012", "Cuenta", "Pág. 1/2",
                       "Grupo 1001", "1001", "10.10", "1002", "10.20", "1003", "1,234.56", "Total 1003", "1,254.86",
                       "Grupo 1201", "1201", "0.01", "1202", "0.02",
                       "1,254.89"}));
    // the zero with @Z is left blank; the page header repeats, the title does not
    EXPECT_EQ(texts(doc.pages[1]),
              (Strings{"Cuenta", "Pág. 2/2", "Total 1202", "0.03",
                       "Grupo 2001", "2001", "100.00", "2002", "2003", "200.50", "2004", "999.99",
                       "Total 2004", "1,300.49", "Total general", "2,555.38",
                       "1,300.49"}));

    const double line = report::lineHeightMm(10);
    EXPECT_DOUBLE_EQ(doc.lineHeight, line);
    const auto& first = doc.pages[0].items;
    EXPECT_DOUBLE_EQ(first[0].y, 5);          // title at the top margin
    EXPECT_DOUBLE_EQ(first[1].y, 5 + line);   // page header under it
    EXPECT_DOUBLE_EQ(first[1].x, 5);
    EXPECT_DOUBLE_EQ(first[1].width, 27);     // 30% of 90 mm
    EXPECT_TRUE(first[1].bold);
    EXPECT_DOUBLE_EQ(first[2].x, 5 + 63);
    EXPECT_EQ(first[2].align, report::Align::Right);
    EXPECT_DOUBLE_EQ(first.back().y, 60 - 5 - line);  // page footer at the bottom
    EXPECT_DOUBLE_EQ(doc.pages[1].items[0].y, 5);     // the header alone at the top of page 2
    for (const auto& page : doc.pages)
        for (const auto& item : page.items) EXPECT_LE(item.y + item.height, 60 - 5 + 1e-9) << item.text;
}

TEST(ReportLayout, FollowsTheCurrentOrderAndFilter) {
    report_test::TempDir dir;
    store::Store s;
    auto* data = makeData(s, dir.file("tmp.dbf"), {{"30", "", "3"}, {"10", "", "1"}, {"20", "", "2"}, {"11", "", "5"}});
    data->createIndex(dir.file("tmp.ntx"), "CUENTA");
    data->setFilter("DEBE < 5");
    auto t = parseTemplate("band detail\n field data.CUENTA at 0 width 10\n field data.DEBE at 20 width 10\n"
                           "band summary\n sum data.DEBE at 20 width 10\n text \"{var.X}{data.CUENTA}\" at 40 width 20\n",
                           "orden.qrt");
    auto doc = layout(t, *data);  // without a var table its fields are blank
    ASSERT_EQ(doc.pages.size(), 1u);
    // the summary shows the last record printed
    EXPECT_EQ(texts(doc.pages[0]), (Strings{"10", "1.00", "20", "2.00", "30", "3.00", "6.00", "30"}));
}

TEST(ReportLayout, EmptyTableStillHasAPage) {
    report_test::TempDir dir;
    store::Store s;
    auto* data = makeData(s, dir.file("vacio.dbf"), {});
    auto t = parseTemplate("band pageheader\n text \"Cuenta\" at 0 width 10\n"
                           "band groupfooter on \"CUENTA\"\n sum data.DEBE at 0 width 10\n"
                           "band summary\n sum data.DEBE at 20 width 10 picture \"999.99\"\n",
                           "vacio.qrt");
    auto doc = layout(t, *data);
    ASSERT_EQ(doc.pages.size(), 1u);
    EXPECT_EQ(texts(doc.pages[0]), (Strings{"Cuenta", "0.00"}));
}

TEST(ReportLayout, UnknownFieldsNameTheTemplateLine) {
    report_test::TempDir dir;
    store::Store s;
    auto* data = makeData(s, dir.file("t.dbf"), {{"1", "", "1"}});
    auto expectLine = [&](const std::string& text, int line) {
        try {
            layout(parseTemplate(text, "t.qrt"), *data);
            ADD_FAILURE() << "no error for " << text;
        } catch (const report::TemplateError& e) {
            EXPECT_EQ(e.line(), line) << e.what();
            EXPECT_EQ(std::string(e.what()).rfind("t.qrt:", 0), 0u) << e.what();
        }
    };
    expectLine("band detail\n field data.CUENTA at 0 width 10\n field data.HABER at 20 width 10\n", 3);
    expectLine("band summary\n\n sum data.DES at 20 width 10\n", 3);
    expectLine("band detail\n text \"{data.NADA}\" at 0 width 10\n", 2);
    expectLine("report \"x\"\nband groupheader on \"LEFT(NADA,2)\"\n", 2);
}

TEST(ReportLayout, TenThousandRows) {
    report_test::TempDir dir;
    store::Store s;
    std::vector<report_test::Row> rows;
    for (int i = 1; i <= 10000; ++i) {
        char c[16];
        std::snprintf(c, sizeof c, "%06d", i);
        rows.push_back({c, "DESCRIPCION", "1.01"});
    }
    auto* data = makeData(s, dir.file("big.dbf"), rows);
    auto t = parseTemplate(R"qrt(page A4 portrait margins 10mm
font "DejaVu Sans" 8
band pageheader
  text "Página {page} de {pages}" at 80 width 20 align right
band detail
  field data.CUENTA at 0 width 15
  field data.DES at 15 width 40
  field data.DEBE at 60 width 20 align right picture "999,999.99"
band pagefooter
  text "Pie" at 0 width 10
band summary
  sum data.DEBE at 60 width 20 align right picture "999,999.99"
)qrt",
                           "big.qrt");
    auto doc = layout(t, *data);
    const double line = report::lineHeightMm(8);
    const int perPage = static_cast<int>(std::floor((297 - 20 - 2 * line) / line + 1e-9));
    EXPECT_EQ(perPage, 76);
    const std::size_t expected = (10000 + 1 + perPage - 1) / perPage;  // details and the summary
    ASSERT_EQ(doc.pages.size(), expected);
    EXPECT_EQ(expected, 132u);
    EXPECT_EQ(doc.pages[0].items[0].text, "Página 1 de 132");
    EXPECT_EQ(doc.pages.back().items[0].text, "Página 132 de 132");
    const auto last = texts(doc.pages.back());
    ASSERT_GE(last.size(), 2u);
    EXPECT_EQ(last[last.size() - 2], "10,100.00");
    EXPECT_EQ(last.back(), "Pie");
}

TEST(ReportLayout, NestedGroupsCloseInnermostFirst) {
    report_test::TempDir dir;
    store::Store s;
    auto* data = makeData(s, dir.file("n.dbf"),
                          {{"101", "", "1.10"}, {"102", "", "2.20"}, {"111", "", "-0.30"}, {"201", "", "4.00"}});
    auto t = parseTemplate(R"qrt(page A4
band groupheader on "LEFT(CUENTA,1)"
  text "G1 {data.CUENTA}" at 0 width 20
band groupheader on "LEFT(CUENTA,2)"
  text "G2 {data.CUENTA}" at 0 width 20
band detail
  field data.CUENTA at 0 width 20
band groupfooter on "LEFT(CUENTA,2)"
  sum data.DEBE at 20 width 20 picture "@Z 999.99"
band groupfooter on "LEFT(CUENTA,1)"
  sum data.DEBE at 40 width 20 picture "@Z 999.99"
band summary
  sum data.DEBE at 60 width 20 picture "999.99"
)qrt",
                           "n.qrt");
    ASSERT_EQ(t.groups.size(), 2u);
    auto doc = layout(t, *data);
    ASSERT_EQ(doc.pages.size(), 1u);
    EXPECT_EQ(texts(doc.pages[0]),
              (Strings{"G1 101", "G2 101", "101", "102", "3.30", "G2 111", "111", "-0.30", "3.00",
                       "G1 201", "G2 201", "201", "4.00", "4.00", "7.00"}));
}

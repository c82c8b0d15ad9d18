#include "output/report/pdf.h"

#include <gtest/gtest.h>

#include "support/readers.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "support.h"

namespace {

using testsupport::run;


}  // namespace

TEST(ReportPdf, ThirtyRowsReadBackAsText) {
    if (run("command -v pdftotext").empty()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    report_test::TempDir dir;
    store::Store s;
    std::vector<report_test::Row> rows;
    for (int i = 1; i <= 30; ++i) {
        char c[16], d[32], v[32];
        std::snprintf(c, sizeof c, "10%02d", i);
        std::snprintf(d, sizeof d, "Compa\xF1\xED" "a %d", i);
        std::snprintf(v, sizeof v, "%d.25", i * 1000);
        rows.push_back({c, d, v});
    }
    auto* data = report_test::makeData(s, dir.file("tmplda.dbf"), rows);
    auto* var = report_test::makeVar(s, dir.file("var.dbf"), "COMERCIAL SUR S.A.", "PLAN DE CUENTAS");
    auto t = report::parseTemplate(R"qrt(report "PLAN DE CUENTAS"
page A5 landscape margins 10mm
font "DejaVu Sans" 10
band title
  text "{var.VAR30}" at 0 width 60 bold
  text "{var.TITULO1}" at 0 width 60 bold line 1
band pageheader
  text "Cuenta" at 0 width 15 bold
  text "Descripción" at 15 width 45 bold
  text "Debe" at 60 width 20 align right bold
  text "Página {page} de {pages}" at 80 width 20 align right
band detail
  field data.CUENTA at 0 width 15
  field data.DES at 15 width 45
  field data.DEBE at 60 width 20 align right picture "@Z 999,999,999.99"
band summary
  text "Total" at 15 width 45 bold
  sum data.DEBE at 60 width 20 align right picture "@Z 9999,999,999.99"
)qrt",
                                   "tapla.qrt");
    auto doc = report::layout(t, *data, var);
    ASSERT_EQ(doc.pages.size(), 2u);
    const std::string pdf = dir.file("tapla.pdf");
    report::writePdf(doc, pdf);
    ASSERT_TRUE(std::filesystem::exists(pdf));
    const std::string text = run("pdftotext -layout '" + pdf + "' -");
    for (const char* want : {"COMERCIAL SUR S.A.", "PLAN DE CUENTAS", "Cuenta", "Descripción", "Debe",
                             "Página 1 de 2", "Página 2 de 2", "1001", "1030", "Compañía 7", "1,000.25",
                             "30,000.25", "Total", "465,007.50"})
        EXPECT_NE(text.find(want), std::string::npos) << want << "\n" << text;
    EXPECT_NE(text.find('\f'), std::string::npos);  // two pages
    // the heading is repeated on the second page
    EXPECT_NE(text.find("Cuenta", text.find('\f')), std::string::npos) << text;
}

TEST(ReportPdf, UnwritablePathThrows) {
    report::Document doc;
    doc.fontFamily = "DejaVu Sans";
    doc.pages.emplace_back();
    EXPECT_THROW(report::writePdf(doc, "/nonexistent-folder/x.pdf"), std::runtime_error);
}

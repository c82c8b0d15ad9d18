// The document types and the payment methods on a company made from the templates:
// both screens share the form "DatosTd"; each case runs on both tables.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "masters/doctypes.h"
#include "masters/payments.h"
#include "support.h"

namespace fs = std::filesystem;

namespace {

using app_test::trim;


struct Table {
    const char* name;
    std::function<void(app::Context&)> screen;
    const char* file;  // table file
    const char* codeField;
    const char* nameField;
    const char* title;        // label 172
    const char* header2;      // second column
    const char* first;        // first row of the browse
    const char* second;       // second row
    const char* third;        // third row
    const char* newCode;      // a code typed in lower case, stored in upper case
    const char* storedCode;
    const char* existing;     // a code of the template
    std::size_t rows;         // records of the template
    const char* report;       // template name
    const char* xls;
    const char* xlsHeading2;
};

const Table kTables[] = {
    {"td", masters::A_TD, "zdr_td.dbf", "TD", "DOC", "TIPO DE DOCUMENTO", "Documento", "00|Otros", "01|Factura", "02|Recibo por Honorarios",
     "zx", "ZX", "01", 58, "tatid", "DOCUMEN.xls", "Documento"},
    {"pago", masters::A_MPAGO, "zdr_pago.dbf", "CODIGO", "NOMBRE", "MEDIOS DE PAGO", "Nombre",
     "001|Depósito en cuenta", "002|Giro", "003|Transferencia de fondos", "zx9", "ZX9", "002", 22, "tampa", "MPAGO.xls", "Nombre"},
};

class CodeNames : public ::testing::TestWithParam<Table> {
protected:
    void SetUp() override { ASSERT_TRUE(sf.openDemo()); }
    void play(std::vector<std::string> lines) {
        sf.script(lines);
        GetParam().screen(sf.ctx);
        sf.backend().finish();
        EXPECT_TRUE(sf.backend().ok()) << sf.backend().failures().front();
    }
    // CODE|NAME as stored, "(none)" when absent.
    std::string record(const std::string& code) {
        store::Store reader;
        store::WorkArea* a = reader.use(sf.demoFolder() + "/" + GetParam().file, "a", true);
        for (a->goTop(); !a->eof(); a->skip())
            if (trim(a->text(GetParam().codeField)) == code)
                return code + "|" + trim(a->text(GetParam().nameField));
        return "(none)";
    }
    std::size_t count() {
        store::Store reader;
        store::WorkArea* a = reader.use(sf.demoFolder() + "/" + GetParam().file, "a", true);
        std::size_t n = 0;
        for (a->goTop(); !a->eof(); a->skip()) ++n;
        return n;
    }
    app_test::StartFolder sf;
};

TEST_P(CodeNames, TheScreenShowsTheTable) {
    const Table& t = GetParam();
    play({"expect dialog Archivos", "expect caption \"MANTENIMIENTO DE ARCHIVOS\"",
          std::string("expect 172 holds \"") + t.title + "\"", std::string("expect row 1 of 181 \"") + t.first + "\"",
          std::string("expect row 2 of 181 \"") + t.second + "\"",
          "press 240"});
}

TEST_P(CodeNames, ALowerCaseCodeIsStoredInUpperCase) {
    const Table& t = GetParam();
    play({"key Insert on 181", "expect dialog DatosTd", "expect caption \"MANTENIMIENTO DE TIPO DE DOCUMENTO\"",
          "expect 173 focused", "expect 177 disabled", std::string("type ") + t.newCode + " into 173", "focus 177",
          "expect 177 enabled", "type \"NUEVO CODIGO\" into 177", "press 175", "expect dialog Archivos", "press 240"});
    EXPECT_EQ(record(t.storedCode), std::string(t.storedCode) + "|NUEVO CODIGO");
}

TEST_P(CodeNames, DuplicatesBlankNamesAndBlankCodesAreRefused) {
    const Table& t = GetParam();
    play({"key Insert on 181", std::string("type ") + t.existing + " into 173", "focus 177", "expect 173 focused",
          std::string("type ") + t.newCode + " into 173", "focus 177", "type \"   \" into 177", "focus 173",
          "expect 177 focused", "type X into 177", "type \"   \" into 173", "press 175",
          "expect message \"Debe ingresar una Código para que el registro se valide\"", "press 240"});
    EXPECT_EQ(count(), t.rows);
    EXPECT_EQ(record(t.storedCode), "(none)");
}

TEST_P(CodeNames, EditingChangesTheNameOnly) {
    const Table& t = GetParam();
    play({"key Down", "key Enter", "expect 173 disabled", "expect 177 focused", "type CAMBIADO into 177", "press 175",
          "press 240"});
    std::string second = t.second;
    EXPECT_EQ(record(second.substr(0, second.find('|'))), second.substr(0, second.find('|')) + "|CAMBIADO");
}

TEST_P(CodeNames, DeletingAsksFirstAndSearchIsSoft) {
    const Table& t = GetParam();
    std::string second = t.second;
    std::string code = second.substr(0, second.find('|'));
    std::string name = second.substr(second.find('|') + 1);
    name.resize(30, ' ');
    play({"key Down", "key Delete",
          "expect message \"Atención:\\n¿ Está seguro de querer borrar este código ?\\n\\n" + code + " " + name + "\"",
          "answer No", "key Delete", "answer Yes", std::string("expect current 181 \"") + t.first + "\"",
          // the deleted code is not found: the search stops on the next one
          "press 200", "expect message Código", "answer " + code, std::string("expect current 181 \"") + t.third + "\"",
          "press 240"});
    EXPECT_EQ(record(code), "(none)");
    EXPECT_EQ(count(), t.rows - 1);
    EXPECT_TRUE(sf.ctx.store.settings().softSeek);
}

TEST_P(CodeNames, ListingAndExport) {
    const Table& t = GetParam();
    play({"key Down", "press 210", std::string("expect current 181 \"") + t.second + "\"", "press 127", "press 240"});
    std::string text = testsupport::pdfText(sf.file(std::string("pdf/") + t.report + ".pdf"));
    std::string first = t.first, third = t.third;
    EXPECT_LT(text.find(first.substr(first.find('|') + 1)), text.find(third.substr(third.find('|') + 1))) << text;
    const std::string xls = sf.file(t.xls);
    ASSERT_TRUE(fs::exists(xls));
    EXPECT_EQ(sf.opened, (std::vector<std::string>{xls}));
    std::string sheet = testsupport::readXls(xls);
    std::string code1 = first.substr(0, first.find('|'));
    for (std::string line : {std::string("size ") + std::to_string(t.rows + 1) + "x2\n",
                             std::string("1,1 text 'Codigo' Arial/B10 General\n"),
                             std::string("1,2 text '") + t.xlsHeading2 + "' Arial/B10 General\n",
                             "2,1 text '" + code1 + "' Arial/-10 General\n"})
        EXPECT_NE(sheet.find(line), std::string::npos) << line << " in\n" << sheet;
}

INSTANTIATE_TEST_SUITE_P(Tables, CodeNames, ::testing::ValuesIn(kTables),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

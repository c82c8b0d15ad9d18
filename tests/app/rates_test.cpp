// The daily exchange rates on a company made from the templates: the screen in date
// order with three decimals shown, the form, deletion, soft search by date, listing
// and export.
#include <gtest/gtest.h>

#include <filesystem>

#include "masters/rates.h"
#include "support.h"

namespace fs = std::filesystem;
using store::Value;

namespace {

class Rates : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sf.openDemo());
        // three dates entered out of order, with five decimals as voucher entry stores them
        store::WorkArea& tc = sf.ctx.store.select("tc");
        for (auto [d, c, v] : {std::tuple{"15/01/2026", "3.71234", "3.72345"}, std::tuple{"05/01/2026", "3.70000", "3.71000"},
                               std::tuple{"20/01/2026", "3.75000", "3.76000"}}) {
            ASSERT_TRUE(store::ADD_REC(sf.ctx.store));
            tc.put("FECHA", Value(store::Date::fromText(d)));
            tc.put("TC", Value(*store::Decimal::parse(c)));
            tc.put("TV", Value(*store::Decimal::parse(v)));
            tc.unlock();
        }
    }
    void play(std::vector<std::string> lines) {
        sf.script(lines);
        masters::A_TC(sf.ctx);
        sf.backend().finish();
        EXPECT_TRUE(sf.backend().ok()) << sf.backend().failures().front();
    }
    // "TC|TV" as stored for the date, "(none)" when absent.
    std::string rates(const std::string& date) {
        store::Store reader;
        store::WorkArea* tc = reader.use(sf.demoFolder() + "/zdr_tc.dbf", "tc", true);
        for (tc->goTop(); !tc->eof(); tc->skip())
            if (tc->date("FECHA").toText() == date)
                return tc->num("TC").toString() + "|" + tc->num("TV").toString();
        return "(none)";
    }
    app_test::StartFolder sf;
};

TEST_F(Rates, TheScreenShowsTheDatesInOrderWithThreeDecimals) {
    play({"expect dialog Archivos", "expect 172 holds \"TIPO DE CAMBIO DIARIO\"",
          "expect row 1 of 181 \"05/01/2026|3.700|3.710|\"", "expect row 2 of 181 \"15/01/2026|3.712|3.723|\"",
          "expect row 3 of 181 \"20/01/2026|3.750|3.760|\"", "press 240"});
}

TEST_F(Rates, ADateIsAddedOnceAndABlankDateIsNotStored) {
    play({"key Insert on 181", "expect dialog DatosTc", "expect caption \"MANTENIMIENTO DE TIPO DE CAMBIO\"",
          "expect 179 focused", "type 15/01/2026 into 179", "focus 177", "expect 179 focused",  // exists
          "type 16/01/2026 into 179", "focus 177", "type 3.701 into 177", "type 3.709 into 178", "press 175",
          "key Insert on 181", "type \"  /  /    \" into 179", "press 175",
          "expect message \"Debe ingresar una Código para que el registro se valide\"", "press 240"});
    EXPECT_EQ(rates("16/01/2026"), "3.701|3.709");
    EXPECT_EQ(sf.ctx.store.area("tc").recCount(), 4u);
}

TEST_F(Rates, EditingOneRateKeepsTheFiveDecimalsOfTheOther) {
    play({"key Down", "key Enter", "expect 179 disabled", "expect 179 holds 15/01/2026", "expect 177 holds 3.712",
          "focus 178", "type 3.800 into 178", "press 175", "press 240"});
    EXPECT_EQ(rates("15/01/2026"), "3.71234|3.8");
}

TEST_F(Rates, DeletingAsksWithTheDateAndSearchShowsTheNextDate) {
    play({"key Down", "key Delete", "expect message \"Atención:\\n¿ Está seguro de querer borrar esta fecha ?\\n\\n15/01/2026\"",
          "answer No", "press 200", "expect message Fecha", "answer 10/01/2026",
          "expect current 181 \"15/01/2026|3.712|3.723|\"", "key Delete", "answer Yes", "press 240"});
    EXPECT_EQ(rates("15/01/2026"), "(none)");
    EXPECT_EQ(rates("20/01/2026"), "3.75|3.76");
    EXPECT_TRUE(sf.ctx.store.settings().softSeek);
}

TEST_F(Rates, ListingAndExport) {
    play({"key Down", "press 210", "expect current 181 \"15/01/2026|3.712|3.723|\"", "press 127", "press 240"});
    std::string text = testsupport::pdfText(sf.file("pdf/tatca.pdf"));
    EXPECT_LT(text.find("05/01/2026"), text.find("20/01/2026")) << text;
    const std::string xls = sf.file("TCAMBIO.xls");
    ASSERT_TRUE(fs::exists(xls));
    EXPECT_EQ(sf.opened, (std::vector<std::string>{xls}));
    std::string sheet = testsupport::readXls(xls);
    for (const char* line : {"size 4x3\n", "1,1 text 'Fecha' Arial/B10 General\n", "1,2 text 'Compra' Arial/B10 General\n",
                             "1,3 text 'Venta' Arial/B10 General\n", "3,2 number 3.71234"})
        EXPECT_NE(sheet.find(line), std::string::npos) << line << " in\n" << sheet;
}

}  // namespace

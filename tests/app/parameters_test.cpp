// The company parameters on a company made from the templates: the general data
// screen with the main window's title and logo, the account parameters screen with
// its lookups and percentages, and a parameter record held by another station.
#include <gtest/gtest.h>

#include "masters/parameters.h"
#include "support.h"

using store::Value;

namespace {

using app_test::trim;


class Parameters : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sf.openDemo());
        sf.ctx.mainWindow = &window;
    }
    void play(void (*screen)(app::Context&), std::vector<std::string> lines) {
        sf.script(lines);
        screen(sf.ctx);
        sf.backend().finish();
        EXPECT_TRUE(sf.backend().ok()) << sf.backend().failures().front();
    }
    // A field of the parameter record as another workstation reads it.
    std::string stored(const char* field) {
        store::Store reader;
        store::WorkArea* var = reader.use(sf.demoFolder() + "/zdr_var.dbf", "var", true);
        var->goTop();
        if (var->info(var->field(field)).type == store::Type::Num) return var->num(field).toFixed(4);
        return trim(var->text(field));
    }
    void storeElsewhere(const char* field, const Value& v) {
        store::Store other;
        store::WorkArea* var = other.use(sf.demoFolder() + "/zdr_var.dbf", "var", true);
        var->goTop();
        ASSERT_TRUE(var->recLock());
        var->put(field, v);
        var->unlock();
    }

    app_test::StartFolder sf;
    ui::MainWindow window;
};

TEST_F(Parameters, TheGeneralDataAreSavedAndTheWindowShowsTheNewName) {
    play(masters::U_EMP, {"expect dialog DatosEmpresa", "expect caption \"DATOS GENERALES DE LA EMPRESA\"",
                          "expect 178 holds 2026", "expect 187 holds \"EMPRESA NUEVA\"", "type 2027 into 178",
                          "type \"ACME S.A.C.\" into 187", "type \"ACME SOCIEDAD ANONIMA CERRADA\" into 177",
                          "type \"AV. LOS OLIVOS 123\" into 179", "type \"LIMA\" into 180",
                          "type \"RUC 20123456789\" into 181", "press 175", "expect nomessage"});
    const std::pair<const char*, const char*> expected[] = {{"VAR5", "2027"},
                                                            {"VAR1", "ACME S.A.C."},
                                                            {"VAR30", "ACME SOCIEDAD ANONIMA CERRADA"},
                                                            {"VAR31", "AV. LOS OLIVOS 123"},
                                                            {"VAR32", "LIMA"},
                                                            {"VAR33", "RUC 20123456789"}};
    for (const auto& [field, value] : expected) EXPECT_EQ(stored(field), value) << field;
    EXPECT_EQ(sf.ctx.NOMCIA4, "2027");
    std::string name = "ACME S.A.C.";
    name.resize(30, ' ');
    EXPECT_EQ(window.title, "QRX 2012" + std::string(23, ' ') + name + std::string(7, ' ') + sf.ctx.MES);
    EXPECT_NE(window.picture.find("qrx2012.jpg"), std::string::npos) << window.picture;
    EXPECT_EQ(trim(sf.ctx.NOMCIA30), "EMPRESA NUEVA");  // the headings wait for the next selection
}

TEST_F(Parameters, CancellingTheGeneralDataChangesNothing) {
    play(masters::U_EMP, {"type 2030 into 178", "type OTRA into 187", "press 176"});
    EXPECT_EQ(stored("VAR5"), "2026");
    EXPECT_EQ(stored("VAR1"), "EMPRESA NUEVA");
    EXPECT_EQ(sf.ctx.NOMCIA4, "2026");
    EXPECT_EQ(window.title, "");
}

// Another station holds the parameter record for longer than the wait.
TEST_F(Parameters, ARecordHeldElsewhereIsReportedAndKeepsItsValues) {
    store::Store other;
    store::WorkArea* var = other.use(sf.demoFolder() + "/zdr_var.dbf", "var", true);
    var->goTop();
    ASSERT_TRUE(var->recLock());
    play(masters::U_EMP, {"type 2027 into 178", "press 175",
                          "expect message \"" + std::string(masters::kParametersBusy) + "\""});
    play(masters::U_PARA, {"type 19 into 208", "press 175",
                           "expect message \"" + std::string(masters::kParametersBusy) + "\""});
    var->unlock();
    EXPECT_EQ(stored("VAR5"), "2026");
    EXPECT_EQ(stored("PIGV"), "0.1800");
    EXPECT_EQ(sf.ctx.NOMCIA4, "2026");
}

TEST_F(Parameters, PercentagesAreShownAsPercentAndStoredAsFractions) {
    storeElsewhere("PIMP4", Value(store::Decimal::of("0.1")));
    play(masters::U_PARA, {"expect dialog DatosCuenta", "expect caption \"MANTENIMIENTO DE PARAMETROS DE CUENTAS\"",
                           "expect 208 holds 18.00", "expect 209 holds 10.00", "expect 210 holds 0.00",
                           "type 18.5 into 208", "type 8 into 209", "type 1.25 into 210", "press 175", "expect nomessage"});
    EXPECT_EQ(stored("PIGV"), "0.1850");
    EXPECT_EQ(stored("PIMP4"), "0.0800");
    EXPECT_EQ(stored("PIMP42"), "0.0125");
}

TEST_F(Parameters, TheScreenShowsTheNamesOfItsCodes) {
    play(masters::U_PARA, {"expect 178 holds 09", "expect 179 holds 401111", "expect 211 holds 40114",
                           "expect 192 holds \"IGV - Compras\"", "expect 195 holds \"ASIENTOS AUTOMATICOS\"", "press 176"});
}

TEST_F(Parameters, AccountsAndOriginsPassTheirLookupsAndAreWritten) {
    // the case table: field, typed code, the next field to move to
    play(masters::U_PARA,
         {"type 1211 into 179", "focus 181", "expect 181 focused", "expect 192 holds \"No emitidas\"",
          "type \"  \" into 211", "focus 182", "expect 182 focused", "expect 212 holds \"\"",
          "type 06 into 204", "focus 205", "expect 205 focused",
          "type abc into 184", "focus 180", "press 175", "expect nomessage"});
    EXPECT_EQ(stored("VAR21"), "1211");
    EXPECT_EQ(stored("CTA18"), "");
    EXPECT_EQ(stored("ORIGEN1"), "06");
    EXPECT_EQ(stored("VAR3"), "ABC");
    EXPECT_EQ(stored("TOA"), "09");
    EXPECT_EQ(stored("CTA11"), "421201");  // untouched fields are written back as they were
}

TEST_F(Parameters, AnUnknownCodeOrABlankAutomaticOriginOpensThePicker) {
    play(masters::U_PARA, {"type 99999 into 179", "focus 181", "expect caption \"Selecion de Registros\"", "close",
                           "expect dialog DatosCuenta", "expect 179 focused", "type \"  \" into 179", "type \"  \" into 178", "focus 177",
                           "expect caption \"Selecion de Registros\"", "close", "expect 178 focused", "press 176"});
    EXPECT_EQ(stored("VAR21"), "401111");
}

}  // namespace

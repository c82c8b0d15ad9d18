// The voucher origins on a company made from the templates: the maintenance
// screen with its form, deletion, search, listing and export, and the origin
// list of the voucher screens.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/company.h"
#include "masters/origins.h"
#include "support.h"

namespace fs = std::filesystem;
using store::Value;

namespace {

using app_test::trim;


class Origins : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sf.openDemo()); }

    // Plays the screen with these lines; the script must run to its end.
    void play(std::vector<std::string> lines) {
        sf.script(lines);
        masters::U_TL(sf.ctx);
        sf.backend().finish();
        EXPECT_TRUE(sf.backend().ok()) << sf.backend().failures().front();
    }
    // The origin's fields as stored: TOV|ORIGEN|NUMERO00..NUMERO13
    std::string origin(const std::string& code) {
        store::Store reader;  // as another workstation reads it
        store::WorkArea* to = reader.use(sf.demoFolder() + "/zdr_to.dbf", "to", true);
        for (to->goTop(); !to->eof(); to->skip()) {
            if (trim(to->text("TOV")) != code) continue;
            std::string r = trim(to->text("TOV")) + "|" + trim(to->text("ORIGEN"));
            for (int m = 0; m <= 13; ++m) {
                char f[12];
                std::snprintf(f, sizeof f, "NUMERO%02d", m);
                r += "|" + std::to_string(to->num(f).toInt());
            }
            return r;
        }
        return "(none)";
    }

    app_test::StartFolder sf;
};

TEST_F(Origins, TheScreenShowsEveryOriginWithItsCounters) {
    play({"expect dialog Archivos", "expect caption \"MANTENIMIENTO DE ARCHIVOS\"", "expect 172 holds ORIGENES",
          "expect row 1 of 181 \"01|COMPRAS|0|0|0|0|0|0|0|0|0|0|0|0|0|0\"", "key End", "expect current 181 \"50|IMPORTACIONES|0|0|0|0|0|0|0|0|0|0|0|0|0|0\"", "press 240"});
}

TEST_F(Origins, AnOriginIsAddedWithAllItsCounters) {
    // the fourteen counters in control order: 189 opening, 174 179 178 180..188 January to December, 190 closing
    play({"key Insert on 181", "expect dialog DatosOrigen", "expect caption \"MANTENIMIENTO DE ORIGENES\"",
          "expect 173 focused", "expect 177 disabled", "expect 189 disabled", "type 60 into 173", "focus 177",
          "expect 177 enabled", "type \"CAJA CHICA\" into 177", "type 100 into 189", "type 1 into 174", "type 2 into 179",
          "type 3 into 178", "type 4 into 180", "type 5 into 181", "type 6 into 182", "type 7 into 183",
          "type 8 into 184", "type 9 into 185", "type 10 into 186", "type 11 into 187", "type 12 into 188",
          "type 9999 into 190", "press 175", "expect dialog Archivos", "press 240"});
    EXPECT_EQ(origin("60"), "60|CAJA CHICA|100|1|2|3|4|5|6|7|8|9|10|11|12|9999");
}

TEST_F(Origins, ADuplicateCodeIsNotAcceptedAndABlankOneIsNotStored) {
    play({"key Insert on 181", "type 02 into 173", "focus 177", "expect 173 focused",  // refused, no message
          "expect nomessage", "type \"  \" into 173", "press 175",
          "expect message \"Debe ingresar una Código para que el registro se valide\"", "press 240"});
    EXPECT_EQ(origin("02"), "02|VENTAS|0|0|0|0|0|0|0|0|0|0|0|0|0|0");
    EXPECT_EQ(sf.ctx.store.area("to").recCount(), 11u);
}

TEST_F(Origins, EditingChangesTheCountersButNotTheCode) {
    play({"key Down", "key Enter", "expect 173 disabled", "expect 173 holds 02", "type 41 into 179",
          "type \"VENTAS AL CONTADO\" into 177", "press 175", "press 240"});
    EXPECT_EQ(origin("02"), "02|VENTAS AL CONTADO|0|0|41|0|0|0|0|0|0|0|0|0|0|0");
}

// A station that numbers a voucher while the form is open on another keeps its
// number: the form writes only what its user changed.
class NumberingMeanwhile : public ui::ScriptBackend {
public:
    std::function<void()> whileOpen;
    int run(ui::Dialog& d) override {
        if (d.name() == "DatosOrigen" && whileOpen) {
            whileOpen();
            whileOpen = nullptr;
        }
        return ScriptBackend::run(d);
    }
};

TEST_F(Origins, ACounterAdvancedElsewhereWhileTheFormIsOpenIsKept) {
    auto backend = std::make_shared<NumberingMeanwhile>();
    backend->add({"key Enter", "type \"COMPRAS NACIONALES\" into 177", "type 7 into 189", "press 175", "press 240"});
    store::Store voucherEntry;
    backend->whileOpen = [&] {
        store::WorkArea* to = voucherEntry.use(sf.demoFolder() + "/zdr_to.dbf", "to", true);
        ASSERT_NE(to, nullptr);
        ASSERT_TRUE(to->recLock());
        to->put("NUMERO01", Value(5));  // the fifth January purchase voucher
        to->unlock();
    };
    sf.use(backend);
    masters::U_TL(sf.ctx);
    backend->finish();
    EXPECT_TRUE(backend->ok()) << backend->failures().front();
    EXPECT_EQ(origin("01"), "01|COMPRAS NACIONALES|7|5|0|0|0|0|0|0|0|0|0|0|0|0");
}

TEST_F(Origins, DeletingAsksFirst) {
    play({"key Down", "key Down", "key Delete",
          "expect message \"Atención:\\n¿ Está seguro de querer borrar este código ?\\n\\n03 EGRESOS CAJA Y BANCOS"
          "         \"",
          "answer No", "key Delete", "answer Yes", "expect current 181 \"02|VENTAS|0|0|0|0|0|0|0|0|0|0|0|0|0|0\"",
          "press 240"});
    EXPECT_EQ(origin("03"), "(none)");  // deleted records are hidden
    EXPECT_EQ(origin("02").substr(0, 9), "02|VENTAS");
}

TEST_F(Origins, SearchSeeksSoftlyAndLeavesSoftSeekOn) {
    EXPECT_FALSE(sf.ctx.store.settings().softSeek);
    play({"press 200", "expect message Código", "answer 07", "expect current 181 \"07|PLANILLAS|0|0|0|0|0|0|0|0|0|0|0|0|0|0\"",
          "press 200", "answer 11", "expect current 181 \"50|IMPORTACIONES|0|0|0|0|0|0|0|0|0|0|0|0|0|0\"", "press 240"});
    EXPECT_TRUE(sf.ctx.store.settings().softSeek);
}

TEST_F(Origins, ListingAndExport) {
    play({"key Down", "press 210", "expect current 181 \"02|VENTAS|0|0|0|0|0|0|0|0|0|0|0|0|0|0\"", "press 127",
          "press 240"});
    std::string text = testsupport::pdfText(sf.file("pdf/taori.pdf"));
    EXPECT_NE(text.find("ORIGENES"), std::string::npos) << text;
    EXPECT_LT(text.find("COMPRAS"), text.find("IMPORTACIONES")) << text;
    const std::string xls = sf.file("ORIGENES.xls");
    ASSERT_TRUE(fs::exists(xls));
    EXPECT_EQ(sf.opened, (std::vector<std::string>{xls}));
    std::string sheet = testsupport::readXls(xls);
    for (const char* line : {"size 12x17\n", "width 2 5120\n", "width 3 512\n", "1,1 text 'C.' Arial/B10 General\n",
                             "1,2 text 'Origen' Arial/B10 General\n", "1,4 text 'Apertura' Arial/B10 General\n",
                             "1,5 text 'Enero' Arial/B10 General\n", "1,16 text 'Diciembre' Arial/B10 General\n",
                             "1,17 text 'Cierre' Arial/B10 General\n", "2,1 text '01' Arial/-10 General\n",
                             "2,4 number 0.0 Arial/-10 General\n", "12,1 text '50' Arial/-10 General\n"})
        EXPECT_NE(sheet.find(line), std::string::npos) << line << " in\n" << sheet;
    EXPECT_EQ(sheet.find("1,3 "), std::string::npos) << sheet;  // column 3 stays empty
}

TEST_F(Origins, TheOriginListStartsWithSinDatos) {
    std::vector<std::string> list = masters::LLENATO(sf.ctx);
    ASSERT_EQ(list.size(), 12u);
    EXPECT_EQ(list[0], "      Sin Datos");
    EXPECT_EQ(trim(list[1]), "01 COMPRAS");
    EXPECT_EQ(list[1].substr(0, 2), "01");
    EXPECT_EQ(sf.ctx.ARRTO, list);
    EXPECT_EQ(sf.ctx.store.area("to").recno(), 1u);
    // even on an empty table
    sf.ctx.store.closeAll();
    {
        store::Store excl;
        store::WorkArea* to = excl.use(sf.demoFolder() + "/zdr_to.dbf", "to", false);
        to->attachIndex(sf.demoFolder() + "/to1.ntx");
        to->zap();
    }
    platform::Status reopened = app::openCompany(sf.ctx);
    ASSERT_TRUE(reopened) << reopened.message();
    EXPECT_EQ(masters::LLENATO(sf.ctx), (std::vector<std::string>{"      Sin Datos"}));
}

}  // namespace

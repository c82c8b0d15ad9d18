// The chart of accounts on a company made from the templates: the balance rule, the
// maintenance screen with its form, duplicate check, deletion, search, listing and
// export.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "app/company.h"
#include "app/month.h"
#include "masters/chart.h"
#include "support.h"

namespace fs = std::filesystem;
using store::Decimal;
using store::Value;

namespace {

using app_test::trim;


Decimal dec(double x) { return Decimal::fromUnits(std::llround(x * 100), 2); }

std::string pad(const std::string& code) {
    std::string s = code;
    s.resize(10, ' ');
    return s;
}

class Chart : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sf.openDemo()); }

    void play(std::vector<std::string> lines) {
        sf.script(lines);
        masters::A_PLAN(sf.ctx);
        sf.backend().finish();
        EXPECT_TRUE(sf.backend().ok()) << sf.backend().failures().front();
    }
    // The account as stored: CUENTA|NOMBRE|BD|RNF|CTA|TDEBE|THABER|SD|BANCOEF|BANCOMO|BCTACTE
    std::string account(const std::string& code) {
        store::Store reader;  // as another workstation reads it
        store::WorkArea* plan = reader.use(sf.demoFolder() + "/zdr_plan.dbf", "plan", true);
        for (plan->goTop(); !plan->eof(); plan->skip()) {
            if (trim(plan->text("CUENTA")) != code) continue;
            std::string r;
            for (const char* f : {"CUENTA", "NOMBRE", "BD", "RNF", "CTA", "TDEBE", "THABER", "SD", "BANCOEF", "BANCOMO",
                                  "BCTACTE"})
                r += (r.empty() ? "" : "|") + trim(plan->text(f));
            return r;
        }
        return "(none)";
    }
    // Writes a number into a field of an account of the open chart.
    void setField(const std::string& code, const std::string& field, double amount) {
        store::WorkArea& plan = sf.ctx.store.select("plan");
        plan.setOrder(1);
        ASSERT_TRUE(plan.seek(Value(pad(code)), false)) << code;
        ASSERT_TRUE(plan.recLock());
        plan.put(field, Value(dec(amount)));
        plan.unlock();
    }

    app_test::StartFolder sf;
};

TEST_F(Chart, CalculoSumsTheMonthsBeforeTheWorkingMonth) {
    // DEBE/HABER of month m (local) are 100+m / 10+m, DEBED/HABERD 1+m / 0.5
    store::WorkArea& plan = sf.ctx.store.select("plan");
    plan.setOrder(1);
    ASSERT_TRUE(plan.seek(Value(pad("1011")), false));
    ASSERT_TRUE(plan.recLock());
    for (int m = 0; m <= 13; ++m) {
        const std::string c = app::monthCode(m);
        plan.put(app::monthField("DEBE", c), Value(dec(100 + m)));
        plan.put(app::monthField("HABER", c), Value(dec(10 + m)));
        plan.put(app::monthField("DEBED", c), Value(dec(1 + m)));
        plan.put(app::monthField("HABERD", c), Value(dec(0.5)));
    }
    plan.unlock();
    struct Case {
        const char* month;
        double debe, haber, debed, haberd;
    };
    const Case cases[] = {
        {"00", 0, 0, 0, 0},
        {"01", 100, 10, 1, 0.5},
        {"02", 201, 21, 3, 1},
        {"05", 100 + 101 + 102 + 103 + 104, 10 + 11 + 12 + 13 + 14, 1 + 2 + 3 + 4 + 5, 2.5},
        {"13", 13 * 100 + 78, 13 * 10 + 78, 13 + 78, 6.5},  // "00" to "12"
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.month);
        sf.ctx.W_MMES = c.month;
        sf.ctx.A_DEBE = sf.ctx.A_HABER = dec(-1);
        EXPECT_EQ(masters::CALCULO(sf.ctx), 0);
        EXPECT_EQ(sf.ctx.A_DEBE.toDouble(), c.debe);
        EXPECT_EQ(sf.ctx.A_HABER.toDouble(), c.haber);
        EXPECT_EQ(masters::CALCULOD(sf.ctx), 0);
        EXPECT_EQ(sf.ctx.A_DEBE.toDouble(), c.debed);
        EXPECT_EQ(sf.ctx.A_HABER.toDouble(), c.haberd);
    }
    // another month code leaves the globals as they were
    sf.ctx.W_MMES = "14";
    sf.ctx.A_DEBE = dec(7);
    masters::CALCULO(sf.ctx);
    EXPECT_EQ(sf.ctx.A_DEBE.toDouble(), 7);
}

TEST_F(Chart, TheScreenShowsTheAccountsWithTheirLevelLetter) {
    play({"expect dialog Archivos", "expect caption \"MANTENIMIENTO DE ARCHIVOS\"", "expect 172 holds \"PLAN DE CUENTAS\"",
          "expect row 1 of 181 \"01|Bienes y valores entregados|B|O||||\"",
          "expect row 2 of 181 \"011|Bienes y valores entregados en garantía|R|O||||\"", "press 200", "answer 101",
          "expect current 181 \"101|Caja|S|A||||\"", "press 200", "answer 1012",
          "expect current 181 \"1012|Caja moneda extranjera|R|A||||S\"", "press 240"});
}

TEST_F(Chart, AnAccountIsAddedWithEveryControl) {
    play({"key Insert on 181", "expect dialog DatosPlan", "expect caption \"MANTENIMIENTO PLAN DE CUENTAS\"",
          "expect 173 focused", "expect 177 disabled", "expect 191 disabled", "expect 185 disabled",
          "expect 126 disabled", "type 4213 into 173", "focus 177", "expect 177 enabled", "expect 180 disabled",
          "expect 178 disabled", "expect 121 disabled", "type \"Letras por pagar\" into 177", "press 193",
          "expect 180 enabled", "expect 178 enabled", "expect 121 enabled", "press 186", "press 183",
          "type 421202 into 178", "focus 123", "expect 124 holds \"Emitidas M.E.\"", "type 42 into 123", "focus 121",
          "expect caption \"Selecion de Registros\"", "search 4211", "key Enter", "expect 123 focused",
          "expect 123 holds 4211", "expect 125 holds \"No emitidas\"", "press 121", "expect 122 disabled",
          "type 02 into 126", "type 5 into 127", "focus 128", "expect 127 focused", "type 9 into 127", "focus 128",
          "expect 128 focused", "type 191-1234567 into 128", "press 175", "expect dialog Archivos", "press 240"});
    EXPECT_EQ(account("4213"), "4213|Letras por pagar|3|P|S|421202|4211|S|02|9|191-1234567");
}

TEST_F(Chart, ADuplicateCodeIsRefusedAndABlankOneIsNotStored) {
    const auto before = sf.ctx.store.area("plan").recCount();
    play({"key Insert on 181", "type 4211 into 173", "focus 177", "expect message \"Cuenta Repetida\"",
          "expect 173 focused", "type \" \" into 173", "press 175",
          "expect message \"Debe ingresar una Cuenta para que el registro se valide\"", "press 240"});
    EXPECT_EQ(sf.ctx.store.area("plan").recCount(), before);
    ASSERT_FALSE(sf.backend().shown().empty());
    EXPECT_EQ(sf.backend().shown()[0].kind, "alerta");
    EXPECT_EQ(sf.backend().shown()[0].title, "Atencion");
    EXPECT_EQ(account("4211"), "4211|No emitidas|3|P|S||||||");
}

TEST_F(Chart, F_BUSCACTARestoresTheCallersPosition) {
    store::WorkArea& to = sf.ctx.store.select("to");
    to.go(4);
    sf.script({"expect message \"Cuenta Repetida\""});
    EXPECT_FALSE(masters::F_BUSCACTA(sf.ctx, "plan", 1, pad("10")));
    EXPECT_TRUE(masters::F_BUSCACTA(sf.ctx, "plan", 1, pad("1099")));
    sf.backend().finish();
    EXPECT_TRUE(sf.backend().ok()) << sf.backend().failures().front();
    EXPECT_EQ(sf.ctx.store.current().alias(), "to");
    EXPECT_EQ(sf.ctx.store.current().recno(), 4u);
}

TEST_F(Chart, EditingKeepsTheCodeAndTheValuesOfDisabledControls) {
    play({"press 200", "answer 4211", "key Enter", "expect 173 disabled", "expect 177 focused", "expect 183 enabled",
          "type \"Facturas no emitidas\" into 177", "press 192", "expect 183 disabled", "expect 178 disabled",
          "press 175", "press 240"});
    EXPECT_EQ(account("4211"), "4211|Facturas no emitidas|2|P|S||||||");
    // a name whose first 30 characters are blank is refused
    play({"press 200", "answer 4211", "key Enter", "type \" \" into 177", "focus 191", "expect 177 focused",
          "press 176", "press 240"});
    EXPECT_EQ(account("4211"), "4211|Facturas no emitidas|2|P|S||||||");
}

TEST_F(Chart, DeletionIsRefusedWhileAnyMovementIsLeft) {
    // field written before the deletion ("" none), whether the account is deleted
    struct Case {
        const char* field;
        bool deleted;
    };
    const Case cases[] = {{"DEBE05", false},   {"HABER00", false}, {"DEBE13", false}, {"HABERD13", false},
                          {"DEBED07", false},  {"VOU", false},     {"", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        std::string f = c.field;
        if (f == "VOU") {  // a voucher line on the code, with no accumulator
            store::WorkArea& vou = sf.ctx.store.select("vou");
            ASSERT_TRUE(vou.appendBlank());
            vou.put("CUENTA", Value(pad("1021")));
            vou.put("MESV", Value(std::string("01")));
            vou.unlock();
        } else if (!f.empty()) {
            setField("1021", f, 12.5);
        }
        // the question shows the code and the name as wide as their fields
        std::vector<std::string> lines = {"press 200", "answer 1021", "key Delete",
                                          "expect message \"Atención:\\n¿ Está seguro de querer borrar esta cuenta "
                                          "?\\n\\n1021       Caja chica" + std::string(70, ' ') + "\"",
                                          "answer Yes"};
        if (!c.deleted) lines.push_back("expect message \"Esta cuenta tiene movimiento\"");
        lines.push_back("press 240");
        sf.script(lines);
        masters::A_PLAN(sf.ctx);
        sf.backend().finish();
        EXPECT_TRUE(sf.backend().ok()) << sf.backend().failures().front();
        EXPECT_EQ(account("1021") == "(none)", c.deleted);
        if (!c.deleted) {
            EXPECT_EQ(sf.backend().shown().back().kind, "stop");
            EXPECT_EQ(sf.backend().shown().back().title, "Atención");
        }
        if (!f.empty() && f != "VOU") setField("1021", f, 0);
        if (f == "VOU") {
            store::WorkArea& vou = sf.ctx.store.select("vou");
            vou.goBottom();
            ASSERT_TRUE(vou.recLock());
            vou.markDeleted();
            vou.unlock();
        }
    }
}

TEST_F(Chart, NoIsNoDeletion) {
    play({"press 200", "answer 1021", "key Delete", "answer No", "expect current 181 \"1021|Caja chica|R|A||||\"",
          "press 240"});
    EXPECT_EQ(account("1021"), "1021|Caja chica|3|A|||||||");
}

TEST_F(Chart, SearchSeeksSoftlyAndLeavesSoftSeekOn) {
    EXPECT_FALSE(sf.ctx.store.settings().softSeek);
    play({"press 200", "expect message Cuenta", "answer 42", "expect current 181 \"42|Cuentas por pagar comerciales - Terceros|B|P||||\"",
          "press 200", "answer 4213", "expect current 181 \"422|Anticipos a proveedores|R|P|S|||\"", "press 240"});
    EXPECT_TRUE(sf.ctx.store.settings().softSeek);
}

TEST_F(Chart, ListingAndExport) {
    play({"press 200", "answer 1011", "press 210", "expect current 181 \"1011|Caja moneda nacional|R|A||||\"",
          "press 127", "expect current 181 \"1011|Caja moneda nacional|R|A||||\"", "press 240"});
    std::string text = testsupport::pdfText(sf.file("pdf/tapla.pdf"));
    EXPECT_NE(text.find("Caja moneda nacional"), std::string::npos) << text;
    EXPECT_LT(text.find("Efectivo y equivalentes"), text.find("Cuentas por pagar comerciales")) << text;
    const std::string xls = sf.file("PLANCTA.xls");
    ASSERT_TRUE(fs::exists(xls));
    EXPECT_EQ(sf.opened, (std::vector<std::string>{xls}));
    std::string sheet = testsupport::readXls(xls);
    for (const char* line : {"width 2 10240\n", "1,1 text 'Cuenta' Arial/B10 General\n",
                             "1,2 text 'Nombre' Arial/B10 General\n", "1,3 text 'N' Arial/B10 General\n",
                             "1,6 text 'Amarre Debe' Arial/B10 General\n", "1,8 text 'M.E.' Arial/B10 General\n",
                             "2,1 text '01        ' Arial/-10 General\n", "2,3 text 'B' Arial/-10 General\n",
                             "3,3 text 'R' Arial/-10 General\n"})
        EXPECT_NE(sheet.find(line), std::string::npos) << line << " in\n" << sheet;
}

}  // namespace

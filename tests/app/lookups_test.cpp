// The lookup family on a company made from the templates: each member accepts a valid
// code at once, opens its picker on another, searches incrementally, writes the picked
// code into the caller's field and puts the caller's table, order and record back.
#include <gtest/gtest.h>

#include <functional>

#include "masters/lookups.h"
#include "support.h"
#include "ui/patterns.h"

using masters::LookupView;
using store::Value;

namespace {

using app_test::trim;


using Lookup = std::function<bool(app::Context&, std::string&, LookupView)>;

class Lookups : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sf.openDemo());
        masters::lookupGlobals(sf.ctx) = {};  // a context at the address of an earlier one
    }

    // A caller's form: code field 173 (width `width`) validated by the lookup, name label
    // 174, a second field 177 to move to, OK and Cancela. Plays the lines and returns the
    // code the form held at the end.
    std::string play(const Lookup& lookup, int width, std::vector<std::string> lines) {
        std::string code(static_cast<std::size_t>(width), ' ');
        std::string other(5, ' ');
        ui::Dialog d("Prueba", "PRUEBA");
        d.edit(173, "Código", ui::bindText(code, width)).Valid([&] {
            ++validations;
            return lookup(sf.ctx, code, LookupView{&d, 173, 174});
        });
        d.label(174, "");
        d.edit(177, "Otro", ui::bindText(other, 5));
        ui::addAcceptCancel(d, {});
        sf.script(lines);
        ui::run(d);
        sf.backend().finish();
        EXPECT_TRUE(sf.backend().ok()) << sf.backend().failures().front();
        return code;
    }

    // Leaves the caller on `to`, order 1, record 3 and checks it is there afterwards.
    void placeCaller() {
        store::WorkArea& to = sf.ctx.store.select("to");
        to.setOrder(1);
        to.go(3);
    }
    void expectCallerBack() {
        ASSERT_TRUE(sf.ctx.store.hasCurrent());
        store::WorkArea& cur = sf.ctx.store.current();
        EXPECT_EQ(cur.alias(), "to");
        EXPECT_EQ(cur.order(), 1);
        EXPECT_EQ(cur.recno(), 3u);
    }

    masters::LookupGlobals& g() { return masters::lookupGlobals(sf.ctx); }

    app_test::StartFolder sf;
    int validations = 0;
};

Lookup plan(char kind, char slot) {
    return [kind, slot](app::Context& c, std::string& code, LookupView v) {
        return masters::HELPPLAN(c, code, v, kind, slot);
    };
}

TEST_F(Lookups, AnAcceptableAccountIsTakenAtOnceWithItsName) {
    placeCaller();
    std::string code = play(plan('2', '0'), 10,
                            {"type 4211 into 173", "focus 177", "expect 177 focused", "expect 174 holds \"No emitidas\"",
                             "press 175"});
    EXPECT_EQ(trim(code), "4211");
    EXPECT_EQ(trim(g().W_PLAN[0]), "4211");
    EXPECT_EQ(trim(g().P_TEXTO[0]), "No emitidas");
    EXPECT_EQ(g().WWCTA, "4211");
    EXPECT_EQ(g().WLARGO, 4);
    expectCallerBack();
}

TEST_F(Lookups, ATwoDigitAccountOfKind2ListsItsPostingAccountsAndThePickIsWritten) {
    placeCaller();
    std::string code = play(plan('2', '1'), 10,
                            {"type 42 into 173", "focus 177", "expect caption \"Selecion de Registros\"",
                             "expect row 1 of 181 \"4211|No emitidas|P\"", "expect row 2 of 181 \"421201|Emitidas M.N.|P\"",
                             "search 4212", "expect current 181 \"421201|Emitidas M.N.|P\"", "search 02",
                             "expect current 181 \"421202|Emitidas M.E.|P\"", "key Enter", "expect dialog Prueba",
                             "expect 173 focused", "expect 173 holds 421202", "expect 174 holds \"Emitidas M.E.\"",
                             "focus 177", "expect 177 focused", "press 175"});
    EXPECT_EQ(trim(code), "421202");
    EXPECT_EQ(trim(g().W_PLAN[1]), "421202");
    EXPECT_EQ(trim(g().P_TEXTO[1]), "Emitidas M.E.");
    EXPECT_EQ(validations, 2);
    expectCallerBack();
}

TEST_F(Lookups, Kinds) {
    // kind, typed code, accepted at once, first row of the picker otherwise
    struct Case {
        char kind;
        const char* typed;
        bool accepted;
        const char* firstRow;
    };
    const Case cases[] = {
        {'1', "4211", true, ""},
        {'1', "104101", false, ""},  // a bank account is not analysed by documents
        {'4', "104101", true, ""},
        {'4', "4211", false, "104101|Banco de Crédito del Perú M.N.|A"},  // every bank account, whatever was typed
        {'5', "42", true, ""},                                           // any level
        {'5', "9X", false, ""},                                          // nothing begins with it: empty picker
        {'2', "42", false, "4211|No emitidas|P"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, c.kind) + " " + c.typed);
        validations = 0;
        std::vector<std::string> lines = {"type " + std::string(c.typed) + " into 173", "focus 177"};
        if (c.accepted) {
            lines.push_back("expect 177 focused");
        } else {
            lines.push_back("expect caption \"Selecion de Registros\"");
            if (*c.firstRow)
                lines.push_back("expect row 1 of 181 \"" + std::string(c.firstRow) + "\"");
            lines.push_back("key Escape");
            lines.push_back("expect 173 focused");
        }
        lines.push_back("press 176");
        play(plan(c.kind, '2'), 10, lines);
    }
}


// One member of the family with the codes it is tried on.
struct MemberCase {
    const char* name;
    Lookup lookup;
    int width;
    const char* valid;      // accepted at once
    const char* label;      // what label 174 shows then ("" when the member writes no label)
    const char* unknown;    // opens the picker
    const char* firstRow;   // the picker's first row
    const char* search;     // typed in the picker
    const char* foundRow;   // the row the search reaches
    const char* picked;     // the code taken with Enter
    std::function<std::string(masters::LookupGlobals&)> global;  // where the member writes the code
};

std::vector<MemberCase> memberCases() {
    using masters::LookupGlobals;
    return {
        {"HELPPLAN2 1", [](app::Context& c, std::string& k, LookupView v) { return masters::HELPPLAN2(c, k, v, '1'); },
         10, "4211", "", "1011", "104101|Banco de Crédito del Perú M.N.|A", "4211", "4211|No emitidas|P", "4211",
         [](LookupGlobals& g) { return g.W_PLAN1X[0]; }},
        {"HELPPLAN2 8", [](app::Context& c, std::string& k, LookupView v) { return masters::HELPPLAN2(c, k, v, '8'); },
         10, "1011", "", "10", "1011|Caja moneda nacional|A", "1041", "104101|Banco de Crédito del Perú M.N.|A",
         "104101", [](LookupGlobals& g) { return g.W_PLAN1X[7]; }},
        {"HELPTO", masters::HELPTO, 2, "02", "VENTAS", "99", "01|COMPRAS", "5", "50|IMPORTACIONES", "50",
         [](LookupGlobals& g) { return g.W_TO + "|" + g.P_TO; }},
        {"HELPTO2 3", [](app::Context& c, std::string& k, LookupView v) { return masters::HELPTO2(c, k, v, '3'); }, 2,
         "03", "", "9", "01|COMPRAS", "02", "02|VENTAS", "02", [](LookupGlobals& g) { return g.W_ORIGEN[2]; }},
        {"HELPTD2", masters::HELPTD2, 2, "01", "", "ZZ", "00|Otros", "02", "02|Recibo por Honorarios", "02",
         [](LookupGlobals& g) { return g.W_DOC; }},
        {"HELPMPAGO", masters::HELPMPAGO, 3, "001", "", "ZZZ", "001|Depósito en cuenta", "003",
         "003|Transferencia de fondos", "003", [](LookupGlobals& g) { return g.W_MPAGO; }},
        {"HELPFB 1", [](app::Context& c, std::string& k, LookupView v) { return masters::HELPFB(c, k, v, "1"); }, 4,
         "A101", "Efectivo y equivalentes de efectivo", "A1", "A100|ACTIVO CORRIENTE", "A102",
         "A102|Inversiones financieras", "A102", [](LookupGlobals& g) { return g.W_FB + "|" + g.P_FB; }},
        {"HELPFB 2", [](app::Context& c, std::string& k, LookupView v) { return masters::HELPFB(c, k, v, "2"); }, 4,
         "A101", "Efectivo y equivalentes de efectivo", "A1", "A100|ACTIVO CORRIENTE", "A102",
         "A102|Cuentas por cobrar comerciales", "A102",  // 30 characters of the name
         [](LookupGlobals& g) { return g.W_FB + "|" + g.P_FB; }},
        {"HELPFE", masters::HELPFE, 4, "O001", "Cobranza de venta de bienes y prestación de servicios", "I9",
         "I999|AUMENTO (DISMINUCIÓN) DEL EFEC", "I", "I999|AUMENTO (DISMINUCIÓN) DEL EFEC", "I999",
         [](LookupGlobals& g) { return g.W_FE; }},
    };
}

TEST_F(Lookups, EveryMemberAcceptsAValidCodeAndPicksAnother) {
    for (const MemberCase& m : memberCases()) {
        SCOPED_TRACE(m.name);
        masters::lookupGlobals(sf.ctx) = {};
        placeCaller();
        std::vector<std::string> accept = {"type " + std::string(m.valid) + " into 173", "focus 177", "expect 177 focused"};
        if (*m.label) accept.push_back("expect 174 holds \"" + std::string(m.label) + "\"");
        accept.push_back("press 175");
        EXPECT_EQ(trim(play(m.lookup, m.width, accept)), m.valid);
        std::string written = m.global(g());
        EXPECT_EQ(trim(written.substr(0, written.find('|'))), m.valid);
        expectCallerBack();

        placeCaller();
        std::string code = play(m.lookup, m.width,
                                {"type " + std::string(m.unknown) + " into 173", "focus 177",
                                 "expect caption \"Selecion de Registros\"",
                                 "expect row 1 of 181 \"" + std::string(m.firstRow) + "\"", "search " + std::string(m.search),
                                 "expect current 181 \"" + std::string(m.foundRow) + "\"", "key Enter",
                                 "expect 173 focused", "expect 173 holds " + std::string(m.picked), "focus 177",
                                 "expect 177 focused", "press 175"});
        EXPECT_EQ(trim(code), m.picked);
        written = m.global(g());
        EXPECT_EQ(trim(written.substr(0, written.find('|'))), m.picked);
        expectCallerBack();
        // Escape in the picker takes nothing and the field keeps its text
        placeCaller();
        code = play(m.lookup, m.width,
                    {"type " + std::string(m.unknown) + " into 173", "focus 177", "key Escape", "expect 173 focused",
                     "press 176"});
        EXPECT_EQ(trim(code), m.unknown);
        expectCallerBack();
    }
}

TEST_F(Lookups, TheNamesTheMembersWrite) {
    // a pick writes the document type's name too, an accepted code does not
    play(masters::HELPTD2, 2, {"type 01 into 173", "focus 177", "press 175"});
    EXPECT_EQ(g().R_TD, "");
    play(masters::HELPTD2, 2, {"type 9 into 173", "focus 177", "search 01", "key Enter", "press 176"});
    EXPECT_EQ(trim(g().R_TD), "Factura");
    // the origin name goes to P_TO and the label
    play(masters::HELPTO, 2, {"type 9 into 173", "focus 177", "search 07", "key Enter", "expect 174 holds PLANILLAS",
                              "press 176"});
    EXPECT_EQ(trim(g().P_TO), "PLANILLAS");
}

TEST_F(Lookups, FormatLinesBeginningWithRAreNotLookedUp) {
    placeCaller();
    EXPECT_EQ(trim(play([](app::Context& c, std::string& k, LookupView v) { return masters::HELPFB(c, k, v, "1"); }, 4,
                        {"type R999 into 173", "focus 177", "expect 177 focused", "press 175"})),
              "R999");
    EXPECT_EQ(g().W_FB, "");
    expectCallerBack();
}

TEST_F(Lookups, ABlankCashFlowCodeListsTheOperatingInvestingAndFinancingLines) {
    play(masters::HELPFE, 4,
         {"focus 177", "expect row 1 of 181 \"F101|Obtención de préstamos\"", "key End",
          "expect current 181 \"O999|AUMENTO (DISMINUCIÓN) DEL EFEC\"", "search C", "key Enter",
          "expect 173 holds O999", "press 176"});
}

class CounterpartyLookups : public Lookups {
protected:
    void SetUp() override {
        Lookups::SetUp();
        // code, business name, CIUDAD (credit days in its first two characters)
        const char* rows[][3] = {{"20100070970", "SUPERMERCADOS PERUANOS S.A.", "30LIMA"},
                                 {"10456789012", "alvarez perez juan", "  AREQUIPA"},
                                 {"20512345678", "BANCO EJEMPLO SAC", "15"}};
        store::WorkArea& pc = sf.ctx.store.select("pc");
        for (auto& r : rows) {
            ASSERT_TRUE(pc.appendBlank());
            pc.put("RUT", Value(std::string(r[0])));
            pc.put("CODIGO", Value(std::string(r[0])));
            pc.put("RS", Value(std::string(r[1])));
            pc.put("CIUDAD", Value(std::string(r[2])));
            pc.unlock();
        }
        placeCaller();
    }
};

TEST_F(CounterpartyLookups, AKnownCodeIsTakenAndLeavesPcSelected) {
    std::string code = play(masters::HELPRUC, 11,
                            {"type 20512345678 into 173", "focus 177", "expect 177 focused",
                             "expect 174 holds \"BANCO EJEMPLO SAC\"", "press 175"});
    EXPECT_EQ(code, "20512345678");
    EXPECT_EQ(g().W_RUT, "20512345678");
    EXPECT_EQ(trim(g().R_TEXTO), "BANCO EJEMPLO SAC");
    EXPECT_EQ(sf.ctx.store.current().alias(), "pc");
    EXPECT_EQ(sf.ctx.store.current().order(), 1);
    EXPECT_EQ(trim(sf.ctx.store.current().text("RUT")), "20512345678");
}

TEST_F(CounterpartyLookups, ThePickerListsByCodeOrByNameOrEverything) {
    // typed text, first row, rows listed
    struct Case {
        const char* typed;
        const char* firstRow;
        const char* secondRow;
    };
    const Case cases[] = {
        {"205", "20512345678|20512345678|BANCO EJEMPLO SAC", "(no hay fila 2)"},
        {"20", "20100070970|20100070970|SUPERMERCADOS PERUANOS S.A.", "20512345678|20512345678|BANCO EJEMPLO SAC"},
        {"alv", "10456789012|10456789012|alvarez perez juan", "(no hay fila 2)"},  // upper-cased, by name
        {"\" x\"", "10456789012|10456789012|alvarez perez juan", "20512345678|20512345678|BANCO EJEMPLO SAC"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        play(masters::HELPRUC, 11,
             {"type " + std::string(c.typed) + " into 173", "focus 177", "expect caption \"Selecion de Registros\"",
              "expect row 1 of 181 \"" + std::string(c.firstRow) + "\"",
              "expect row 2 of 181 \"" + std::string(c.secondRow) + "\"", "key Escape", "press 176"});
    }
    // by name the search goes over the upper-cased names
    std::string code = play(masters::HELPRUC, 11,
                            {"type \" \" into 173", "focus 177", "search su", "expect current 181 "
                             "\"20100070970|20100070970|SUPERMERCADOS PERUANOS S.A.\"", "key Enter",
                             "expect 173 holds 20100070970", "focus 177", "expect 177 focused", "press 175"});
    EXPECT_EQ(code, "20100070970");
}

TEST_F(CounterpartyLookups, TheCreditDaysGiveTheDueDate) {
    const store::Date d = *store::Date::fromYmd(2026, 3, 10);
    struct Case {
        std::vector<std::string> lines;
        store::Date due;
    };
    const Case cases[] = {
        {{"type 20100070970 into 173", "focus 177", "press 175"}, d.addDays(30)},                // found
        {{"type 2051 into 173", "focus 177", "key Enter", "press 176"}, d.addDays(15)},         // picked
        {{"type 10456789012 into 173", "focus 177", "press 175"}, store::Date()},               // no days
    };
    for (const Case& c : cases) {
        g().WFECHAD = d;
        g().WFECHAV = store::Date();
        play([](app::Context& ctx, std::string& k, LookupView v) { return masters::HELPRUCM(ctx, k, v, 0); }, 11,
             c.lines);
        EXPECT_EQ(g().WFECHAV, c.due);
    }
}

TEST_F(CounterpartyLookups, AnAsteriskOpensTheNewCounterpartyForm) {
    int n = 0;
    for (const Lookup& l : {Lookup(masters::HELPRUCN),
                            Lookup([](app::Context& c, std::string& k, LookupView v) {
                                return masters::HELPRUCM(c, k, v, 0);
                            })}) {
        const std::string rut = "2060000000" + std::to_string(++n);
        std::string code = play(l, 11,
                                {"type * into 173", "focus 177", "expect dialog DatosPc", "type " + rut + " into 173",
                                 "focus 177", "type \"NUEVO PROVEEDOR\" into 177", "press 175", "expect dialog Prueba",
                                 "expect 173 focused", "expect 173 holds " + rut,
                                 "expect 174 holds \"NUEVO PROVEEDOR\"", "focus 177", "expect 177 focused", "press 175"});
        EXPECT_EQ(code, rut);
        EXPECT_EQ(g().W_RUT, rut);
    }
}

}  // namespace

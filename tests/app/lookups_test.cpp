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

std::string trim(std::string s) {
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

using Lookup = std::function<bool(app::Context&, std::string&, LookupView)>;

class Lookups : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sf.openDemo()); }

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

}  // namespace

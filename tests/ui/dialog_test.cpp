// A small form driven through the neutral layer: VALID keeps the focus, WHEN
// follows the values, pictures shape what is shown and read, Escape and the
// cancel button skip VALID.
#include <gtest/gtest.h>

#include "ui/dialog.h"
#include "ui/keys.h"

using namespace ui;

namespace {

std::string shown(const Dialog& d, int id) {
    std::string t = d.text(id);
    while (!t.empty() && t.back() == ' ') t.pop_back();
    return t;
}

struct Form {
    std::string code = std::string(10, ' ');
    std::string name = std::string(30, ' ');
    std::string level = "1";
    store::Decimal rate;
    store::Date date;
    int month = 1;
    int kind = 2;
    bool dollars = false, soles = false;
    std::vector<std::string> existing = {"10        ", "42        "};
    Dialog d{"DatosPlan", "MANTENIMIENTO PLAN DE CUENTAS"};

    Form() {
        d.edit(173, "Cuenta Contable", bindText(code, 10))
            .Valid([this] { return keys::lastEscape() || std::find(existing.begin(), existing.end(), code) == existing.end(); });
        d.edit(177, "", bindText(name, 30), "@!").When([this] { return code != std::string(10, ' '); });
        d.radio(191, "Nivel de Cuenta",
                {{191, "Balance", store::Value("1")}, {192, "Sub-Cuenta", store::Value("2")}, {193, "Registro", store::Value("3")}},
                bindText(level, 1))
            .When([this] { return code != std::string(10, ' '); });
        d.check(121, "Ajuste", bindLogic(dollars)).When([this] { return level == "3" && !soles; });
        d.check(122, "Conversión", bindLogic(soles)).When([this] { return level == "3" && !dollars; });
        d.edit(183, "Tipo de Cambio", bindNum(rate, 10, 5), "99.999");
        d.edit(179, "Fecha", bindDate(date));
        d.spinner(174, "Mes", bindInt(month, 2), 0, 13, "99");
        d.combo(180, "Tipo", {"Uno", "Dos", "Tres"}, bindInt(kind, 1));
        d.button(175, "OK", [this] { d.end(175); });
        d.button(176, "Cancela").cancel = true;
        d.initialFocus(173);
        d.start();
    }
};

TEST(Dialog, ValidRefusesAndKeepsTheFocus) {
    Form f;
    EXPECT_EQ(f.d.focused(), 173);
    EXPECT_FALSE(f.d.enabled(177));  // no code yet
    f.d.type(173, "42");
    EXPECT_FALSE(f.d.moveFocus(177));  // a repeated code
    EXPECT_EQ(f.d.focused(), 173);
    EXPECT_FALSE(f.d.press(175));  // nor does OK get past it
    EXPECT_FALSE(f.d.ended());
    f.d.type(173, "104");
    EXPECT_TRUE(f.d.moveFocus(177));
    EXPECT_EQ(f.code, "104       ");
    EXPECT_TRUE(f.d.enabled(177));  // WHEN follows the new value
}

TEST(Dialog, CancelAndTheCloseControlSkipValidAndCountAsEscape) {
    Form f;
    f.d.type(173, "42");
    EXPECT_TRUE(f.d.press(176));
    EXPECT_TRUE(f.d.ended());
    EXPECT_EQ(f.d.result(), 176);
    EXPECT_TRUE(keys::lastEscape());
    Form g;
    g.d.type(173, "10");
    EXPECT_TRUE(g.d.close());
    EXPECT_EQ(g.d.result(), 0);
    EXPECT_TRUE(keys::lastEscape());
    Form h;
    h.d.canClose = [] { return false; };
    EXPECT_FALSE(h.d.close());
    EXPECT_FALSE(h.d.ended());
}

TEST(Dialog, InterlockedCheckBoxesAndRadioGroups) {
    Form f;
    f.d.type(173, "104101");
    EXPECT_FALSE(f.d.enabled(121));  // level Balance
    EXPECT_TRUE(f.d.press(193));
    EXPECT_EQ(f.level, "3");
    EXPECT_EQ(f.d.selected(191), 2);
    EXPECT_TRUE(f.d.enabled(121));
    EXPECT_TRUE(f.d.enabled(122));
    EXPECT_TRUE(f.d.press(121));
    EXPECT_TRUE(f.dollars);
    EXPECT_FALSE(f.d.enabled(122));  // each only while the other is unticked
    EXPECT_FALSE(f.d.press(122));
    EXPECT_TRUE(f.d.press(121));
    EXPECT_TRUE(f.d.enabled(122));
}

TEST(Dialog, PicturesShapeInputAndDisplay) {
    Form f;
    f.d.type(173, "1041");
    f.d.type(177, "banco de crédito");
    EXPECT_EQ(shown(f.d, 177), "BANCO DE CRÉDITO");  // @! upper-cases, accents included
    f.d.type(183, "2.85567");
    EXPECT_TRUE(f.d.moveFocus(179));
    EXPECT_EQ(f.rate, store::Decimal::of("2.856"));  // three decimals through the picture
    EXPECT_EQ(f.d.text(183), " 2.856");
    f.d.type(179, "31/02/2012");
    EXPECT_FALSE(f.d.moveFocus(174));
    EXPECT_EQ(f.d.lastRefusal(), "Fecha inválida");
    f.d.type(179, "15/01/12");
    EXPECT_TRUE(f.d.moveFocus(174));
    EXPECT_EQ(f.d.text(179), "15/01/2012");
    f.d.type(174, "20");  // a number outside the spinner's range is refused
    EXPECT_FALSE(f.d.moveFocus(180));
    EXPECT_EQ(f.d.lastRefusal(), "El valor debe estar entre 0 y 13");
    f.d.type(174, "13");
    EXPECT_TRUE(f.d.moveFocus(180));
    EXPECT_EQ(f.month, 13);
    EXPECT_TRUE(f.d.choose(180, 2));
    EXPECT_EQ(f.kind, 3);
    EXPECT_EQ(f.d.text(180), "Tres");
}

TEST(Dialog, RefreshShowsWhatALookupWrote) {
    Form f;
    f.name = std::string("CAJA") + std::string(26, ' ');
    EXPECT_EQ(shown(f.d, 177), "");
    f.d.refresh(177);
    EXPECT_EQ(shown(f.d, 177), "CAJA");
    f.d.show(183, false);
    EXPECT_FALSE(f.d.visible(183));
    EXPECT_THROW(f.d.at(999), std::out_of_range);
}

}  // namespace

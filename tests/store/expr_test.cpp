#include "store/expr.h"

#include <gtest/gtest.h>

#include "helpers.h"
#include "store/store.h"

using namespace store;
using testing_support::TempDir;

namespace {

TEST(TextComparison, EqualsIsAPrefixRuleWithTrailingBlanksSignificant) {
    struct Case {
        const char* a;
        const char* b;
        bool prefixEq;
        bool exactEq;
    } cases[] = {
        {"10411", "104", true, false}, {"104", "10411", false, false}, {"anything", "", true, false},
        {"", "x", false, false},       {"          ", "          ", true, true},
        {"10        ", "          ", false, false},  // a blank 10-character field only
        {"104  ", "104", true, true},  // exact ignores trailing blanks on both sides
        {"104", "104  ", false, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(textEquals(c.a, c.b, false), c.prefixEq) << "'" << c.a << "' = '" << c.b << "'";
        EXPECT_EQ(textEquals(c.a, c.b, true), c.exactEq) << "exact '" << c.a << "' = '" << c.b << "'";
    }
}

TEST(TextComparison, OrderingFollowsThePrefixRule) {
    // an upper bound 19 admits every account that begins with 19
    EXPECT_LE(textCompare("1911      ", "19", false), 0);
    EXPECT_GT(textCompare("2011      ", "19", false), 0);
    EXPECT_LT(textCompare("19", "1911", false), 0);  // the shorter is less when it is a prefix
    EXPECT_EQ(textCompare("1911", "19", false), 0);
    EXPECT_LT(textCompare("A", "B", false), 0);
    EXPECT_GT(textCompare("\xe1", "z", false), 0);  // bytes compare unsigned
}

class ExprOverTable : public ::testing::Test {
protected:
    void SetUp() override {
        Store::createTable(dir.file("t"), {{"CUENTA", Type::Char, 10, 0},
                                           {"VOU", Type::Num, 4, 0},
                                           {"DEBE", Type::Num, 17, 2},
                                           {"FECHA", Type::Date, 8, 0},
                                           {"OK", Type::Logic, 1, 0},
                                           {"MESC", Type::Char, 2, 0},
                                           {"RUT", Type::Char, 11, 0},
                                           {"RS", Type::Char, 20, 0}});
        a = s.use(dir.file("t"), "t", false);
        a->appendBlank();
        a->put("cuenta", Value("104101"));
        a->put("vou", Value(7));
        a->put("debe", Value(Decimal::of("1250.5")));
        a->put("fecha", Value(*Date::fromYmd(2012, 3, 9)));
        a->put("ok", Value(true));
        a->put("rut", Value("20100070970"));
        a->put("rs", Value("Acme sac"));
        a->commit();
    }
    Value eval(const std::string& text) { return a->compile(text).eval(); }

    TempDir dir;
    Store s;
    WorkArea* a = nullptr;
};

TEST_F(ExprOverTable, EvaluatesTheKeyAndConditionForms) {
    EXPECT_EQ(eval("cuenta+str(vou,4)").text(), "104101       7");
    EXPECT_EQ(eval("rut+dtos(fecha)").text(), "2010007097020120309");
    EXPECT_EQ(eval("upper(rs)").text(), "ACME SAC            ");
    // Windows-1252 letters: "peña ñandú"
    EXPECT_EQ(eval("upper('pe\xF1" "a \xF1" "and\xFA')").text(), "PE\xD1" "A \xD1" "AND\xDA");
    EXPECT_EQ(eval("str(debe,10,2)").text(), "   1250.50");
    EXPECT_EQ(eval("str(debe,3)").text(), "***");
    EXPECT_EQ(eval("str(vou)").text(), "   7");  // a field alone keeps its width
    EXPECT_TRUE(eval("RUT # SPACE(11)  .AND. mesc=\"  \"").logic());
    EXPECT_FALSE(eval("rut = space(11)").logic());
    EXPECT_TRUE(eval("cuenta = '104'").logic());
    EXPECT_FALSE(eval("cuenta == '104'").logic());
    EXPECT_TRUE(eval("cuenta == '104101    '").logic());
    EXPECT_TRUE(eval("cuenta != '20' .and. cuenta <> '20' .and. !(cuenta = '20')").logic());
    EXPECT_TRUE(eval("fecha = ctod('09/03/12')").logic());
    EXPECT_TRUE(eval("fecha > ctod('08/03/2012') .and. fecha <= ctod('09/03/2012')").logic());
    EXPECT_TRUE(eval("debe / 0 = 0").logic());  // division by zero gives 0
    EXPECT_TRUE(eval("debe * 2 = 2501").logic());
    EXPECT_TRUE(eval("ok .and. .not. .f. .or. .F.").logic());
    EXPECT_EQ(eval("substr(cuenta,3,2)+left(rs,4)").text(), "41Acme");
    EXPECT_EQ(eval("trim(rs)+'|'").text(), "Acme sac|");
    EXPECT_EQ(eval("t->cuenta").text(), "104101    ");
    EXPECT_EQ(eval("dtos(fecha+30)").text(), "20120408");
    EXPECT_EQ(eval("iif(vou>5,'big','low')").text(), "big");
    EXPECT_TRUE(eval("'41' $ cuenta").logic());
    EXPECT_EQ(eval("recno()").num(), Decimal(1));
    EXPECT_FALSE(eval("deleted()").logic());
}

TEST_F(ExprOverTable, TheExactSettingChangesEquals) {
    Expr e = a->compile("cuenta = '104'");
    EXPECT_TRUE(e.test());
    s.settings().exact = true;
    EXPECT_FALSE(e.test());
    EXPECT_TRUE(a->compile("cuenta = '104101'").test());
}

TEST_F(ExprOverTable, MalformedExpressionsNameTheExpressionAndTable) {
    const char* bad[] = {"cuenta +",         "nofield = 'x'",  "cuenta = 5",   "str(cuenta,4)", "upper(vou)",
                         "'unterminated",    "cuenta .xor. 1", "vou + 'a'",    "(cuenta",       "frob(cuenta)",
                         "cuenta = 'a' .and. vou", "",         "nope->cuenta", "str(vou, vou)"};
    for (const char* text : bad) {
        try {
            a->compile(text);
            ADD_FAILURE() << "accepted: " << text;
        } catch (const StoreError& e) {
            EXPECT_EQ(e.kind(), ErrorKind::Expression) << text;
            EXPECT_NE(std::string(e.what()).find(dir.file("t.dbf")), std::string::npos) << e.what();
            if (*text) {
                EXPECT_NE(std::string(e.what()).find(text), std::string::npos) << e.what();
            }
        }
    }
}

TEST_F(ExprOverTable, PhantomRecordReadsEmptyValues) {
    a->goBottom();
    a->skip(1);
    ASSERT_TRUE(a->eof());
    EXPECT_EQ(eval("cuenta").text(), "          ");
    EXPECT_EQ(eval("vou").num(), Decimal(0));
    EXPECT_TRUE(eval("fecha").date().isEmpty());
    EXPECT_FALSE(eval("ok").logic());
    EXPECT_EQ(eval("dtos(fecha)").text(), "        ");
}

TEST(NumericKeys, SortLikeTheirValues) {
    std::vector<Decimal> values = {Decimal::of("-100"), Decimal::of("-9.5"), Decimal::of("-1"), Decimal(0),
                                   Decimal::of("0.01"), Decimal::of("5"),    Decimal::of("120.75")};
    for (std::size_t i = 1; i < values.size(); ++i)
        EXPECT_LT(numericKey(values[i - 1], 10, 2), numericKey(values[i], 10, 2)) << values[i].toString();
}

}  // namespace

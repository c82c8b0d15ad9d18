#include <gtest/gtest.h>

#include "helpers.h"
#include "store/store.h"

using namespace store;
using testing_support::TempDir;

namespace {

class Accounts : public ::testing::Test {
protected:
    void SetUp() override {
        testing_support::makeAccounts(dir.file("zdr_plan"), {{"42", "CUENTAS POR PAGAR"},
                                                             {"10", "CAJA Y BANCOS"},
                                                             {"1041", "CUENTAS CORRIENTES"},
                                                             {"104101", "BANCO UNO"},
                                                             {"104102", "BANCO DOS"},
                                                             {"12", "CUENTAS POR COBRAR"},
                                                             {"101", "CAJA"}});
        plan = s.use(dir.file("zdr_plan"), "plan", false);
        plan->createIndex(dir.file("plan1"), "cuenta");
        plan->createIndex(dir.file("plan2"), "bd");
        plan->setOrder(1);
    }
    std::vector<std::string> walk(WorkArea& a) {
        std::vector<std::string> out;
        for (a.goTop(); !a.eof(); a.skip()) out.push_back(trim(a.text("cuenta")));
        return out;
    }
    static std::string trim(std::string s) {
        while (!s.empty() && s.back() == ' ') s.pop_back();
        return s;
    }
    void edit(WorkArea& a, const char* field, const Value& v) {
        ASSERT_TRUE(a.recLock());
        a.put(field, v);
        a.unlock();
    }

    TempDir dir;
    Store s;
    WorkArea* plan = nullptr;
};

using V = std::vector<std::string>;

TEST_F(Accounts, SeekFindsTheFirstKeyWithThatPrefix) {
    EXPECT_TRUE(plan->seek("10"));
    EXPECT_EQ(trim(plan->text("cuenta")), "10");
    EXPECT_TRUE(plan->seek("104"));
    EXPECT_EQ(trim(plan->text("cuenta")), "1041");
    EXPECT_TRUE(plan->seek("10        "));  // trailing blanks significant: only 10 itself
    EXPECT_EQ(trim(plan->text("cuenta")), "10");
    EXPECT_FALSE(plan->seek("1042      "));
    EXPECT_TRUE(plan->eof());  // soft seek off: end of file, fields empty
    EXPECT_EQ(plan->text("cuenta"), "          ");
    EXPECT_EQ(plan->recno(), 8u);  // the phantom record after the last
}

TEST_F(Accounts, SoftSeekStopsOnTheNextGreaterKey) {
    s.settings().softSeek = true;
    EXPECT_FALSE(plan->seek("1042"));
    EXPECT_FALSE(plan->eof());  // only the found flag tells failure then
    EXPECT_EQ(trim(plan->text("cuenta")), "12");
    EXPECT_FALSE(plan->seek("99"));
    EXPECT_TRUE(plan->eof());
    EXPECT_FALSE(plan->seek("1042", false));  // an explicit exact seek whatever the setting
    EXPECT_TRUE(plan->eof());
}

TEST_F(Accounts, NavigationAndThePhantomRecord) {
    EXPECT_EQ(walk(*plan), (V{"10", "101", "1041", "104101", "104102", "12", "42"}));
    plan->setOrder(0);
    EXPECT_EQ(walk(*plan), (V{"42", "10", "1041", "104101", "104102", "12", "101"}));
    plan->setOrder("PLAN1");
    plan->goBottom();
    EXPECT_EQ(trim(plan->text("cuenta")), "42");
    plan->skip(1);
    EXPECT_TRUE(plan->eof());
    EXPECT_EQ(plan->text("nombre"), std::string(30, ' '));
    EXPECT_EQ(plan->num("debe01"), Decimal(0));
    plan->skip(-1);  // back from the phantom record to the last one
    EXPECT_EQ(trim(plan->text("cuenta")), "42");
    plan->goTop();
    plan->skip(-1);
    EXPECT_TRUE(plan->bof());
    EXPECT_FALSE(plan->eof());
    EXPECT_EQ(trim(plan->text("cuenta")), "10");  // stays on the first
    plan->skip(3);
    EXPECT_EQ(trim(plan->text("cuenta")), "104101");
    plan->skip(-2);
    EXPECT_EQ(trim(plan->text("cuenta")), "101");
    plan->skip(100);
    EXPECT_TRUE(plan->eof());
    plan->go(2);
    EXPECT_EQ(trim(plan->text("cuenta")), "10");
    plan->go(99);
    EXPECT_TRUE(plan->eof());
}

TEST_F(Accounts, DeletedRecordsAreHiddenButCounted) {
    plan->seek("1041");
    edit(*plan, "cuenta", Value("1041"));  // a write that keeps the key
    ASSERT_TRUE(plan->recLock());
    plan->markDeleted();
    plan->unlock();
    EXPECT_FALSE(plan->seek("1041      "));
    EXPECT_EQ(walk(*plan), (V{"10", "101", "104101", "104102", "12", "42"}));
    EXPECT_EQ(plan->recCount(), 7u);
    int visits = 0;
    plan->forEach([&] { ++visits; });
    EXPECT_EQ(visits, 6);
    plan->setOrder(0);
    plan->goBottom();
    EXPECT_EQ(trim(plan->text("cuenta")), "101");
    s.settings().deletedHidden = false;
    EXPECT_TRUE(plan->locate("cuenta = '1041 '"));
    EXPECT_TRUE(plan->deleted());
}

TEST_F(Accounts, ScopesRestrictTheControllingOrder) {
    plan->setScopeTop(Value("104"));
    plan->setScopeBottom(Value("104"));
    EXPECT_EQ(walk(*plan), (V{"1041", "104101", "104102"}));
    plan->goBottom();
    EXPECT_EQ(trim(plan->text("cuenta")), "104102");
    EXPECT_FALSE(plan->seek("12"));
    EXPECT_TRUE(plan->eof());
    plan->setScopeTop(Value("11"));
    plan->setScopeBottom(Value("19"));
    EXPECT_EQ(walk(*plan), (V{"12"}));
    plan->setScopeTop(Value("5"));
    plan->setScopeBottom(Value("9"));
    plan->goTop();
    EXPECT_TRUE(plan->eof());
    plan->clearScopes();
    EXPECT_EQ(walk(*plan).size(), 7u);
}

TEST_F(Accounts, FilterAndLocate) {
    plan->setFilter("bd = '3'");
    EXPECT_EQ(walk(*plan), (V{"101", "1041", "104101", "104102"}));
    EXPECT_TRUE(plan->seek("10"));  // a seek respects the filter
    EXPECT_EQ(trim(plan->text("cuenta")), "101");
    plan->clearFilter();
    EXPECT_TRUE(plan->locate("nombre = 'BANCO'"));
    EXPECT_EQ(trim(plan->text("cuenta")), "104101");
    EXPECT_TRUE(plan->found());
    EXPECT_FALSE(plan->locate("nombre = 'NADA'"));
    EXPECT_TRUE(plan->eof());
    EXPECT_FALSE(plan->found());
}

TEST_F(Accounts, AWriteMovesTheEntryAndTheRecordStaysCurrent) {
    plan->seek("42");
    edit(*plan, "cuenta", Value("11"));
    EXPECT_EQ(trim(plan->text("cuenta")), "11");
    plan->skip();
    EXPECT_EQ(trim(plan->text("cuenta")), "12");  // continues from the new position
    EXPECT_EQ(walk(*plan), (V{"10", "101", "1041", "104101", "104102", "11", "12"}));
    EXPECT_EQ(plan->checkOrder(1), "");
    EXPECT_EQ(plan->checkOrder(2), "");
}

TEST_F(Accounts, RelationsPositionTheChildByAnExactSeek) {
    Store::createTable(dir.file("vou"), {{"CUENTA", Type::Char, 10, 0}, {"DEBE", Type::Num, 17, 2}});
    WorkArea* vou = s.use(dir.file("vou"), "vou", false);
    for (const char* c : {"104101", "99", "10"}) {
        vou->appendBlank();
        vou->put("cuenta", Value(c));
    }
    vou->setRelation("plan", "vou->Cuenta");
    vou->goTop();
    EXPECT_EQ(trim(plan->text("nombre")), "BANCO UNO");
    vou->skip();
    EXPECT_TRUE(plan->eof());  // absent child key: the name reads blank
    EXPECT_EQ(plan->text("nombre"), std::string(30, ' '));
    vou->skip();
    EXPECT_EQ(trim(plan->text("nombre")), "CAJA Y BANCOS");  // exact: "10" + blanks, not 101
}

TEST_F(Accounts, EvaluateInAndReadFieldOfAnotherAlias) {
    Store::createTable(dir.file("other"), {{"X", Type::Char, 1, 0}});
    s.use(dir.file("other"), "other", false);
    EXPECT_EQ(s.current().alias(), "other");
    int order = s.in("plan", [](WorkArea& a) {
        a.setOrder(2);
        return a.order();
    });
    EXPECT_EQ(order, 2);
    EXPECT_EQ(s.current().alias(), "other");
    EXPECT_EQ(s.area("plan").order(), 2);
    EXPECT_THROW(s.select("nosuch"), StoreError);
}

TEST_F(Accounts, ExistenceCheckRestoresTheCallersOrder) {
    plan->setOrder(2);
    s.select("plan");
    EXPECT_TRUE(F_BUSCA(s, "plan", 1, Value("104102")));
    EXPECT_EQ(plan->order(), 2);
    EXPECT_FALSE(F_BUSCA(s, "plan", 1, Value("105")));
    EXPECT_EQ(s.current().alias(), "plan");
}

TEST_F(Accounts, PackRenumbersAndRebuildsTheOrders) {
    s.closeAll();
    plan = s.use(dir.file("zdr_plan"), "plan", false);
    plan->attachIndex(dir.file("plan1"));
    plan->attachIndex(dir.file("PLAN2"));  // any case finds the file
    plan->seek("10");
    plan->markDeleted();
    plan->seek("12");
    plan->markDeleted();
    plan->pack();
    EXPECT_EQ(plan->recCount(), 5u);
    plan->setOrder(0);
    std::vector<std::pair<std::uint32_t, std::string>> got;
    for (plan->goTop(); !plan->eof(); plan->skip()) got.push_back({plan->recno(), trim(plan->text("cuenta"))});
    EXPECT_EQ(got, (std::vector<std::pair<std::uint32_t, std::string>>{
                       {1, "42"}, {2, "1041"}, {3, "104101"}, {4, "104102"}, {5, "101"}}));
    EXPECT_EQ(plan->checkOrder(1), "");
    EXPECT_EQ(plan->checkOrder(2), "");
    plan->zap();
    EXPECT_EQ(plan->recCount(), 0u);
    plan->setOrder(1);
    plan->goTop();
    EXPECT_TRUE(plan->eof());
}

TEST_F(Accounts, PackNeedsExclusiveUse) {
    s.closeAll();
    plan = s.use(dir.file("zdr_plan"), "plan", true);
    try {
        plan->pack();
        ADD_FAILURE();
    } catch (const StoreError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Exclusive);
    }
}

TEST_F(Accounts, AppendFromCopiesSameNamedFieldsOfLiveRecords) {
    plan->seek("12");
    plan->markDeleted();
    Store::createTable(dir.file("copy"), {{"CUENTA", Type::Char, 6, 0},  // narrower: texts cut
                                          {"DEBE01", Type::Num, 17, 2},
                                          {"EXTRA", Type::Char, 3, 0}});
    s.close("plan");
    WorkArea* copy = s.use(dir.file("copy"), "copy", false);
    copy->appendFrom(dir.file("zdr_plan"), "bd = '3' .or. cuenta = '12'");
    copy->setOrder(0);
    V got;
    for (copy->goTop(); !copy->eof(); copy->skip()) {
        got.push_back(std::string(copy->text("cuenta")));
        EXPECT_EQ(copy->text("extra"), "   ");
    }
    EXPECT_EQ(got, (V{"1041  ", "104101", "104102", "101   "}));  // 12 was deleted
}

TEST_F(Accounts, ForConditionsLetRecordsEnterAndLeaveAnOrder) {
    Store::createTable(dir.file("zdr_vou"), {{"CUENTA", Type::Char, 10, 0},
                                             {"RUT", Type::Char, 11, 0},
                                             {"DOC", Type::Char, 2, 0},
                                             {"NUMERO", Type::Char, 20, 0},
                                             {"MESC", Type::Char, 2, 0}});
    WorkArea* vou = s.use(dir.file("zdr_vou"), "vou", false);
    vou->createIndex(dir.file("V11"), "cuenta+rut+doc+numero", "RUT # SPACE(11)  .AND. mesc=\"  \"");
    for (const char* rut : {"20100070970", "", "10412345678"}) {
        vou->appendBlank();
        vou->put("cuenta", Value("421201"));
        vou->put("rut", Value(rut));
    }
    vou->setOrder(1);
    auto count = [&] {
        int n = 0;
        for (vou->goTop(); !vou->eof(); vou->skip()) ++n;
        return n;
    };
    EXPECT_EQ(count(), 2);  // the line without a counterparty is not in the order
    vou->goTop();
    ASSERT_TRUE(vou->recLock());
    vou->put("mesc", Value("03"));  // cancelled: leaves the order at once
    vou->unlock();
    EXPECT_EQ(count(), 1);
    vou->setOrder(0);
    vou->go(2);
    vou->put("rut", Value("20999999999"));  // enters it
    vou->setOrder(1);
    EXPECT_EQ(count(), 2);
    EXPECT_EQ(vou->checkOrder(1), "");
    // a reopened index keeps its FOR condition
    s.close("vou");
    vou = s.use(dir.file("zdr_vou"), "vou", false);
    vou->attachIndex(dir.file("v11"));
    EXPECT_EQ(vou->orderFor(1), "RUT # SPACE(11)  .AND. mesc=\"  \"");
    EXPECT_EQ(count(), 2);
}

TEST_F(Accounts, DateOrdersSeekByDate) {
    Store::createTable(dir.file("zdr_tc"), {{"FECHA", Type::Date, 8, 0}, {"COMPRA", Type::Num, 10, 5}});
    WorkArea* tc = s.use(dir.file("zdr_tc"), "tc", false);
    for (int d : {15, 3, 9}) {
        tc->appendBlank();
        tc->put("fecha", Value(*Date::fromYmd(2012, 1, d)));
        tc->put("compra", Value(Decimal::of("2.69") + Decimal(d)));
    }
    tc->createIndex(dir.file("tc1"), "fecha");
    EXPECT_TRUE(tc->seek(Value(*Date::fromYmd(2012, 1, 9))));
    EXPECT_EQ(tc->num("compra"), Decimal::of("11.69"));
    EXPECT_THROW(tc->seek(Value("20120109")), StoreError);  // a date order takes a date
    EXPECT_FALSE(tc->seek(Value(*Date::fromYmd(2012, 1, 10)), true));
    EXPECT_EQ(tc->date("fecha"), *Date::fromYmd(2012, 1, 15));
}

TEST_F(Accounts, DeletingInsideAVisitDoesNotDisturbIt) {
    s.closeAll();
    plan = s.use(dir.file("zdr_plan"), "plan", false);
    plan->attachIndex(dir.file("plan1"));
    V seen;
    plan->forEach([&] {
        seen.push_back(trim(plan->text("cuenta")));
        plan->markDeleted();
    });
    EXPECT_EQ(seen, (V{"10", "101", "1041", "104101", "104102", "12", "42"}));
    plan->goTop();
    EXPECT_TRUE(plan->eof());
}

TEST_F(Accounts, AttachingAnIndexOfAnotherTableIsRefused) {
    Store::createTable(dir.file("small"), {{"CUENTA", Type::Char, 4, 0}});
    WorkArea* small = s.use(dir.file("small"), "small", false);
    try {
        small->attachIndex(dir.file("plan1"));
        ADD_FAILURE();
    } catch (const StoreError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Damaged);
    }
    Store::createTable(dir.file("nofield"), {{"OTRO", Type::Char, 10, 0}});
    WorkArea* nf = s.use(dir.file("nofield"), "nf", false);
    EXPECT_THROW(nf->attachIndex(dir.file("plan1")), StoreError);
}

}  // namespace

namespace {

// An index that no longer matches its table (the table was changed without it) must
// not make navigation go round: skipping follows the index entries, and the check
// tells what is wrong.
TEST(StaleIndex, NavigationFollowsTheEntriesAndTheCheckReportsIt) {
    TempDir dir;
    testing_support::makeAccounts(dir.file("t"), {{"A", "a"}, {"B", "b"}, {"C", "c"}});
    {
        Store s;
        s.use(dir.file("t"), "t", false)->createIndex(dir.file("t1"), "cuenta");
    }
    {
        Store s;  // changed without its index
        WorkArea* t = s.use(dir.file("t"), "t", false);
        t->go(3);
        t->put("cuenta", Value("0"));
    }
    Store s;
    WorkArea* t = s.use(dir.file("t"), "t", false);
    t->attachIndex(dir.file("t1"));
    int n = 0;
    for (t->goTop(); !t->eof() && n < 10; t->skip()) ++n;
    EXPECT_EQ(n, 3);
    for (t->goBottom(); !t->bof() && n < 20; t->skip(-1)) ++n;
    EXPECT_EQ(n, 6);
    EXPECT_NE(t->checkOrder(1), "");
}

}  // namespace

namespace {

TEST(Orders, NumericKeysKeepTheirDecimals) {
    TempDir dir;
    Store::createTable(dir.file("n"), {{"DEBE", Type::Num, 17, 2}});
    Store s;
    WorkArea* a = s.use(dir.file("n"), "n", false);
    for (const char* v : {"10.50", "-3.25", "7"}) {
        a->appendBlank();
        a->put("debe", Value(Decimal::of(v)));
    }
    a->createIndex(dir.file("n1"), "debe");
    EXPECT_TRUE(a->seek(Value(Decimal::of("10.5")), false));
    EXPECT_EQ(a->recno(), 1u);
    EXPECT_TRUE(a->seek(Value(Decimal(7)), false));
    EXPECT_EQ(a->recno(), 3u);
    a->goTop();
    EXPECT_EQ(a->num("debe"), Decimal::of("-3.25"));  // negative numbers sort first
    s.closeAll();
    a = s.use(dir.file("n"), "n", false);
    a->attachIndex(dir.file("n1"));
    EXPECT_TRUE(a->seek(Value(Decimal::of("-3.25")), false));
}

TEST(Orders, TheSameIndexFileIsAttachedOnce) {
    TempDir dir;
    testing_support::makeAccounts(dir.file("t"), {{"A", "a"}});
    Store s;
    WorkArea* t = s.use(dir.file("t"), "t", false);
    t->createIndex(dir.file("t1"), "cuenta");
    EXPECT_THROW(t->attachIndex(dir.file("T1.NTX")), StoreError);
    EXPECT_EQ(t->orderCount(), 1);
}

TEST(Orders, AReadOnlyTableRefusesEveryWrite) {
    TempDir dir;
    testing_support::makeAccounts(dir.file("t"), {{"A", "a"}});
    Store s;
    WorkArea* t = s.use(dir.file("t"), "t", {}, true, true);
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(t->shared());
    EXPECT_THROW(t->put("cuenta", Value("B")), StoreError);
    EXPECT_THROW(t->appendBlank(), StoreError);
    EXPECT_THROW(t->pack(), StoreError);
    EXPECT_EQ(t->text("cuenta"), "A         ");
}

}  // namespace

// Two store instances on one folder behave as two workstations: their locks are
// real byte-range locks and exclude each other, inside one process or across two.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "helpers.h"
#include "store/store.h"

using namespace store;
using testing_support::TempDir;

namespace {

class TwoStations : public ::testing::Test {
protected:
    void SetUp() override {
        testing_support::makeAccounts(dir.file("zdr_plan"), {{"10", "CAJA"}, {"12", "CLIENTES"}, {"42", "PROVEEDORES"}});
        {
            Store s;
            s.use(dir.file("zdr_plan"), "plan", false)->createIndex(dir.file("plan1"), "cuenta");
        }
        a = open(one);
        b = open(two);
    }
    WorkArea* open(Store& s) {
        WorkArea* w = s.use(dir.file("zdr_plan"), "plan", true);
        w->attachIndex(dir.file("plan1"));
        // the retry routines' pauses are counted, not slept
        s.pause = [this, &s](double, bool) {
            ++(&s == &one ? pausesOne : pausesTwo);
            return !(stopAfter > 0 && (&s == &one ? pausesOne : pausesTwo) >= stopAfter);
        };
        return w;
    }

    TempDir dir;
    Store one, two;
    WorkArea* a = nullptr;
    WorkArea* b = nullptr;
    int pausesOne = 0, pausesTwo = 0, stopAfter = 0;
};

TEST_F(TwoStations, ARecordLockExcludesTheOtherStation) {
    a->seek("12");
    b->seek("12");
    ASSERT_TRUE(a->recLock());
    EXPECT_FALSE(b->recLock());
    EXPECT_FALSE(b->fileLock());  // the file lock covers every record lock
    b->seek("42");
    EXPECT_TRUE(b->recLock());  // another record is free
    a->unlock();
    b->seek("12");
    EXPECT_TRUE(b->recLock());  // and the first one once released
}

TEST_F(TwoStations, WritingWithoutTheLockIsRefused) {
    a->seek("10");
    try {
        a->put("nombre", Value("X"));
        ADD_FAILURE();
    } catch (const StoreError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::LockRequired);
    }
    ASSERT_TRUE(a->recLock());
    a->put("nombre", Value("CAJA CHICA"));
    a->unlock();
    b->seek("10");
    EXPECT_EQ(b->text("nombre").substr(0, 10), "CAJA CHICA");  // the other station reads it
}

TEST_F(TwoStations, RetryRoutinesFollowTheirWaits) {
    a->seek("12");
    b->seek("12");
    ASSERT_TRUE(a->recLock());
    two.select("plan");
    EXPECT_FALSE(REC_LOCK(two, 5));
    EXPECT_EQ(pausesTwo, 10);  // eleven attempts over five seconds
    pausesTwo = 0;
    EXPECT_FALSE(REC_LOCK(two, -1));  // one attempt
    EXPECT_EQ(pausesTwo, 0);
    EXPECT_FALSE(F_LFOCK(two, 2));  // pause before each of four retries
    EXPECT_EQ(pausesTwo, 4);
    pausesTwo = 0;
    stopAfter = 3;  // without a wait: retries until the user stops waiting
    EXPECT_FALSE(REC_LOCK(two));
    EXPECT_EQ(pausesTwo, 3);
    a->unlock();
    EXPECT_TRUE(REC_LOCK(two));
}

TEST_F(TwoStations, AnOrderChangedByOneStationIsSeenByTheOther) {
    ASSERT_TRUE(a->appendBlank());
    a->put("cuenta", Value("1041"));
    a->put("nombre", Value("BANCOS"));
    a->unlock();
    EXPECT_TRUE(b->seek("1041"));  // the other station's cached pages are refreshed
    EXPECT_EQ(b->text("nombre").substr(0, 6), "BANCOS");
    EXPECT_EQ(b->recCount(), 4u);
    b->goBottom();
    EXPECT_EQ(b->text("cuenta").substr(0, 2), "42");
    ASSERT_TRUE(b->recLock());
    b->put("cuenta", Value("11"));
    b->unlock();
    EXPECT_FALSE(a->seek("42"));
    EXPECT_TRUE(a->seek("11"));
    EXPECT_EQ(a->checkOrder(1), "");
}

TEST_F(TwoStations, ExclusiveOpeningFailsWithTheNetworkErrorFlag) {
    Store three;
    EXPECT_EQ(three.use(dir.file("zdr_plan"), "plan", false), nullptr);
    EXPECT_TRUE(three.netErr());
    EXPECT_NE(three.netErrMessage().find("zdr_plan"), std::string::npos);
    one.closeAll();
    two.closeAll();
    WorkArea* ex = three.use(dir.file("zdr_plan"), "plan", false);
    ASSERT_NE(ex, nullptr);
    EXPECT_FALSE(three.netErr());
    EXPECT_EQ(one.use(dir.file("zdr_plan"), "plan", true), nullptr);  // nor shared while it is held exclusively
    EXPECT_TRUE(one.netErr());
}

TEST_F(TwoStations, AppendsFromTwoProcessesNeverShareARecordNumber) {
    one.closeAll();
    two.closeAll();
    const int perProcess = 150;
    pid_t child = fork();
    ASSERT_GE(child, 0);
    auto appendMany = [&](const char* prefix) {
        Store s;
        WorkArea* w = s.use(dir.file("zdr_plan"), "plan", true);
        w->attachIndex(dir.file("plan1"));
        for (int i = 0; i < perProcess; ++i) {
            if (!ADD_REC(s, 0)) return false;
            w->put("cuenta", Value(prefix + std::to_string(i)));
            w->unlock();
        }
        return true;
    };
    if (child == 0) _exit(appendMany("7") ? 0 : 1);
    bool ok = appendMany("8");
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(ok);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    Store s;
    WorkArea* w = s.use(dir.file("zdr_plan"), "plan", false);
    w->attachIndex(dir.file("plan1"));
    EXPECT_EQ(w->recCount(), 3u + 2 * perProcess);
    std::set<std::string> codes;
    w->setOrder(0);
    for (w->goTop(); !w->eof(); w->skip()) codes.insert(std::string(w->text("cuenta")));
    EXPECT_EQ(codes.size(), 3u + 2 * perProcess);  // every append kept its own record
    EXPECT_EQ(w->checkOrder(1), "");
}

}  // namespace

// A station may open a table it holds exclusively a second time, shared, under
// another alias (a report over the table its screen keeps open); the second view
// sees what the first wrote, and the exclusive hold still keeps other stations out.
TEST_F(TwoStations, ASecondViewOfATableHeldByTheSameStation) {
    one.closeAll();
    two.closeAll();
    WorkArea* ex = one.use(dir.file("zdr_plan"), "plan", false);
    ASSERT_NE(ex, nullptr);
    ASSERT_TRUE(ex->appendBlank());
    ex->put("CUENTA", Value("60"));
    WorkArea* view = one.use(dir.file("zdr_plan"), "vou2", true);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->recCount(), 4u);
    view->go(4);
    EXPECT_EQ(view->text("CUENTA"), "60        ");
    EXPECT_EQ(one.use(dir.file("zdr_plan"), "again", false), nullptr);  // not a second exclusive hold
    one.close("vou2");
    EXPECT_EQ(two.use(dir.file("zdr_plan"), "plan", true), nullptr);  // the exclusive hold stands
    one.closeAll();
    EXPECT_NE(two.use(dir.file("zdr_plan"), "plan", true), nullptr);
}

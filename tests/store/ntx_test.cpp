#include "store/ntx.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "helpers.h"
#include "store/error.h"

using namespace store;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;

namespace {

using Entry = std::pair<std::string, std::uint32_t>;

std::string keyFor(int v, int size) {
    std::string k = std::to_string(v % 97);  // many duplicates, ties by record number
    k.resize(static_cast<std::size_t>(size), ' ');
    return k;
}

void expectSame(NtxIndex& ix, const std::set<Entry>& model) {
    auto entries = ix.verify();
    ASSERT_EQ(entries.size(), model.size());
    auto it = model.begin();
    for (const auto& e : entries) {
        ASSERT_EQ(e.key, it->first);
        ASSERT_EQ(e.recno, it->second);
        ++it;
    }
}

class NtxModel : public ::testing::TestWithParam<int> {};

// Random inserts and removals agree with an ordered set, through splits,
// borrows, merges and root changes, for short and long keys.
TEST_P(NtxModel, RandomUpdatesMatchAnOrderedSet) {
    const int keySize = GetParam();
    TempDir dir;
    std::string path = dir.file("t.ntx");
    NtxIndex::build(path, "k", "", static_cast<std::uint16_t>(keySize), 0, {}, {});
    NtxIndex ix(path, false);
    std::set<Entry> model;
    std::mt19937 rng(keySize);
    std::uint32_t next = 1;
    for (int step = 0; step < 6000; ++step) {
        bool add = model.empty() || rng() % 100 < (step < 3000 ? 70 : 35);
        if (add) {
            std::string k = keyFor(static_cast<int>(rng()), keySize);
            ix.insert(k.data(), next);
            model.insert({k, next++});
        } else {
            auto it = model.begin();
            std::advance(it, static_cast<long>(rng() % model.size()));
            ASSERT_TRUE(ix.remove(it->first.data(), it->second));
            model.erase(it);
        }
        if (step % 997 == 0) expectSame(ix, model);
    }
    expectSame(ix, model);
    std::string absent = keyFor(1, keySize);
    EXPECT_FALSE(ix.remove(absent.data(), 999999));

    // a fresh open reads the same tree from disk
    NtxIndex again(path, false);
    expectSame(again, model);

    // navigation: next/prev walk the whole order
    IndexPos p;
    ASSERT_TRUE(again.first(p));
    std::size_t n = 1;
    while (again.next(p, p)) ++n;
    EXPECT_EQ(n, model.size());
    EXPECT_EQ(p.key, model.rbegin()->first);
    EXPECT_EQ(p.recno, model.rbegin()->second);
}

INSTANTIATE_TEST_SUITE_P(KeySizes, NtxModel, ::testing::Values(4, 18, 40, 120));

TEST(Ntx, BuildGivesTheSameOrderAsInserts) {
    TempDir dir;
    std::vector<char> keys;
    std::vector<std::uint32_t> recs;
    std::set<Entry> model;
    std::mt19937 rng(7);
    for (std::uint32_t r = 1; r <= 5000; ++r) {
        std::string k = keyFor(static_cast<int>(rng()), 10);
        keys.insert(keys.end(), k.begin(), k.end());
        recs.push_back(r);
        model.insert({k, r});
    }
    NtxIndex::build(dir.file("b.ntx"), "cuenta", "rut # space(11)", 10, 0, keys, recs);
    NtxIndex ix(dir.file("b.ntx"), false);
    EXPECT_EQ(ix.keyExpr(), "cuenta");
    EXPECT_EQ(ix.forExpr(), "rut # space(11)");
    expectSame(ix, model);
    // and it stays a valid tree under further updates
    for (std::uint32_t r = 1; r <= 5000; r += 3) {
        std::string k(keys.data() + (r - 1) * 10, 10);
        ASSERT_TRUE(ix.remove(k.data(), r));
        model.erase({k, r});
    }
    expectSame(ix, model);
}

TEST(Ntx, SeeksByPrefix) {
    TempDir dir;
    std::vector<std::string> codes = {"10        ", "101       ", "1041      ", "104101    ", "104102    ",
                                      "12        ", "42        ", "4212      "};
    std::vector<char> keys;
    std::vector<std::uint32_t> recs;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        keys.insert(keys.end(), codes[i].begin(), codes[i].end());
        recs.push_back(static_cast<std::uint32_t>(i + 1));
    }
    NtxIndex::build(dir.file("p.ntx"), "cuenta", "", 10, 0, keys, recs);
    NtxIndex ix(dir.file("p.ntx"), false);
    IndexPos p;
    ASSERT_TRUE(ix.seekPrefix("104", 3, false, p));
    EXPECT_EQ(p.key, "1041      ");
    ASSERT_TRUE(ix.seekPrefix("104", 3, true, p));
    EXPECT_EQ(p.key, "12        ");
    ASSERT_TRUE(ix.lastAtOrBefore("104", 3, p));
    EXPECT_EQ(p.key, "104102    ");
    ASSERT_TRUE(ix.seekPrefix("10        ", 10, false, p));
    EXPECT_EQ(p.recno, 1u);
    EXPECT_FALSE(ix.seekPrefix("5", 1, false, p));
}

TEST(Ntx, HeaderFollowsTheNtxLayout) {
    TempDir dir;
    NtxIndex::build(dir.file("h.ntx"), "mesv+cuenta+t+str(vou,4)", "", 18, 0, {}, {});
    auto b = readBytes(dir.file("h.ntx"));
    ASSERT_EQ(b.size(), 2048u);
    auto u16 = [&](int o) { return b[o] | b[o + 1] << 8; };
    EXPECT_EQ(u16(0), 6);
    EXPECT_EQ(u16(4), 1024);  // root page
    EXPECT_EQ(u16(12), 26);   // item size
    EXPECT_EQ(u16(14), 18);   // key size
    EXPECT_EQ(u16(18), 34);   // (1022 / 28) - 1 = 35, made even
    EXPECT_EQ(u16(20), 17);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&b[22])), "mesv+cuenta+t+str(vou,4)");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&b[538])), "H");
    NtxIndex::build(dir.file("f.ntx"), "cuenta", "doc # SPACE(2)", 10, 0, {}, {});
    EXPECT_EQ(readBytes(dir.file("f.ntx"))[0], 7);  // a stored FOR condition adds one
}

TEST(Ntx, DamagedIndexesGiveClearErrors) {
    TempDir dir;
    std::vector<char> keys;
    std::vector<std::uint32_t> recs;
    for (std::uint32_t r = 1; r <= 500; ++r) {
        std::string k = keyFor(static_cast<int>(r * 7919), 10);
        keys.insert(keys.end(), k.begin(), k.end());
        recs.push_back(r);
    }
    NtxIndex::build(dir.file("g.ntx"), "cuenta", "", 10, 0, keys, recs);
    auto good = readBytes(dir.file("g.ntx"));
    struct Case {
        const char* name;
        std::function<void(std::vector<unsigned char>&)> spoil;
        bool atOpen;
    } cases[] = {
        {"signature", [](auto& b) { b[0] = 0x55; }, true},
        {"keysize", [](auto& b) { b[14] = 0; }, true},
        {"root", [](auto& b) { b[4] = 7; }, true},
        {"truncated", [](auto& b) { b.resize(1500); }, true},
        {"count", [](auto& b) { b[1024] = 0xFF; b[1025] = 0x7F; }, false},
        {"child", [&](auto& b) {
             // point a branch page's first child outside the file
             std::uint32_t root = good[4] | good[5] << 8 | good[6] << 16;
             std::uint32_t off = b[root + 2] | b[root + 3] << 8;
             b[root + off] = 0x00, b[root + off + 1] = 0x00, b[root + off + 2] = 0x7F;
         }, false},
        {"order", [&](auto& b) {
             std::uint32_t off = b[1024 + 2] | b[1024 + 3] << 8;
             b[1024 + off + 8] = 'z';  // first key of the first leaf now sorts last
         }, false},
    };
    for (const Case& c : cases) {
        auto bytes = good;
        c.spoil(bytes);
        std::string path = dir.file(std::string(c.name) + ".ntx");
        writeBytes(path, bytes);
        try {
            NtxIndex ix(path, false);
            EXPECT_FALSE(c.atOpen) << c.name << " opened";
            ix.verify();
            ADD_FAILURE() << c.name << " verified";
        } catch (const StoreError& e) {
            EXPECT_EQ(e.kind(), ErrorKind::Damaged) << c.name;
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        }
    }
}

}  // namespace

namespace {

// Whatever bytes of a leaf are spoiled, walking the order ends: with the entries
// in order, or with a damage error; never round and round.
TEST(Ntx, WalkingASpoiledIndexAlwaysEnds) {
    TempDir dir;
    std::vector<char> keys;
    std::vector<std::uint32_t> recs;
    for (std::uint32_t r = 1; r <= 400; ++r) {
        std::string k = keyFor(static_cast<int>(r * 31), 10);
        keys.insert(keys.end(), k.begin(), k.end());
        recs.push_back(r);
    }
    NtxIndex::build(dir.file("w.ntx"), "cuenta", "", 10, 0, keys, recs);
    auto good = readBytes(dir.file("w.ntx"));
    std::mt19937 rng(3);
    for (int trial = 0; trial < 60; ++trial) {
        auto bytes = good;
        // scramble a few key bytes of the leaves (pages after the header, before the root)
        for (int i = 0; i < 6; ++i) {
            std::size_t page = 1 + rng() % (good.size() / 1024 - 2);
            std::size_t at = page * 1024 + 2 + 2 * 52 + rng() % 900;
            bytes[at] = static_cast<unsigned char>('0' + rng() % 10);
        }
        std::string path = dir.file("s" + std::to_string(trial) + ".ntx");
        writeBytes(path, bytes);
        try {
            NtxIndex ix(path, false);
            IndexPos p;
            std::size_t steps = 0;
            for (bool have = ix.first(p); have; have = ix.next(p, p))
                ASSERT_LE(++steps, recs.size() + 1) << "trial " << trial << " goes round";
        } catch (const StoreError& e) {
            EXPECT_EQ(e.kind(), ErrorKind::Damaged);
        }
    }
}

}  // namespace

#include "store/dbf.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <fstream>

#include "helpers.h"
#include "store/store.h"

using namespace store;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;

namespace {

std::vector<FieldDef> voucherFields() {
    return {{"MESV", Type::Char, 2, 0},
            {"VOU", Type::Num, 4, 0},
            {"FECHA", Type::Date, 8, 0},
            {"DEBE", Type::Num, 17, 2},
            {"TC", Type::Num, 10, 5},
            {"OK", Type::Logic, 1, 0}};
}

TEST(DbfFile, WritesThePublishedHeaderByteForByte) {
    TempDir dir;
    Store::createTable(dir.file("t"), voucherFields());
    {
        Store s;
        WorkArea* a = s.use(dir.file("t"), "t", false);
        for (int i = 1; i <= 2; ++i) {
            ASSERT_TRUE(a->appendBlank());
            a->put("mesv", Value("01"));
            a->put("vou", Value(i));
            a->put("fecha", Value(*Date::fromYmd(2012, 1, 15)));
            a->put("debe", Value(Decimal::of("-12.5")));
            a->put("tc", Value(Decimal::of("2.855")));
            a->put("ok", Value(i == 1));
        }
        a->markDeleted();
    }
    auto b = readBytes(dir.file("t.dbf"));
    const std::size_t header = 32 + 32 * 6 + 1, rec = 1 + 2 + 4 + 8 + 17 + 10 + 1;
    ASSERT_EQ(b.size(), header + 2 * rec + 1);
    EXPECT_EQ(b[0], 0x03);
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    EXPECT_EQ(b[1], tm.tm_year);  // years since 1900
    EXPECT_EQ(b[2], tm.tm_mon + 1);
    EXPECT_EQ(b[3], tm.tm_mday);
    EXPECT_EQ(b[4] | b[5] << 8 | b[6] << 16 | b[7] << 24, 2);
    EXPECT_EQ(b[8] | b[9] << 8, static_cast<int>(header));
    EXPECT_EQ(b[10] | b[11] << 8, static_cast<int>(rec));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&b[32]), 4), "MESV");
    EXPECT_EQ(b[32 + 4], 0);  // names are NUL-padded
    EXPECT_EQ(b[32 + 11], 'C');
    EXPECT_EQ(b[32 + 32 * 3 + 11], 'N');
    EXPECT_EQ(b[32 + 32 * 3 + 16], 17);
    EXPECT_EQ(b[32 + 32 * 3 + 17], 2);
    EXPECT_EQ(b[header - 1], 0x0D);
    std::string r1(reinterpret_cast<char*>(&b[header]), rec), r2(reinterpret_cast<char*>(&b[header + rec]), rec);
    EXPECT_EQ(r1, " 01   120120115           -12.50   2.85500T");
    EXPECT_EQ(r2, "*01   220120115           -12.50   2.85500F");
    EXPECT_EQ(b.back(), 0x1A);
}

TEST(DbfFile, AnotherReaderSeesOurValuesAndDeletionFlags) {
    if (std::system("/usr/bin/python3 -c 'import dbfread' 2>/dev/null") != 0) GTEST_SKIP() << "python3-dbfread is not installed";
    TempDir dir;
    Store::createTable(dir.file("t"), voucherFields());
    {
        Store s;
        WorkArea* a = s.use(dir.file("t"), "t", false);
        a->appendBlank();
        a->put("mesv", Value("05"));
        a->put("vou", Value(12));
        a->put("fecha", Value(*Date::fromYmd(2012, 5, 31)));
        a->put("debe", Value(Decimal::of("1234.56")));
        a->put("ok", Value(true));
        a->appendBlank();
        a->put("mesv", Value("06"));
        a->markDeleted();
    }
    std::string script = dir.file("read.py");
    std::ofstream(script) << "import dbfread,sys\n"
                             "t = dbfread.DBF(sys.argv[1], load=True, ignore_missing_memofile=True)\n"
                             "print([f.name for f in t.fields])\n"
                             "for r in t.records: print(r['MESV'], r['VOU'], r['FECHA'], r['DEBE'], r['TC'], r['OK'])\n"
                             "for r in t.deleted: print('deleted', r['MESV'])\n";
    std::string cmd = "/usr/bin/python3 " + script + " " + dir.file("t.dbf") + " > " + dir.file("out.txt") + " 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    std::ifstream in(dir.file("out.txt"));
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(all, "['MESV', 'VOU', 'FECHA', 'DEBE', 'TC', 'OK']\n"
                   "05 12 2012-05-31 1234.56 None True\n"  // a never-written number stays blank, as xBase appends it
                   "deleted 06\n");
}

// A table as another program writes it: lower-case names, a header longer than
// its descriptors need, a record count of zero with data after the header.
std::vector<unsigned char> foreignTable() {
    std::vector<unsigned char> b(32, 0);
    b[0] = 0x03;
    b[1] = 99, b[2] = 12, b[3] = 31;
    b[4] = 2;
    int header = 32 + 2 * 32 + 1 + 263;  // padded like some writers do
    b[8] = header & 0xFF, b[9] = header >> 8;
    b[10] = 1 + 5 + 6;
    auto field = [&](const char* name, char type, int len, int dec) {
        std::vector<unsigned char> d(32, 0);
        for (int i = 0; name[i]; ++i) d[i] = static_cast<unsigned char>(name[i]);
        d[11] = static_cast<unsigned char>(type);
        d[16] = static_cast<unsigned char>(len);
        d[17] = static_cast<unsigned char>(dec);
        b.insert(b.end(), d.begin(), d.end());
    };
    field("code", 'C', 5, 0);
    field("amt", 'N', 6, 2);
    b.push_back(0x0D);
    b.resize(header, 0);
    for (const char* rec : {" abc    12.5", "*zz       -1"}) b.insert(b.end(), rec, rec + 12);
    return b;  // no end-of-file marker either
}

TEST(DbfFile, OpensTablesWrittenByOtherPrograms) {
    TempDir dir;
    auto bytes = foreignTable();
    writeBytes(dir.file("FOREIGN.DBF"), bytes);
    Store s;
    WorkArea* a = s.use(dir.file("foreign"), "f", false);  // name found whatever its case
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->fields()[0].name, "CODE");
    EXPECT_EQ(a->text("CoDe"), "abc  ");
    EXPECT_EQ(a->num("amt"), Decimal::of("12.5"));
    a->skip();
    EXPECT_TRUE(a->eof());  // the second record is deleted
    s.settings().deletedHidden = false;
    a->goBottom();
    EXPECT_TRUE(a->deleted());
    EXPECT_EQ(a->num("amt"), Decimal(-1));
}

TEST(DbfFile, DamagedFilesGiveClearErrorsNamingTheFile) {
    TempDir dir;
    Store::createTable(dir.file("good"), voucherFields());
    {
        Store s;
        WorkArea* a = s.use(dir.file("good"), "g", false);
        for (int i = 0; i < 3; ++i) a->appendBlank();
    }
    auto good = readBytes(dir.file("good.dbf"));
    struct Case {
        const char* name;
        std::vector<unsigned char> bytes;
        const char* says;
    };
    std::vector<Case> cases;
    cases.push_back({"empty", {}, "cabecera incompleta"});
    cases.push_back({"short", std::vector<unsigned char>(good.begin(), good.begin() + 20), "cabecera incompleta"});
    auto truncated = good;
    truncated.resize(good.size() - 60);
    cases.push_back({"truncated", truncated, "indica 3 registros"});
    auto badRecLen = good;
    badRecLen[10] = static_cast<unsigned char>(badRecLen[10] + 1);
    cases.push_back({"reclen", badRecLen, "no coincide"});
    auto badVersion = good;
    badVersion[0] = 0x30;
    cases.push_back({"version", badVersion, "no es una tabla"});
    auto noTerminator = good;
    noTerminator[32 + 32 * 6] = 'X';
    cases.push_back({"terminator", noTerminator, "fin de la lista"});
    auto badType = good;
    badType[32 + 11] = 'Q';
    cases.push_back({"type", badType, "tipo no admitido"});
    for (const Case& c : cases) {
        std::string path = dir.file(std::string(c.name) + ".dbf");
        writeBytes(path, c.bytes);
        Store s;
        try {
            s.use(path, "x", false);
            ADD_FAILURE() << c.name << " opened";
        } catch (const StoreError& e) {
            EXPECT_EQ(e.kind(), ErrorKind::Damaged) << c.name;
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << c.name << ": " << e.what();
        }
    }
    Store s;
    try {
        s.use(dir.file("missing"), "m", false);
        ADD_FAILURE();
    } catch (const StoreError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::NotFound);
    }
    WorkArea* g = s.use(dir.file("good"), "g", false);
    try {
        g->get("nosuch");
        ADD_FAILURE();
    } catch (const StoreError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::NoField);
        EXPECT_NE(std::string(e.what()).find("good.dbf"), std::string::npos);
    }
}

TEST(DbfFile, ANumberThatDoesNotFitIsRefusedAndTheRecordKeepsItsValue) {
    TempDir dir;
    Store::createTable(dir.file("t"), voucherFields());
    Store s;
    WorkArea* a = s.use(dir.file("t"), "t", false);
    a->appendBlank();
    a->put("vou", Value(9999));
    try {
        a->put("vou", Value(10000));
        ADD_FAILURE();
    } catch (const StoreError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Overflow);
        EXPECT_NE(std::string(e.what()).find("VOU"), std::string::npos);
    }
    EXPECT_EQ(a->num("vou"), Decimal(9999));
    EXPECT_THROW(a->put("vou", Value("12")), StoreError);  // wrong type
    a->commit();
    s.closeAll();
    WorkArea* b = s.use(dir.file("t"), "t", false);
    EXPECT_EQ(b->num("vou"), Decimal(9999));
}

TEST(DbfFile, CreateRefusesBadFieldLists) {
    TempDir dir;
    std::vector<std::vector<FieldDef>> bad = {
        {},
        {{"TOOLONGNAME", Type::Char, 5, 0}},
        {{"A", Type::Char, 5, 0}, {"a", Type::Num, 5, 0}},
        {{"N", Type::Num, 21, 0}},
        {{"N", Type::Num, 5, 4}},
        {{"D", Type::Date, 10, 0}},
        {{"BAD-NAME", Type::Char, 1, 0}},
    };
    for (const auto& f : bad) EXPECT_THROW(Store::createTable(dir.file("x"), f), StoreError);
    // wide texts use the decimals byte as the high byte of the width
    Store::createTable(dir.file("wide"), {{"LTXT", Type::Char, 512, 0}});
    Store s;
    WorkArea* a = s.use(dir.file("wide"), "w", false);
    EXPECT_EQ(a->fields()[0].length, 512);
    a->appendBlank();
    a->put("ltxt", Value(std::string(511, 'x') + "y"));
    a->commit();
    EXPECT_EQ(a->text("ltxt").back(), 'y');
}

}  // namespace

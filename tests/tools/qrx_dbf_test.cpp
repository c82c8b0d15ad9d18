// The qrx-dbf tool run as a program, on tables in temporary folders.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>

#include "store/store.h"
#include "support.h"

using namespace tools_testing;

namespace {

const std::vector<std::string> kPlanFields = {"CUENTA:C:10", "NOMBRE:C:20", "DEBE:N:17:2", "FECHA:D", "OK:L"};
const char* const kHeader = "_deleted,CUENTA,NOMBRE,DEBE,FECHA,OK\n";

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A failure: a normal exit with that code, nothing on standard output after
// the error, and one line on standard error holding every expected part.
void expectFailure(const Result& r, int code, const std::vector<std::string>& says) {
    ASSERT_TRUE(r.exited) << r.describe();
    EXPECT_EQ(r.code, code) << r.describe();
    EXPECT_EQ(r.errLines(), 1) << r.describe();
    for (const std::string& s : says) EXPECT_TRUE(contains(r.err, s)) << "expected '" << s << "'\n" << r.describe();
}

std::vector<std::string> cat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class Tool : public ::testing::Test {
protected:
    TempDir dir;
    std::string table = dir.file("plan");  // without extension: the tool adds it
    std::string dbf = dir.file("plan.dbf");

    Result succeed(const std::vector<std::string>& args, const std::string& stdinPath = "/dev/null") {
        Result r = runTool(args, stdinPath);
        EXPECT_TRUE(r.exited && r.code == 0) << r.describe();
        EXPECT_EQ(r.err, "") << r.describe();
        return r;
    }
    void createPlan() { succeed(cat({"create", table}, kPlanFields)); }
    std::string csv(const std::string& name, const std::string& text) {
        std::string path = dir.file(name);
        writeFile(path, text);
        return path;
    }
    Result import(const std::string& text, const std::vector<std::string>& extra = {}) {
        return runTool(cat({"import", table, csv("in.csv", text)}, extra));
    }
    std::string dump(const std::vector<std::string>& extra = {}) { return succeed(cat({"dump", table}, extra)).out; }
    std::string structure() { return succeed({"struct", table}).out; }
    std::uint32_t records() {
        store::Store s;
        store::WorkArea* a = s.use(dbf, "check", true);
        return a ? a->recCount() : 0;
    }
};

// ---------------------------------------------------------------- help and arguments

TEST_F(Tool, HelpDescribesEverySubcommand) {
    for (const char* form : {"--help", "help"}) {
        Result r = succeed({form});
        for (const char* usage : {"struct TABLA", "dump TABLA [--index ARCHIVO.ntx] [--for EXPR]",
                                  "create TABLA CAMPO... [--force]", "import TABLA ARCHIVO.csv [--index ARCHIVO.ntx]",
                                  "index TABLA ARCHIVO.ntx CLAVE [--for EXPR]", "check TABLA ARCHIVO.ntx",
                                  "pack TABLA [--index ARCHIVO.ntx]"})
            EXPECT_TRUE(contains(r.out, usage)) << form << ": " << usage;
    }
}

TEST_F(Tool, BadArgumentsFailWithOneLine) {
    createPlan();
    std::string other = dir.file("otra");
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate"},
        {"STRUCT", table},
        {"struct"},
        {"struct", table, "extra"},
        {"dump"},
        {"dump", table, "--index"},
        {"dump", table, "--bogus", "x"},
        {"dump", table, "--for", "DEBE > 0", "--for", "DEBE < 0"},
        {"dump", table, "--for="},
        {"create"},
        {"create", other},
        {"create", other, "A:C:5", "--force=yes"},
        {"import", table},
        {"import", table, "a.csv", "b.csv"},
        {"index", table, dir.file("ix")},
        {"check", table},
        {"pack"},
        {"pack", table, "--force"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        Result r = runTool(args);
        expectFailure(r, 2, {"qrx-dbf"});
        EXPECT_EQ(r.out, "");
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("otra.dbf")));
    EXPECT_EQ(records(), 0u);
}

TEST_F(Tool, MissingFilesAndBadExpressionsAreReported) {
    createPlan();
    std::string ix = dir.file("ix");
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> says;
    };
    const std::vector<Case> cases = {
        {{"struct", dir.file("nada")}, {"No existe la tabla", "nada.dbf"}},
        {{"dump", table, "--index", dir.file("nada")}, {"No existe el índice", "nada.ntx"}},
        {{"check", table, dir.file("nada")}, {"No existe el índice", "nada.ntx"}},
        {{"import", table, dir.file("nada.csv")}, {"no existe el archivo", "nada.csv"}},
        {{"index", table, ix, "CUENTA+"}, {"CUENTA+"}},
        {{"index", table, ix, "NOPE"}, {"NOPE"}},
        {{"index", table, ix, "CUENTA", "--for", "DEBE"}, {"no es lógica"}},
        {{"dump", table, "--for", "NOPE = 1"}, {"NOPE"}},
        {{"dump", table, "--for", "DEBE"}, {"no es lógica"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        expectFailure(runTool(c.args), 2, c.says);
    }
}

// ---------------------------------------------------------------- create and struct

TEST_F(Tool, StructListsFieldsRecordCountAndLength) {
    createPlan();
    ASSERT_EQ(import("CUENTA\n101\n102\n").code, 0);
    const std::string expected =
        "CUENTA     C    10  0\n"
        "NOMBRE     C    20  0\n"
        "DEBE       N    17  2\n"
        "FECHA      D     8  0\n"
        "OK         L     1  0\n"
        "registros: 2\n"
        "largo de registro: 57\n";
    EXPECT_EQ(structure(), expected);
    // Names are found whatever their case, with or without the extension.
    EXPECT_EQ(succeed({"struct", dir.file("PLAN.DBF")}).out, expected);
}

TEST_F(Tool, CreateRefusesToReplaceATableUnlessForced) {
    createPlan();
    ASSERT_EQ(import("CUENTA\n101\n").code, 0);
    expectFailure(runTool({"create", table, "A:C:5"}), 2, {"ya existe", "--force"});
    expectFailure(runTool({"create", dir.file("PLAN"), "A:C:5"}), 2, {"ya existe"});
    EXPECT_EQ(records(), 1u);

    Result r = succeed({"create", table, "A:C:5", "B:N:3", "--force"});
    EXPECT_EQ(r.out, "tabla " + dbf + " creada con 2 campos\n");
    EXPECT_EQ(structure(), "A          C     5  0\nB          N     3  0\nregistros: 0\nlargo de registro: 9\n");
}

TEST_F(Tool, CreateRejectsBadFieldLists) {
    const std::vector<std::vector<std::string>> cases = {
        {"A:X:5"}, {"A:C"}, {"A:N"}, {"A:N:5:4"}, {"A:D:6"}, {"A:L:2"}, {"A:C:10:2"}, {"A"},
        {"A:C:abc"}, {"A:C:5:1:1"}, {"NOMBRE_LARGO:C:5"}, {"A-B:C:5"}, {"A:C:5", "a:N:3"}, {"A:C:0"},
    };
    for (const auto& fields : cases) {
        SCOPED_TRACE(::testing::PrintToString(fields));
        expectFailure(runTool(cat({"create", table}, fields)), 2, {});
        EXPECT_FALSE(std::filesystem::exists(dbf));
    }
    succeed({"create", table, "a:c:3", "n:n:5:2", "f:d:8", "l:l:1"});
    EXPECT_EQ(structure(), "A          C     3  0\nN          N     5  2\nF          D     8  0\nL          L     1  0\n"
                           "registros: 0\nlargo de registro: 18\n");
}

// ---------------------------------------------------------------- import and dump

TEST_F(Tool, ImportedRowsDumpBackExactly) {
    createPlan();
    Result r = import(
        "cuenta,NOMBRE,Debe,fecha,ok,_deleted\r\n"
        "101,\"Caja, chica\",10.5,20240131,T,\r\n"
        "102,\"Dice \"\"hola\"\"\",-3,05/02/2024,n,*\r\n"
        "103,\"L1\nL2\",,,,\r\n"
        "1040,\xD1" "and\xFA,1234567.89,,y,\r\n");
    ASSERT_EQ(r.code, 0) << r.describe();
    EXPECT_EQ(r.out, "se agregaron 4 filas a " + dbf + "\n");

    // The table holds the bytes as given, blank-padded, and the deletion mark.
    {
        store::Store s;
        store::WorkArea* a = s.use(dbf, "plan", false);
        ASSERT_NE(a, nullptr);
        s.settings().deletedHidden = false;
        a->go(1);
        EXPECT_EQ(a->text("NOMBRE"), "Caja, chica         ");
        EXPECT_FALSE(a->deleted());
        a->go(2);
        EXPECT_TRUE(a->deleted());
        EXPECT_EQ(a->text("DEBE"), "            -3.00");
        a->go(4);
        EXPECT_EQ(a->text("NOMBRE"), std::string("\xD1" "and\xFA") + std::string(15, ' '));
        // A record deleted by the program is marked in the dump as well.
        a->markDeleted();
    }

    const std::string expected = std::string(kHeader) +
                                 ",101,\"Caja, chica\",10.50,20240131,T\n"
                                 "*,102,\"Dice \"\"hola\"\"\",-3.00,20240205,F\n"
                                 ",103,\"L1\nL2\",0.00,,F\n"
                                 "*,1040,\xD1" "and\xFA,1234567.89,,T\n";
    std::string first = dump();
    EXPECT_EQ(first, expected);

    // The dump imports into a table of the same structure and dumps the same.
    std::string copy = dir.file("copia");
    succeed(cat({"create", copy}, kPlanFields));
    succeed({"import", copy, csv("dump.csv", first)});
    EXPECT_EQ(succeed({"dump", copy}).out, first);
}

TEST_F(Tool, ImportLeavesMissingColumnsAndEmptyCellsBlank) {
    createPlan();
    ASSERT_EQ(import(" Nombre \nsolo nombre\n\"\"\n").code, 0);
    EXPECT_EQ(dump(), std::string(kHeader) + ",,solo nombre,0.00,,F\n,,,0.00,,F\n");
    store::Store s;
    store::WorkArea* a = s.use(dbf, "plan", true);
    ASSERT_NE(a, nullptr);
    a->go(1);
    EXPECT_EQ(a->text("CUENTA"), std::string(10, ' '));
    EXPECT_EQ(a->text("DEBE"), std::string(17, ' '));
    EXPECT_EQ(a->text("FECHA"), std::string(8, ' '));
    EXPECT_EQ(a->text("OK"), " ");
}

TEST_F(Tool, ImportReadsStandardInput) {
    createPlan();
    std::string path = csv("stdin.csv", "CUENTA,DEBE\n7,1.25\n");
    Result r = succeed({"import", table, "-"}, path);
    EXPECT_EQ(r.out, "se agregaron 1 fila a " + dbf + "\n");
    EXPECT_EQ(dump(), std::string(kHeader) + ",7,,1.25,,F\n");
}

TEST_F(Tool, ImportRefusesBadHeaders) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> says;
    };
    const std::vector<Case> cases = {
        {"unknown_columns", "CUENTA,FOO,nombre,Bar\n1,2,3,4\n", {"FOO, Bar", "in.csv"}},
        {"repeated_column", "CUENTA,cuenta\n1,2\n", {"columna CUENTA se repite"}},
        {"repeated_deletion_mark", "_deleted,_DELETED\n,\n", {"columna _deleted se repite"}},
        {"empty_file", "", {"vacío"}},
        {"broken_header", "\"CUENTA\n", {"línea 1", "comillas"}},
    };
    createPlan();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        expectFailure(import(c.text), 2, c.says);
        EXPECT_EQ(records(), 0u);
    }
}

struct BadRowCase {
    const char* name;
    std::string row;  // the third line of the file
    std::vector<std::string> says;
};
void PrintTo(const BadRowCase& c, std::ostream* os) { *os << c.name; }

class ImportStops : public Tool, public ::testing::WithParamInterface<BadRowCase> {};

// The rows before the bad one stay, the bad one and those after it are not
// added, and the index named on the command line agrees with what was added.
TEST_P(ImportStops, AtTheFirstBadRowKeepingEarlierOnes) {
    const BadRowCase& c = GetParam();
    createPlan();
    std::string ix = dir.file("cuenta.ntx");
    succeed({"index", table, ix, "CUENTA"});
    Result r = import(std::string("CUENTA,NOMBRE,DEBE,FECHA,OK,_deleted\n") + "101,primera,1.00,20240101,T,\n" +
                          c.row + "\n" + "103,tercera,3.00,20240103,F,\n",
                      {"--index", ix});
    expectFailure(r, 2, cat({"in.csv", "línea 3", "se agregó 1 fila", dbf}, c.says));
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(dump(), std::string(kHeader) + ",101,primera,1.00,20240101,T\n");
    EXPECT_EQ(succeed({"check", table, ix}).out, "ok: 1 clave\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ImportStops,
    ::testing::Values(
        BadRowCase{"number_overflows", "102,x,123456789012345678,,,", {"campo DEBE", "no cabe", "N(17,2)"}},
        BadRowCase{"number_too_precise", "102,x,1.005,,,", {"campo DEBE", "decimales"}},
        BadRowCase{"not_a_number", "102,x,\"12,50\",,,", {"campo DEBE", "no es un número"}},
        BadRowCase{"text_too_long", "12345678901,x,,,,", {"campo CUENTA", "11 caracteres", "C(10)"}},
        BadRowCase{"no_such_date", "102,x,,31/02/2024,,", {"campo FECHA", "fecha inválida"}},
        BadRowCase{"date_in_other_form", "102,x,,2024-02-01,,", {"campo FECHA", "fecha inválida"}},
        BadRowCase{"bad_logical", "102,x,,,X,", {"campo OK", "lógico"}},
        BadRowCase{"bad_deletion_mark", "102,x,,,,x", {"_deleted"}},
        BadRowCase{"extra_column", "102,x,,,,,", {"7 columnas"}},
        BadRowCase{"missing_column", "102,x,,,", {"5 columnas"}},
        BadRowCase{"unterminated_quote", "102,\"x,,,,", {"comillas sin cerrar"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Tool, ImportCountsLinesInsideQuotedCells) {
    createPlan();
    Result r = import("CUENTA,NOMBRE\n\n101,\"dos\nlíneas\"\n102,\"tres\nmás\nlíneas\"\n103,nombre demasiado largo aquí\n");
    expectFailure(r, 2, {"línea 8", "campo NOMBRE", "se agregaron 2 filas"});
    EXPECT_EQ(records(), 2u);
}

TEST_F(Tool, ImportIntoAnEmptyTableReportsNothingAdded) {
    createPlan();
    expectFailure(import("CUENTA,DEBE\n1,x\n"), 2, {"línea 2", "no se agregó ninguna fila"});
    EXPECT_EQ(records(), 0u);
}

// ---------------------------------------------------------------- indexes

TEST_F(Tool, DumpFollowsIndexOrderAndForCondition) {
    createPlan();
    ASSERT_EQ(import("CUENTA,NOMBRE,DEBE,_deleted\n"
                     "1,Caja,5,\n2,Bancos,-2,\n3,Almacen,7,*\n4,Deudas,0,\n")
                  .code,
              0);
    std::string ix = dir.file("nombre.ntx");
    succeed({"index", table, ix, "NOMBRE"});
    EXPECT_EQ(dump({"--index", ix}), std::string(kHeader) +
                                         "*,3,Almacen,7.00,,F\n"
                                         ",2,Bancos,-2.00,,F\n"
                                         ",1,Caja,5.00,,F\n"
                                         ",4,Deudas,0.00,,F\n");
    EXPECT_EQ(dump({"--for", "DEBE > 0"}), std::string(kHeader) + ",1,Caja,5.00,,F\n*,3,Almacen,7.00,,F\n");
    EXPECT_EQ(dump({"--index", ix, "--for", "DEBE > 0"}),
              std::string(kHeader) + "*,3,Almacen,7.00,,F\n,1,Caja,5.00,,F\n");
    EXPECT_EQ(dump({"--for=DELETED()"}), std::string(kHeader) + "*,3,Almacen,7.00,,F\n");
    EXPECT_EQ(dump({"--for", "DEBE > 100"}), kHeader);
}

TEST_F(Tool, BuiltIndexesCheckOk) {
    createPlan();
    ASSERT_EQ(import("CUENTA,NOMBRE,DEBE,FECHA,_deleted\n"
                     "10,Caja,5,20240105,\n20,bancos,-2,20240102,\n30,Almacen,7,,*\n40,caja,0,01/01/2024,\n")
                  .code,
              0);
    struct Case {
        const char* key;
        const char* forCondition;
        int keys;
    };
    const std::vector<Case> cases = {
        {"CUENTA", nullptr, 4},
        {"UPPER(NOMBRE)+DTOS(FECHA)", nullptr, 4},
        {"DEBE", nullptr, 4},
        {"FECHA", nullptr, 4},
        {"CUENTA", "DEBE > 0", 2},
        {"NOMBRE", "!DELETED()", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        std::string ix = dir.file("ix.ntx");
        std::vector<std::string> args = {"index", table, ix, c.key};
        if (c.forCondition) args = cat(args, {"--for", c.forCondition});
        std::string count = std::to_string(c.keys) + " claves\n";
        EXPECT_EQ(succeed(args).out, "índice " + ix + " creado: " + count);
        EXPECT_EQ(succeed({"check", table, dir.file("IX")}).out, "ok: " + count);
    }
}

TEST_F(Tool, ImportMaintainsTheIndexesItIsGiven) {
    createPlan();
    ASSERT_EQ(import("CUENTA,NOMBRE,DEBE\n1,uno,1\n2,dos,-1\n").code, 0);
    std::string byCode = dir.file("cuenta.ntx"), byName = dir.file("nombre.ntx");
    succeed({"index", table, byCode, "CUENTA"});
    succeed({"index", table, byName, "NOMBRE", "--for", "DEBE > 0"});
    ASSERT_EQ(import("CUENTA,NOMBRE,DEBE\n3,tres,3\n4,cuatro,-4\n", {"--index", byCode, "--index", byName}).code, 0);
    EXPECT_EQ(succeed({"check", table, byCode}).out, "ok: 4 claves\n");
    EXPECT_EQ(succeed({"check", table, byName}).out, "ok: 2 claves\n");

    // An index left out is not maintained, and the check says so.
    ASSERT_EQ(import("CUENTA,NOMBRE,DEBE\n5,cinco,5\n", {"--index", byName}).code, 0);
    expectFailure(runTool({"check", table, byCode}), 1, {"cuenta.ntx", "no coincide", "falta la clave del registro 5"});
    EXPECT_EQ(succeed({"check", table, byName}).out, "ok: 3 claves\n");
}

TEST_F(Tool, AnIndexNamedTwiceIsRefusedBeforeAnyChange) {
    createPlan();
    ASSERT_EQ(import("CUENTA,_deleted\n1,*\n2,\n").code, 0);
    std::string ix = dir.file("cuenta.ntx");
    succeed({"index", table, ix, "CUENTA"});
    const std::vector<std::vector<std::string>> cases = {
        {"import", table, csv("more.csv", "CUENTA\n3\n"), "--index", ix, "--index", dir.file("CUENTA")},
        {"pack", table, "--index", ix, "--index", ix},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(args[0]);
        expectFailure(runTool(args), 2, {"cuenta.ntx", "más de una vez"});
        EXPECT_EQ(records(), 2u);
        EXPECT_EQ(succeed({"check", table, ix}).out, "ok: 2 claves\n");
    }
}

// Little-endian helpers for editing index files.
std::uint32_t get32(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}
std::uint16_t get16(const std::string& b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8));
}
void put16(std::string& b, std::size_t at, unsigned v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>(v >> 8);
}
void put32(std::string& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
}
// Offset in the file of item i of the root page (a leaf for a few keys).
std::size_t rootItem(const std::string& b, int i) {
    std::uint32_t root = get32(b, 4);
    return root + get16(b, root + 2 + 2 * static_cast<std::size_t>(i));
}

struct Spoil {
    const char* name;
    std::function<void(std::string&)> edit;
    const char* says;
};
void PrintTo(const Spoil& c, std::ostream* os) { *os << c.name; }

class SpoiledIndex : public Tool, public ::testing::WithParamInterface<Spoil> {};

TEST_P(SpoiledIndex, IsFoundByCheck) {
    createPlan();
    ASSERT_EQ(import("CUENTA,NOMBRE\n101,Caja\n102,Bancos\n103,Almacen\n").code, 0);
    std::string ix = dir.file("cuenta.ntx");
    succeed({"index", table, ix, "CUENTA"});
    ASSERT_EQ(succeed({"check", table, ix}).out, "ok: 3 claves\n");

    std::string bytes = readFile(ix);
    GetParam().edit(bytes);
    writeFile(ix, bytes);
    expectFailure(runTool({"check", table, ix}), 1, {"cuenta.ntx", GetParam().says});
    // Reading through it may fail, but as an error, not a crash.
    Result r = runTool({"dump", table, "--index", ix});
    ASSERT_TRUE(r.exited) << r.describe();
    if (r.code != 0) expectFailure(r, 2, {"cuenta.ntx"});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SpoiledIndex,
    ::testing::Values(
        // Keys of another expression of the same length under this header.
        Spoil{"other_key_expression",
              [](std::string& b) {
                  std::memset(&b[22], 0, 256);
                  std::memcpy(&b[22], "LEFT(NOMBRE,10)", 15);
              },
              "no coincide"},
        Spoil{"key_byte_edited", [](std::string& b) { b[rootItem(b, 0) + 8] = '0'; }, "no coincide"},
        Spoil{"record_number_edited", [](std::string& b) { put32(b, rootItem(b, 0) + 4, 3); }, "no coincide"},
        Spoil{"keys_out_of_order", [](std::string& b) { b[rootItem(b, 0) + 8] = '9'; }, "dañado"},
        Spoil{"key_count_garbage", [](std::string& b) { put16(b, get32(b, 4), 500); }, "dañado"},
        Spoil{"signature", [](std::string& b) { put16(b, 0, 0x1234); }, "dañado"},
        Spoil{"cut_after_header", [](std::string& b) { b.resize(1024); }, "dañado"},
        // The header names an expression whose keys do not have the file's key size.
        Spoil{"expression_of_other_length",
              [](std::string& b) {
                  std::memset(&b[22], 0, 256);
                  std::memcpy(&b[22], "NOMBRE", 6);
              },
              "no corresponde"},
        Spoil{"key_sizes_inconsistent", [](std::string& b) { put16(b, 14, 11); put16(b, 12, 19); }, "dañado"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- pack

TEST_F(Tool, PackRemovesDeletedRecordsAndRebuildsTheNamedIndexes) {
    createPlan();
    ASSERT_EQ(import("CUENTA,NOMBRE,_deleted\n1,uno,*\n2,dos,\n3,tres,*\n4,cuatro,\n").code, 0);
    std::string byName = dir.file("nombre.ntx"), byCode = dir.file("cuenta.ntx");
    succeed({"index", table, byName, "NOMBRE"});
    succeed({"index", table, byCode, "CUENTA"});

    Result r = succeed({"pack", table, "--index", byName});
    EXPECT_EQ(r.out, "se eliminaron 2 registros de " + dbf + "; quedan 2; índices regenerados: 1\n");
    EXPECT_TRUE(contains(structure(), "registros: 2\n"));
    EXPECT_EQ(dump(), std::string(kHeader) + ",2,dos,0.00,,F\n,4,cuatro,0.00,,F\n");
    EXPECT_EQ(dump({"--index", byName}), std::string(kHeader) + ",4,cuatro,0.00,,F\n,2,dos,0.00,,F\n");
    EXPECT_EQ(succeed({"check", table, byName}).out, "ok: 2 claves\n");
    // The index not named still points at the records as they were.
    expectFailure(runTool({"check", table, byCode}), 1, {"cuenta.ntx"});

    EXPECT_EQ(succeed({"pack", table}).out, "se eliminaron 0 registros de " + dbf + "; quedan 2\n");
}

// ---------------------------------------------------------------- damaged and busy tables

struct Damage {
    const char* name;
    std::function<void(std::string&)> edit;
};
void PrintTo(const Damage& c, std::ostream* os) { *os << c.name; }

class DamagedTable : public Tool, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedTable, IsReportedByEverySubcommandWithoutCrashing) {
    createPlan();
    ASSERT_EQ(import("CUENTA,NOMBRE\n101,Caja\n102,Bancos\n103,Almacen\n").code, 0);
    std::string ix = dir.file("ix.ntx");
    succeed({"index", table, ix, "CUENTA"});
    std::string bytes = readFile(dbf);
    GetParam().edit(bytes);
    writeFile(dbf, bytes);

    const std::vector<std::vector<std::string>> runs = {
        {"struct", table},
        {"dump", table},
        {"dump", table, "--index", ix},
        {"check", table, ix},
        {"import", table, csv("more.csv", "CUENTA\n104\n")},
        {"index", table, ix, "NOMBRE"},
        {"pack", table, "--index", ix},
    };
    for (const auto& args : runs) {
        SCOPED_TRACE(::testing::PrintToString(args));
        Result r = runTool(args);
        expectFailure(r, 2, {"plan.dbf"});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedTable,
    ::testing::Values(Damage{"records_cut", [](std::string& b) { b.resize(b.size() - 70); }},
                      Damage{"header_cut", [](std::string& b) { b.resize(100); }},
                      Damage{"first_bytes_only", [](std::string& b) { b.resize(20); }},
                      Damage{"empty_file", [](std::string& b) { b.clear(); }},
                      Damage{"not_a_table", [](std::string& b) { b[0] = '\x99'; }},
                      Damage{"record_length", [](std::string& b) { put16(b, 10, 99); }},
                      Damage{"header_length", [](std::string& b) { put16(b, 8, 40); }},
                      Damage{"record_count", [](std::string& b) { put32(b, 4, 0xFFFFFFFFu); }},
                      Damage{"field_list_end", [](std::string& b) { b[32 + 5 * 32] = 'X'; }},
                      Damage{"field_type", [](std::string& b) { b[32 + 11] = 'Q'; }}),
    [](const auto& info) { return std::string(info.param.name); });

struct Holder {
    const char* name;
    bool shared;  // how this process holds the table while the tool runs
    std::vector<std::string> args;
    bool succeeds;
};
void PrintTo(const Holder& c, std::ostream* os) { *os << c.name; }

class BusyTable : public Tool, public ::testing::WithParamInterface<Holder> {};

TEST_P(BusyTable, IsOpenedOnlyWhenTheOtherOpenerAllows) {
    const Holder& h = GetParam();
    createPlan();
    ASSERT_EQ(import("CUENTA\n1\n").code, 0);
    succeed({"index", table, dir.file("ix"), "CUENTA"});
    writeFile(dir.file("more.csv"), "CUENTA\n2\n");
    std::vector<std::string> args;
    for (const std::string& a : h.args) args.push_back(a == "@" ? table : a[0] == '+' ? dir.file(a.substr(1)) : a);

    store::Store holder;
    ASSERT_NE(holder.use(dbf, "plan", h.shared), nullptr);
    Result r = runTool(args);
    if (h.succeeds) {
        EXPECT_TRUE(r.exited && r.code == 0) << r.describe();
    } else {
        expectFailure(r, 2, {"plan.dbf"});
        EXPECT_TRUE(contains(r.err, "abierta") || contains(r.err, "en uso")) << r.describe();
    }
    holder.closeAll();
    EXPECT_EQ(records(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BusyTable,
    ::testing::Values(Holder{"exclusive_struct", false, {"struct", "@"}, false},
                      Holder{"exclusive_dump", false, {"dump", "@"}, false},
                      Holder{"exclusive_check", false, {"check", "@", "+ix"}, false},
                      Holder{"exclusive_import", false, {"import", "@", "+more.csv"}, false},
                      Holder{"exclusive_index", false, {"index", "@", "+ix", "CUENTA"}, false},
                      Holder{"exclusive_pack", false, {"pack", "@"}, false},
                      Holder{"exclusive_create", false, {"create", "@", "A:C:1", "--force"}, false},
                      Holder{"shared_struct", true, {"struct", "@"}, true},
                      Holder{"shared_dump", true, {"dump", "@", "--index", "+ix"}, true},
                      Holder{"shared_check", true, {"check", "@", "+ix"}, true},
                      Holder{"shared_import", true, {"import", "@", "+more.csv"}, false},
                      Holder{"shared_index", true, {"index", "@", "+ix", "CUENTA"}, false},
                      Holder{"shared_pack", true, {"pack", "@"}, false},
                      Holder{"shared_create", true, {"create", "@", "A:C:1", "--force"}, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

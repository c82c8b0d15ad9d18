// The work tables that every company selection recreates in the work folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/company.h"
#include "support.h"

namespace fs = std::filesystem;

namespace {

// The expected layouts, field by field: "NAME T WIDTH DECIMALS" separated by ';'.
struct Layout {
    const char* table;
    std::string fields;
};

std::string repeat(const std::vector<std::string>& names, const char* spec) {
    std::string r;
    for (const auto& n : names) r += n + " " + spec + ";";
    return r;
}

std::string numbered(const std::string& stem, int first, int last, const char* spec) {
    std::vector<std::string> names;
    for (int i = first; i <= last; ++i) names.push_back(stem + std::to_string(i));
    return repeat(names, spec);
}

const std::string kLcLv =
    "CORR N 6 0;GLOSA C 30 0;VOU N 4 0;T C 2 0;TL C 1 0;SERIE C 10 0;NUMERO C 20 0;DOC C 2 0;NOMDOC C 20 0;"
    "TDOC C 1 0;RFECHA D 8 0;RTDOC C 2 0;RNUMERO C 20 0;RSERIE C 20 0;FECHAD D 8 0;RUT C 11 0;TC N 10 3;"
    "MONEDA C 1 0;RS C 40 0;IVA1 N 17 2;" +
    numbered("NETO", 1, 9, "N 17 2") + "TOTAL N 17 2;SNUMERO C 20 0;SFECHA D 8 0;FECHAV D 8 0;";

const std::string kLdg =
    "VOU N 4 0;CUENTA C 10 0;DEBE N 17 2;HABER N 17 2;GLOSA C 30 0;T C 2 0;FECHA D 8 0;MESV C 2 0;SALDO N 17 2;"
    "SERIE C 10 0;NUMERO C 20 0;DOC C 2 0;FECHAD D 8 0;FECHAV D 8 0;RUT C 11 0;RS C 40 0;TC N 10 5;MONEDA C 1 0;";

const std::vector<Layout>& expected() {
    static const std::vector<Layout> layouts = {
        {"tmpsbco",
         "EMPRESA C 20 0;MONTOS N 17 2;MONTO N 17 2;MONTOD N 17 2;CUENTA C 10 0;NOMBRE C 30 0;ORIGEN C 2 0;"
         "MONEDA C 1 0;BCTACTE C 20 0;BANCOEF C 2 0;BANCOMO C 1 0"},
        {"tmplr",
         "CORR N 4 0;GLOSA C 30 0;VOU N 4 0;T C 2 0;TL C 1 0;SERIE C 10 0;NUMERO C 20 0;DOC C 2 0;FECHAD D 8 0;"
         "FECHAV D 8 0;RUT C 11 0;TC N 10 5;MONEDA C 1 0;RS C 40 0;NETO1 N 17 2;NETO2 N 17 2;IH N 17 2;"
         "IT N 17 2;TOTAL N 17 2"},
        {"tmplc", kLcLv},
        {"tmplv", kLcLv},
        {"tmpbc",
         "CUENTA C 10 0;NOMBRE C 40 0;BD C 1 0;MONTO N 17 2;SALDOA N 17 2;MOVD N 17 2;MOVH N 17 2;ESTADO C 1 0"},
        {"tmpbg2",
         "CUENTA C 10 0;NOMBRE C 40 0;MONTO N 17 2;CUENTA2 C 10 0;NOMBRE2 C 40 0;MONTO2 N 17 2;CTA22 C 4 0;"
         "CTA2 C 4 0;SBS C 6 0;SBS2 C 6 0"},
        {"tmpbg", "CUENTA C 10 0;NOMBRE C 40 0;MONTO N 17 2;CTA2 C 4 0;CTA3 C 100 0;SBS C 6 0"},
        {"tmpbt", "CUENTA C 10 0;NOMBRE C 30 0;" +
                      repeat({"DEBITO", "CREDITO", "DEUDOR", "ACREEDOR", "ACTIVO", "PASIVO", "PERDIDA", "GANANCIA",
                              "PERFUN", "GANFUN"},
                             "N 17 2") +
                      "ORIGEN C 2 0;RNF C 1 0"},
        {"tmpcb",
         "VOU N 4 0;DEBE N 17 2;HABER N 17 2;GLOSA C 30 0;T C 2 0;FECHA D 8 0;MESV C 2 0;MESC C 2 0;SALDO N 17 2;"
         "SERIE C 10 0;NUMERO C 20 0;DOC C 2 0;RUT C 11 0;RS C 40 0;FECHAV D 8 0;MONEDA C 1 0;ECAR C 1 0;"
         "TIPO C 1 0"},
        {"tmpldr", "CUENTA C 10 0;DEBE N 17 2;HABER N 17 2;NOMBRE C 30 0;T C 2 0;ORIGEN C 20 0;MESV C 2 0"},
        {"tmpcon", "VOU N 4 0;DEBE N 17 2;HABER N 17 2;GLOSA C 30 0;T C 2 0;MESV C 2 0;DEBED N 17 2;HABERD N 17 2"},
        {"tmpldo",
         "VOU N 4 0;T C 2 0;CUENTA C 10 0;NOMBRE C 30 0;DEBE N 17 2;HABER N 17 2;GLOSA C 30 0;FECHA D 8 0;"
         "MESV C 2 0;SERIE C 10 0;NUMERO C 20 0;DOC C 2 0;FECHAD D 8 0;FECHAV D 8 0;RUT C 11 0;RS C 40 0;"
         "TC N 10 5;MONEDA C 1 0;FE C 4 0;RFECHA D 8 0;RTDOC C 2 0;RNUMERO C 20 0"},
        {"tmplmg",
         "CUENTA C 10 0;CUENTA2 C 10 0;DEBE N 17 2;HABER N 17 2;GLOSA C 30 0;T C 2 0;MESV C 2 0;NOMBRE C 30 0;"
         "ORIGEN C 15 0"},
        {"tmplma",
         "VOU N 4 0;CUENTA C 10 0;DEBE N 17 2;HABER N 17 2;GLOSA C 30 0;T C 2 0;FECHA D 8 0;MESV C 2 0;"
         "MSALDO N 17 2;SALDO N 17 2;SERIE C 10 0;NUMERO C 20 0;DOC C 2 0;TDOC C 1 0;FECHAD D 8 0;RUT C 11 0;"
         "RS C 40 0;TC N 10 5;FECHAV D 8 0;MONEDA C 1 0;MESC C 2 0;FE C 4 0;ECAR C 1 0;MPAGO C 3 0;"
         "NOMBRE C 30 0;BANCOEF C 3 0;BCTACTE C 30 0;NETO N 17 2;NETO2 N 17 2;NETO3 N 15 2;DEBED N 17 2;"
         "HABERD N 17 2;MSALDOD N 17 2;SALDOD N 17 2"},
        {"tmplcb",
         "VOU N 4 0;CUENTA C 10 0;DEBE N 17 2;HABER N 17 2;GLOSA C 30 0;T C 2 0;FECHA D 8 0;SALDO N 17 2;"
         "SERIE C 10 0;NUMERO C 20 0;DOC C 2 0;FECHAD D 8 0;FECHAV D 8 0;FE C 4 0"},
        {"tmpldg", kLdg},
        {"tmpadp", kLdg + "CLASE9 C 10 0;DEBED N 17 2;HABERD N 17 2;SALDOS N 17 2;SALDOD N 17 2;MESC C 2 0;"
                          "CONCI C 1 0;DIF C 1 0;NOMBRE C 30 0"},
        {"tmplds", "T C 2 0;VOU N 4 0;CUENTA C 10 0;GLOSA C 40 0;FECHA D 8 0;" +
                       repeat({"C10",    "C12",    "C16", "C20", "C21", "C33", "C34", "C38", "C39",
                               "C4011D", "C4011C", "C4017D", "C4017C", "C402", "C42", "C46", "C50", "C58",
                               "C59",    "C60",    "C61", "C62", "C63", "C64", "C65", "C66", "C67",
                               "C68",    "C69",    "C96", "C97", "C70", "C75", "C76", "C77", "C79"},
                              "N 17 2")},
        {"tmplda",
         "VOU N 4 0;MESV C 2 0;CUENTA C 10 0;NOMBRE C 30 0;DEBE N 17 2;HABER N 17 2;GLOSA C 30 0;T C 2 0;"
         "TONOM C 20 0;FECHA D 8 0;SERIE C 10 0;NUMERO C 20 0;DOC C 2 0;FECHAD D 8 0;FECHAV D 8 0;RUT C 11 0;"
         "RS C 40 0;TC N 10 5;MONEDA C 1 0;FE C 4 0;RFECHA D 8 0;RTDOC C 2 0;RNUMERO C 20 0"},
        {"tmpag", "CUENTA C 10 0;CODIGO C 11 0;NOMBRE C 30 0;BD C 1 0;" + numbered("M", 90, 99, "N 17 2") +
                      "MONTO N 17 2;FECHA D 8 0;PERIODO C 30 0;TOTAL N 17 2"},
        {"tmptxt", "LTXT C 240 0"},
        {"tmpctac",
         "RUT C 11 0;RS C 40 0;NOM1 C 20 0;NOM2 C 20 0;APE1 C 20 0;APE2 C 20 0;TIPO C 20 0;DI C 60 0;"
         "FONO C 20 0;CODIGO C 11 0;ATEN C 30 0;DCRED C 2 0;ARUT C 11 0;ARS C 40 0;ADI C 60 0;AFONO C 20 0;"
         "VEND C 10 0;TDOC C 13 0"},
    };
    return layouts;
}

std::vector<std::string> split(const std::string& s) {
    std::vector<std::string> r;
    std::stringstream in(s);
    for (std::string item; std::getline(in, item, ';');)
        if (!item.empty()) r.push_back(item);
    return r;
}

char typeLetter(store::Type t) {
    switch (t) {
        case store::Type::Char: return 'C';
        case store::Type::Num: return 'N';
        case store::Type::Date: return 'D';
        case store::Type::Logic: return 'L';
        default: return '?';
    }
}

std::vector<std::string> actualLayout(const std::string& path) {
    store::Store st;
    store::WorkArea* a = st.use(path, "t", true);
    std::vector<std::string> r;
    if (!a) return r;
    for (const auto& f : a->fields())
        r.push_back(f.name + " " + typeLetter(f.type) + " " + std::to_string(f.length) + " " +
                    std::to_string(f.decimals));
    return r;
}

std::uint32_t records(const std::string& path) {
    store::Store st;
    store::WorkArea* a = st.use(path, "t", true);
    return a ? a->recCount() : 0xFFFFFFFFu;
}

class WorkTables : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(start.demoFolder()); }
    std::string work() const { return start.demoFolder() + "/tmp"; }
    std::string table(const std::string& name) const { return work() + "/" + name + ".dbf"; }

    // Puts a record into a work table (exclusive, as the reports use them).
    void fill(const std::string& name, int count = 1) {
        store::Store st;
        store::WorkArea* a = st.use(table(name), "t", false);
        ASSERT_NE(a, nullptr);
        for (int i = 0; i < count; ++i) ASSERT_TRUE(a->appendBlank());
        a->commit();
    }

    app_test::StartFolder start;
};

TEST_F(WorkTables, EveryTableHasItsLayout) {
    ASSERT_FALSE(fs::exists(work()));
    platform::Status s = app::CREATMP(start.ctx, app::kWorkFolder);
    ASSERT_TRUE(s.ok()) << s.message();
    ASSERT_TRUE(fs::is_directory(work()));

    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(work())) names.insert(e.path().filename().string());
    std::set<std::string> wanted;
    for (const Layout& l : expected()) wanted.insert(std::string(l.table) + ".dbf");
    EXPECT_EQ(names, wanted);

    for (const Layout& l : expected()) {
        SCOPED_TRACE(l.table);
        EXPECT_EQ(actualLayout(table(l.table)), split(l.fields));
        EXPECT_EQ(records(table(l.table)), 0u);
    }
}

TEST_F(WorkTables, ExistingTablesAreReplacedEmpty) {
    ASSERT_TRUE(app::CREATMP(start.ctx, app::kWorkFolder).ok());
    fill("tmpbc", 3);
    fill("tmptxt", 2);
    // A table of the same name with another layout, as an older version may have left it.
    store::Store::createTable(table("tmpcon"), {{"OTRO", store::Type::Char, 5, 0}});
    fill("tmpcon");
    ASSERT_EQ(records(table("tmpbc")), 3u);

    platform::Status s = app::CREATMP(start.ctx, app::kWorkFolder);
    ASSERT_TRUE(s.ok()) << s.message();
    for (const char* name : {"tmpbc", "tmptxt", "tmpcon"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(records(table(name)), 0u);
    }
    for (const Layout& l : expected()) {
        if (std::string(l.table) == "tmpcon") {
            EXPECT_EQ(actualLayout(table("tmpcon")), split(l.fields));
        }
    }
}

TEST_F(WorkTables, TableOpenElsewhereIsKept) {
    struct Case {
        const char* table;
        bool shared;
    };
    for (const Case& c : {Case{"tmpcb", true}, Case{"tmplma", false}}) {
        SCOPED_TRACE(c.table);
        ASSERT_TRUE(app::CREATMP(start.ctx, app::kWorkFolder).ok());
        fill(c.table, 2);
        fill("tmpldg", 1);

        store::Store other;  // another program instance on this machine
        store::WorkArea* held = other.use(table(c.table), "held", c.shared);
        ASSERT_NE(held, nullptr);

        platform::Status s = app::CREATMP(start.ctx, app::kWorkFolder);
        EXPECT_TRUE(s.ok()) << s.message();
        EXPECT_EQ(held->recCount(), 2u);
        other.closeAll();
        EXPECT_EQ(records(table(c.table)), 2u);
        EXPECT_EQ(records(table("tmpldg")), 0u);  // the free ones are recreated
    }
}

TEST_F(WorkTables, MissingParentFails) {
    fs::remove_all(start.demoFolder());
    platform::Status s = app::CREATMP(start.ctx, app::kWorkFolder);
    EXPECT_FALSE(s.ok());
    EXPECT_NE(s.message().find("tmp"), std::string::npos) << s.message();
    EXPECT_FALSE(fs::exists(start.demoFolder()));

    // a folder two levels below an existing one is not made either
    s = app::CREATMP(start.ctx, "c:\\QRX2012\\otro\\tmp");
    EXPECT_FALSE(s.ok());
    EXPECT_FALSE(fs::exists(start.demoFolder()));
}

TEST_F(WorkTables, ExistingFolderAndOtherFilesStay) {
    fs::create_directories(work());
    testsupport::writeFile(work() + "/notas.txt", "hola");
    ASSERT_TRUE(app::CREATMP(start.ctx, app::kWorkFolder).ok());
    EXPECT_TRUE(fs::exists(work() + "/notas.txt"));
    EXPECT_TRUE(fs::exists(table("tmptxt")));
}

TEST_F(WorkTables, RefusedFolderFails) {
    platform::Status s = app::CREATMP(start.ctx, "c:\\QRX2012\\t?p");
    EXPECT_FALSE(s.ok());
    EXPECT_FALSE(s.message().empty());
}

}  // namespace

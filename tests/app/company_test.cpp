// Company selection over a start folder with the installation data: a new folder
// filled from the template sets or from another company, the automatic rebuild,
// the shared opening under the aliases, the globals, and the refusals.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/company.h"
#include "platform/clock.h"
#include "store/error.h"
#include "support.h"

namespace fs = std::filesystem;
using store::Value;

namespace {

using app_test::trim;


class Company : public ::testing::Test {
protected:
    void SetUp() override { platform::Clock::setFixedToday(2026, 12, 11); }
    void TearDown() override { platform::Clock::reset(); }

    // Adds a registry record and leaves `emp` on it.
    void addCompany(const std::string& des, const std::string& via, const std::string& via2 = "") {
        store::WorkArea& emp = sf.ctx.store.select("emp");
        ASSERT_TRUE(store::ADD_REC(sf.ctx.store, 1));
        emp.put("DES", Value(des));
        emp.put("VIA", Value(via));
        emp.put("VIA2", Value(via2));
        emp.unlock();
    }
    // Opens the registry and selects its first company, answering the folder question.
    bool selectDemo(const char* answer = "Yes") {
        EXPECT_TRUE(app::openRegistry(sf.ctx));
        sf.script({std::string("answer ") + answer});
        return app::SELEEMP(sf.ctx, false);
    }
    std::string field(const char* alias, const char* name) {
        store::WorkArea& a = sf.ctx.store.area(alias);
        return trim(a.text(name));
    }

    app_test::StartFolder sf;
};

TEST_F(Company, TheDemoCompanyIsFilledFromTheTemplateSetTheMarkerChooses) {
    struct Case {
        bool marker;
        const char* var1;
    };
    for (Case c : {Case{false, "EMPRESA NUEVA"}, Case{true, "DEMO"}}) {
        SCOPED_TRACE(c.marker ? "with the marker" : "without the marker");
        sf.ctx.store.closeAll();
        fs::remove_all(sf.demoFolder());
        fs::remove(sf.file("empresa.dbf"));
        if (c.marker) testsupport::writeFile(sf.file("taviron1.exe"), "");
        ASSERT_TRUE(selectDemo());
        EXPECT_EQ(sf.ctx.RUTA, "C:\\QRX2012");
        EXPECT_EQ(field("var", "VAR1"), c.var1);
        EXPECT_EQ(sf.ctx.store.area("var").date("FBACKUP"), *store::Date::fromYmd(2026, 12, 11));
        // every company table open under its alias with its orders, the first controlling
        for (const auto& t : app::companyTables()) {
            store::WorkArea* a = sf.ctx.store.find(t.alias);
            ASSERT_NE(a, nullptr) << t.alias;
            EXPECT_TRUE(a->shared());
            EXPECT_EQ(a->orderCount(), static_cast<int>(t.indexes.size())) << t.alias;
            EXPECT_EQ(a->order(), t.indexes.empty() ? 0 : 1) << t.alias;
        }
        EXPECT_TRUE(fs::exists(sf.demoFolder() + "/plan1.ntx"));  // the automatic rebuild ran
        EXPECT_TRUE(fs::exists(sf.demoFolder() + "/tmp/tmplda.dbf"));  // the work tables
        EXPECT_EQ(sf.ctx.store.current().alias(), "emp");
        EXPECT_EQ(sf.ctx.WTIT, "QRX 2012" + std::string(10, ' ') + sf.ctx.store.area("var").text("VAR1") +
                                   std::string(4, ' ') + "ENERO    ");
        EXPECT_EQ(trim(sf.ctx.NOMCIA4), "2026");
        EXPECT_EQ(sf.ctx.CDIGITO13, "@Z 999,999,999.99");
        // the question was asked once, with its title
        ASSERT_EQ(sf.backend().shown().size(), 1u);
        EXPECT_EQ(sf.backend().shown()[0].text, "LA RUTA NO EXISTE SE PROCEDERA A CREARLA");
        EXPECT_EQ(sf.backend().shown()[0].title, "Seleccione una Opcion");
        fs::remove(sf.file("taviron1.exe"));
    }
}

TEST_F(Company, DecliningTheNewFolderCreatesNothing) {
    EXPECT_FALSE(selectDemo("No"));
    EXPECT_FALSE(fs::exists(sf.demoFolder()));
    EXPECT_TRUE(sf.ctx.RUTA.empty());
    EXPECT_FALSE(sf.ctx.companyOpen());
}

TEST_F(Company, AMissingSourceCompanyIsRefusedBeforeAsking) {
    ASSERT_TRUE(app::openRegistry(sf.ctx));
    addCompany("NUEVA", "C:\\NUEVA", "C:\\NOEXISTE");
    sf.script();
    EXPECT_FALSE(app::SELEEMP(sf.ctx, false));
    EXPECT_EQ(sf.messages(), (std::vector<std::string>{
                                 "LA RUTA PARA RECUPERAR LOS DATOS NO EXISTE, TIENE QUE BORRAR Y CREAR NUEVAMENTE LA RUTA"}));
    EXPECT_FALSE(fs::exists(sf.file("drive_c/NUEVA")));
}

TEST_F(Company, ACopyOfAnotherCompanyStartsWithoutMovements) {
    testsupport::writeFile(sf.file("taviron1.exe"), "");  // the demo company has vouchers and balances
    ASSERT_TRUE(selectDemo());
    ASSERT_GT(sf.ctx.store.area("vou").recCount(), 0u);
    addCompany("COPIA", "C:\\COPIA", "C:\\QRX2012");
    sf.script({"answer Yes"});
    ASSERT_TRUE(app::SELEEMP(sf.ctx, false)) << sf.messages().back();
    EXPECT_EQ(sf.ctx.RUTA, "C:\\COPIA");
    EXPECT_EQ(field("var", "VAR1"), "DEMO");  // the source's parameters
    EXPECT_EQ(sf.ctx.store.area("var").date("FBACKUP"), *store::Date::fromYmd(2026, 12, 11));
    EXPECT_EQ(sf.ctx.store.area("vou").recCount(), 0u);
    store::WorkArea& plan = sf.ctx.store.area("plan");
    EXPECT_GT(plan.recCount(), 100u);
    int nonZero = 0;
    plan.forEach([&] {
        for (const char* p : {"DEBE", "HABER", "DEBED", "HABERD"})
            for (int m = 0; m <= 13; ++m) {
                char name[16];
                std::snprintf(name, sizeof name, "%s%02d", p, m);
                if (!plan.num(name).isZero()) ++nonZero;
            }
    });
    EXPECT_EQ(nonZero, 0);
    store::WorkArea& to = sf.ctx.store.area("to");
    EXPECT_GT(to.recCount(), 0u);
    to.forEach([&] {
        for (int m = 0; m <= 13; ++m) {
            char name[16];
            std::snprintf(name, sizeof name, "NUMERO%02d", m);
            EXPECT_TRUE(to.num(name).isZero()) << name;
        }
    });
    EXPECT_GT(sf.ctx.store.area("pc").recCount(), 0u);  // counterparties come along
}

TEST_F(Company, AFolderWithCompanyTablesButNoChartIsNeverFilled) {
    fs::create_directories(sf.demoFolder());
    testsupport::writeFile(sf.demoFolder() + "/zdr_vou.dbf", "voucher lines of a damaged company");
    EXPECT_FALSE(selectDemo());
    ASSERT_EQ(sf.messages().size(), 2u);  // the question, then the refusal
    EXPECT_NE(sf.messages()[1].find("zdr_vou.dbf"), std::string::npos) << sf.messages()[1];
    EXPECT_FALSE(fs::exists(sf.demoFolder() + "/zdr_plan.dbf"));
    std::ifstream in(sf.demoFolder() + "/zdr_vou.dbf");
    std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(kept, "voucher lines of a damaged company");
}

TEST_F(Company, WithoutTheChartIndexEveryTableIsRebuiltAndCleaned) {
    testsupport::writeFile(sf.file("taviron1.exe"), "");
    ASSERT_TRUE(selectDemo());
    const std::uint32_t lines = sf.ctx.store.area("vou").recCount();
    const std::uint32_t accounts = sf.ctx.store.area("plan").recCount();
    // invalid records, and a company deleted on the registry screen
    {
        store::WorkArea& vou = sf.ctx.store.select("vou");
        ASSERT_TRUE(store::ADD_REC(sf.ctx.store, 1));
        vou.put("MESV", Value("01"));
        vou.put("T", Value("05"));  // VOU stays 0
        vou.unlock();
        store::WorkArea& plan = sf.ctx.store.select("plan");
        ASSERT_TRUE(store::ADD_REC(sf.ctx.store, 1));  // blank CUENTA
        plan.unlock();
        addCompany("BORRADA", "C:\\BORRADA");
        ASSERT_TRUE(store::REC_LOCK(sf.ctx.store, 1));
        sf.ctx.store.area("emp").markDeleted();
        sf.ctx.store.area("emp").unlock();
    }
    sf.ctx.store.closeAll();
    fs::remove(sf.demoFolder() + "/plan1.ntx");
    fs::remove(sf.demoFolder() + "/v3.ntx");
    ASSERT_TRUE(app::openRegistry(sf.ctx));
    sf.script();
    ASSERT_TRUE(app::SELEEMP(sf.ctx, false));
    EXPECT_EQ(sf.ctx.store.area("vou").recCount(), lines);
    EXPECT_EQ(sf.ctx.store.area("plan").recCount(), accounts);
    EXPECT_EQ(sf.ctx.store.area("emp").recCount(), 1u);  // packed
    EXPECT_TRUE(fs::exists(sf.demoFolder() + "/v3.ntx"));
    store::WorkArea& plan = sf.ctx.store.area("plan");
    EXPECT_EQ(plan.checkOrder(1), "");
    EXPECT_TRUE(plan.seek(Value("104101")));
}

// A table that another program holds exclusively: the selection says which one and
// why, and leaves the company that was open before.
TEST_F(Company, ATableHeldExclusivelyElsewhereIsNamed) {
    ASSERT_TRUE(selectDemo());
    addCompany("OTRA", "C:\\OTRA");
    sf.script({"answer Yes"});
    ASSERT_TRUE(app::SELEEMP(sf.ctx, false));  // C:\OTRA made from the templates
    // back to the demo company; then another program takes C:\OTRA's chart
    store::WorkArea& emp = sf.ctx.store.select("emp");
    emp.goTop();
    sf.script();
    ASSERT_TRUE(app::SELEEMP(sf.ctx, false));
    store::Store other;
    ASSERT_NE(other.use(sf.file("drive_c/OTRA/zdr_plan.dbf"), "plan", false), nullptr);
    sf.ctx.store.area("emp").goBottom();  // the selection reopened the registry
    sf.script();
    EXPECT_FALSE(app::SELEEMP(sf.ctx, false));
    ASSERT_EQ(sf.messages().size(), 1u);
    EXPECT_NE(sf.messages()[0].find("zdr_plan.dbf"), std::string::npos) << sf.messages()[0];
    EXPECT_NE(sf.messages()[0].find("otra estación"), std::string::npos) << sf.messages()[0];
    EXPECT_EQ(sf.ctx.RUTA, "C:\\QRX2012");
    EXPECT_TRUE(sf.ctx.companyOpen());
    EXPECT_NE(sf.ctx.store.find("plan"), nullptr);
}

TEST_F(Company, BackupWarnings) {
    using store::Date;
    struct Case {
        const char* folder;
        Date fbackup;
        const char* year;
        Date today;
        const char* warning;
    };
    const char* seven = "TIENE MAS DE 7 DIAS SIN REALIZAR UNA COPIA DE SEGURIDAD DE ESTA EMPRESA";
    const char* recommend = "SE RECOMIENDA REALIZAR UNA COPIA DE SEGURIDAD DE ESTA EMPRESA";
    auto d = [](int y, int m, int dd) { return *Date::fromYmd(y, m, dd); };
    for (Case c : std::vector<Case>{
             {"D:\\ACME", d(2012, 1, 15), "2011", d(2012, 2, 10), recommend},
             {"D:\\ACME", d(2012, 1, 31), "2011", d(2012, 2, 10), ""},
             {"D:\\ACME", d(2012, 1, 29), "2011", d(2012, 2, 10), recommend},
             {"D:\\ACME", d(2012, 1, 30), "2011", d(2012, 2, 10), ""},
             {"D:\\ACME", d(2012, 3, 1), "2012", d(2012, 3, 9), seven},
             {"D:\\ACME", d(2012, 3, 2), "2012", d(2012, 3, 9), ""},
             {"D:\\ACME", Date(), "2012", d(2012, 3, 9), seven},
             {"c:\\qrx2012", Date(), "2012", d(2012, 3, 9), ""},
             {"C:\\QRX2012\\EMPRESA2", Date(), "2011", d(2012, 3, 9), ""},
             {"D:\\ACME", d(2010, 1, 1), "", d(2012, 3, 9), ""},
         }) {
        SCOPED_TRACE(std::string(c.folder) + " " + c.fbackup.toText() + " " + c.year + " " + c.today.toText());
        EXPECT_EQ(app::backupWarning(sf.ctx, c.folder, c.fbackup, c.year, c.today), c.warning);
    }
}

TEST_F(Company, TheWarningIsShownAtSelectionWithItsTitle) {
    ASSERT_TRUE(app::openRegistry(sf.ctx));
    addCompany("ACME", "D:\\ACME");
    fs::create_directories(sf.file("drive_d"));
    sf.script({"answer Yes"});
    ASSERT_TRUE(app::SELEEMP(sf.ctx, false));
    EXPECT_EQ(sf.messages().size(), 1u);  // filled today: no warning
    sf.ctx.store.closeAll();
    platform::Clock::setFixedToday(2027, 1, 20);  // the template's working year 2026 is past
    ASSERT_TRUE(app::openRegistry(sf.ctx));
    sf.ctx.store.area("emp").goBottom();
    sf.script();
    ASSERT_TRUE(app::SELEEMP(sf.ctx, false));
    ASSERT_EQ(sf.backend().shown().size(), 1u);
    EXPECT_EQ(sf.backend().shown()[0].text, "SE RECOMIENDA REALIZAR UNA COPIA DE SEGURIDAD DE ESTA EMPRESA");
    EXPECT_EQ(sf.backend().shown()[0].title, app::kBackupWarningTitle);
}

TEST_F(Company, TheRegistryIsCreatedWithTheDemoCompany) {
    ASSERT_TRUE(app::openRegistry(sf.ctx));
    store::WorkArea& emp = sf.ctx.store.area("emp");
    EXPECT_TRUE(emp.shared());
    EXPECT_EQ(emp.recCount(), 1u);
    EXPECT_EQ(trim(emp.text("DES")), "DEMO");
    EXPECT_EQ(trim(emp.text("VIA")), "C:\\QRX2012");
    EXPECT_EQ(trim(emp.text("VIA2")), "");
    EXPECT_EQ(emp.fields().size(), 3u);
}

}  // namespace

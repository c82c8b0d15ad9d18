// The backup of a company made from the templates into the start folder, and its
// restore into another company folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/backup.h"
#include "app/company.h"
#include "platform/archive.h"
#include "platform/clock.h"
#include "support.h"

namespace fs = std::filesystem;
using store::Value;

namespace {

using app_test::trim;


class Backup : public ::testing::Test {
protected:
    void SetUp() override {
        platform::Clock::setFixedToday(2026, 12, 9);
        ASSERT_TRUE(sf.openDemo());
    }
    void TearDown() override { platform::Clock::reset(); }

    std::string fbackup() {
        store::Store reader;
        store::WorkArea* var = reader.use(sf.demoFolder() + "/zdr_var.dbf", "var", true);
        var->goTop();
        return var->date("FBACKUP").toText();
    }
    // Backdates the last backup, as a company that has not been saved for a while.
    void setFbackup(int y, int m, int d) {
        store::WorkArea& var = sf.ctx.store.select("var");
        var.goTop();
        ASSERT_TRUE(var.recLock());
        var.put("FBACKUP", Value(*store::Date::fromYmd(y, m, d)));
        var.unlock();
    }
    bool backup() {
        sf.script({"expect message \"El Sistema Retornara a Windows\""});
        bool done = app::BACKUP(sf.ctx);
        sf.backend().finish();
        EXPECT_TRUE(sf.backend().ok()) << sf.backend().failures().front();
        EXPECT_EQ(sf.backend().shown().back().title, "Proceso Terminado");
        return done;
    }
    std::vector<std::string> zdrFiles(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder)) {
            std::string n = e.path().filename().string();
            if (n.rfind("zdr", 0) == 0) names.push_back(n);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    // True when a message beginning with this text was shown.
    bool shownBeginning(const std::string& text) {
        for (const auto& m : sf.backend().shown())
            if (m.text.rfind(text, 0) == 0) return true;
        return false;
    }

    app_test::StartFolder sf;
    const std::string archive = "EMPRESA NUEVA 09-12-2026.ZIP";
};

TEST(BackupName, TheScreenNameAndTheDateMakeASafeFileName) {
    const struct {
        const char* screen;
        const char* name;
    } cases[] = {
        {"ACME", "ACME 09-12-2012.ZIP"},
        {"  ACME S.A.   ", "ACME S.A. 09-12-2012.ZIP"},
        {"", "09-12-2012.ZIP"},
        {"A/B\\C:D*E?F\"G<H>I|J", "A_B_C_D_E_F_G_H_I_J 09-12-2012.ZIP"},
        {"..\\..\\ARRIBA", ".._.._ARRIBA 09-12-2012.ZIP"},
        {"\x01TAB\tX", "_TAB_X 09-12-2012.ZIP"},
    };
    for (const auto& c : cases) EXPECT_EQ(app::backupArchiveName(c.screen, {2012, 12, 9}), c.name) << c.screen;
}

TEST_F(Backup, TheArchiveHoldsExactlyTheCompanyTablesAndRecordsTheDate) {
    setFbackup(2026, 11, 1);
    ASSERT_TRUE(backup());
    const std::string zip = sf.file(archive);
    ASSERT_TRUE(fs::exists(zip));
    ASSERT_FALSE(app_test::run("command -v unzip").empty()) << "unzip is not installed";
    EXPECT_NE(app_test::run("unzip -t '" + zip + "' && echo ARCHIVE-OK").find("ARCHIVE-OK"), std::string::npos);
    auto entries = platform::listZip(archive);
    ASSERT_TRUE(entries) << entries.message();
    std::vector<std::string> names;
    for (const auto& e : entries.value()) names.push_back(e.name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, zdrFiles(sf.demoFolder()));
    EXPECT_FALSE(names.empty());
    EXPECT_EQ(fbackup(), "09/12/2026");
}

TEST_F(Backup, ASecondBackupOnTheSameDayReplacesTheFirst) {
    ASSERT_TRUE(backup());
    const auto first = fs::file_size(sf.file(archive));
    // more data since the first backup
    ASSERT_TRUE(app::openCompany(sf.ctx));
    store::WorkArea& pc = sf.ctx.store.select("pc");
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(store::ADD_REC(sf.ctx.store, 1));
        pc.put("RUT", Value("2010000" + std::to_string(1000 + i)));
        pc.unlock();
    }
    ASSERT_TRUE(backup());
    EXPECT_GT(fs::file_size(sf.file(archive)), first);
    int archives = 0;
    for (const auto& e : fs::directory_iterator(sf.path())) archives += e.path().extension() == ".ZIP";
    EXPECT_EQ(archives, 1);
}

TEST_F(Backup, AnArchiveThatCannotBeWrittenIsReportedAndRecordsNothing) {
    setFbackup(2026, 11, 1);
    fs::create_directories(sf.file(archive));  // a folder stands where the archive goes
    sf.script({"expect message \"El Sistema Retornara a Windows\""});
    EXPECT_FALSE(app::BACKUP(sf.ctx));
    sf.backend().finish();
    EXPECT_TRUE(sf.backend().ok()) << sf.backend().failures().front();
    EXPECT_TRUE(shownBeginning("No se pudo hacer la copia de seguridad " + archive + ": "));
    EXPECT_EQ(fbackup(), "01/11/2026");
}

TEST_F(Backup, TheWarningsOfTheSelectionGoAfterABackup) {
    platform::Clock::setFixedToday(2026, 12, 20);
    setFbackup(2026, 12, 1);
    const std::string folder = "D:\\ACME";
    fs::create_directories(sf.file("drive_d"));
    store::WorkArea& emp = sf.ctx.store.select("emp");
    ASSERT_TRUE(store::ADD_REC(sf.ctx.store, 1));
    emp.put("DES", Value("ACME"));
    emp.put("VIA", Value(folder));
    emp.unlock();
    sf.script({"answer Yes"});
    ASSERT_TRUE(app::SELEEMP(sf.ctx, false));  // filled today: no warning
    platform::Clock::setFixedToday(2026, 12, 30);
    auto selectAcme = [&](std::vector<std::string> lines) {
        sf.ctx.store.closeAll();
        ASSERT_TRUE(app::openRegistry(sf.ctx));
        sf.ctx.store.area("emp").goBottom();
        sf.script(lines);
        ASSERT_TRUE(app::SELEEMP(sf.ctx, false));
        sf.backend().finish();
        EXPECT_TRUE(sf.backend().ok()) << sf.backend().failures().front();
    };
    selectAcme({"expect message \"TIENE MAS DE 7 DIAS SIN REALIZAR UNA COPIA DE SEGURIDAD DE ESTA EMPRESA\""});
    ASSERT_TRUE(backup());
    EXPECT_TRUE(fs::exists(sf.file("EMPRESA NUEVA 30-12-2026.ZIP")));
    selectAcme({"expect nomessage"});
    EXPECT_EQ(sf.messages().size(), 0u);
}

TEST_F(Backup, TheArchiveRestoresIntoAWorkingCompany) {
    ASSERT_TRUE(backup());
    ASSERT_TRUE(app::openRegistry(sf.ctx));
    fs::create_directories(sf.file("drive_d"));
    sf.script({"expect dialog Restaura", "choose \"" + archive + "\" in 173", "type \"D:\\\\RESTAURADA\" into 174",
               "press 175"});
    EXPECT_TRUE(app::RESTAURA(sf.ctx));
    sf.backend().finish();
    EXPECT_TRUE(sf.backend().ok()) << sf.backend().failures().front();
    EXPECT_TRUE(shownBeginning("La copia " + archive + " se restauró en la carpeta D:\\RESTAURADA."));
    EXPECT_EQ(zdrFiles(sf.file("drive_d/RESTAURADA")), zdrFiles(sf.demoFolder()));
    store::WorkArea& emp = sf.ctx.store.area("emp");
    EXPECT_EQ(trim(emp.text("DES")), "EMPRESA NUEVA");
    EXPECT_EQ(trim(emp.text("VIA")), "D:\\RESTAURADA");
    sf.script();
    ASSERT_TRUE(app::SELEEMP(sf.ctx, false));
    EXPECT_EQ(sf.ctx.RUTA, "D:\\RESTAURADA");
    EXPECT_GT(sf.ctx.store.area("plan").recCount(), 100u);
    EXPECT_TRUE(fs::exists(sf.file("drive_d/RESTAURADA/plan1.ntx")));
}

TEST_F(Backup, ARestoreIntoACompanyAsksAndOneInUseIsRefused) {
    ASSERT_TRUE(backup());
    ASSERT_TRUE(app::openRegistry(sf.ctx));
    fs::create_directories(sf.file("drive_d/OTRA"));
    fs::copy_file(sf.demoFolder() + "/zdr_pc.dbf", sf.file("drive_d/OTRA/zdr_pc.dbf"));
    const std::vector<std::string> choose = {"choose \"" + archive + "\" in 173", "type \"D:\\\\OTRA\" into 174",
                                             "press 175"};
    auto play = [&](std::vector<std::string> lines, bool restored, const std::string& said) {
        lines.insert(lines.begin(), choose.begin(), choose.end());
        sf.script(lines);
        EXPECT_EQ(app::RESTAURA(sf.ctx), restored);
        sf.backend().finish();
        EXPECT_TRUE(sf.backend().ok()) << sf.backend().failures().front();
        EXPECT_TRUE(shownBeginning(said)) << said;
    };
    {
        store::Store station;  // another station works on that folder
        ASSERT_NE(station.use(sf.file("drive_d/OTRA/zdr_pc.dbf"), "pc", true), nullptr);
        play({}, false, "La carpeta D:\\OTRA está en uso: otra estación tiene abierta la tabla zdr_pc.dbf");
    }
    play({"answer No"}, false, "La carpeta D:\\OTRA ya contiene una empresa.");
    EXPECT_FALSE(fs::exists(sf.file("drive_d/OTRA/zdr_plan.dbf")));
    play({"answer Yes"}, true, "La copia " + archive + " se restauró");
    EXPECT_TRUE(fs::exists(sf.file("drive_d/OTRA/zdr_plan.dbf")));
}

}  // namespace

#include "app/backup.h"

#include <cstdio>
#include <filesystem>
#include <vector>

#include "app/company.h"
#include "app/strings.h"
#include "platform/archive.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "store/error.h"
#include "store/store.h"
#include "ui/dialog.h"
#include "ui/patterns.h"
#include "ui/text.h"

namespace app {

namespace {

using store::Value;

constexpr const char* kRestoreTitle = "RESTAURAR COPIA DE SEGURIDAD";
constexpr double kLockWait = 5;



// The screen name of the company whose parameter record is in this folder ("" when unreadable).
std::string screenNameIn(const std::string& folder) {
    try {
        store::Store reader;
        store::WorkArea* var = reader.use(host(inFolder(folder, "zdr_var")), "var", true);
        if (!var) return {};
        var->goTop();
        return var->eof() ? std::string() : var->text("VAR1");
    } catch (const store::StoreError&) {
        return {};
    }
}

// Records today in FBACKUP of the company's parameter record, under its lock. The company
// tables are closed by then: the record is opened on its own.
bool recordBackupDate(Context& ctx) {
    try {
        store::WorkArea* var = ctx.store.use(host(inFolder(ctx.RUTA, "zdr_var")), "var", true);
        if (!var) return false;
        ctx.store.select("var");
        var->goTop();
        bool done = false;
        if (!var->eof() && store::REC_LOCK(ctx.store, kLockWait)) {
            var->put("FBACKUP", Value(app::today()));
            var->unlock();
            done = true;
        }
        ctx.store.close("var");
        return done;
    } catch (const store::StoreError&) {
        return false;
    }
}

// The table of the folder that another program holds, or "" when every table can be
// opened exclusively.
std::string tableInUse(const std::string& folder) {
    platform::Result<std::vector<std::string>> files = platform::listFiles(folder, "*.dbf");
    if (!files) return {};
    for (const std::string& f : files.value()) {
        try {
            store::Store probe;
            if (!probe.use(host(inFolder(folder, f)), "probe", false)) return f;
        } catch (const store::StoreError&) {
            return f;
        }
    }
    return {};
}

bool sameFolder(const std::string& a, const std::string& b) {
    platform::Result<std::filesystem::path> ha = platform::toHost(a), hb = platform::toHost(b);
    if (!ha || !hb) return false;
    std::error_code ec;
    return std::filesystem::equivalent(ha.value(), hb.value(), ec);
}

bool isCompanyArchive(const std::vector<platform::ZipEntry>& entries) {
    bool plan = false, var = false;
    for (const auto& e : entries) {
        if (!platform::matchesPattern(e.name, "zdr*.*")) return false;
        plan = plan || platform::namesEqualIgnoringCase(e.name, "zdr_plan.dbf");
        var = var || platform::namesEqualIgnoringCase(e.name, "zdr_var.dbf");
    }
    return plan && var;
}

// Adds the folder to the registry when no company there names it.
void registerFolder(Context& ctx, const std::string& folder) {
    store::WorkArea* emp = ctx.store.find("emp");
    if (!emp) return;
    const std::uint32_t keep = emp->recno();
    bool present = false;
    for (emp->goTop(); !emp->eof() && !present; emp->skip())
        present = platform::namesEqualIgnoringCase(app::alltrim(ui::text::fromTable(emp->text("VIA"))), folder);
    ctx.store.select("emp");
    if (!present) {
        std::string name = app::alltrim(screenNameIn(folder));
        if (name.empty()) name = ui::text::toTable(folder);
        if (store::ADD_REC(ctx.store, kLockWait)) {
            emp->put("DES", Value(ui::text::upperTable(name)));
            emp->put("VIA", Value(ui::text::toTable(folder)));
            emp->unlock();
            return;  // the pointer stays on the new company
        }
        ui::alert("La carpeta " + folder + " no se pudo agregar al registro de empresas: el registro está ocupado.",
                  kRestoreTitle);
    }
    if (keep > 0 && keep <= emp->recCount()) emp->go(keep);
    else emp->goTop();
}

// Extracts the archive into the folder: first into a scratch folder inside it, then each
// table is copied over its old one, so that a damaged archive leaves the folder untouched.
platform::Status extractInto(const std::string& archive, const std::string& folder,
                             const std::vector<platform::ZipEntry>& entries) {
    const std::string scratch = inFolder(folder, "restaura.tmp");
    platform::Result<std::filesystem::path> scratchHost = platform::toHost(scratch);
    if (!scratchHost) return platform::Status::failure(scratchHost.message());
    std::error_code ec;
    std::filesystem::remove_all(scratchHost.value(), ec);
    platform::Status st = platform::createFolder(scratch);
    if (st) st = platform::extractZip(archive, scratch);
    for (std::size_t i = 0; st && i < entries.size(); ++i)
        st = platform::copyFile(inFolder(scratch, entries[i].name), inFolder(folder, entries[i].name));
    std::filesystem::remove_all(scratchHost.value(), ec);
    if (!st) return st;
    // The old indexes do not describe the restored tables: the next selection rebuilds them.
    if (auto indexes = platform::listFiles(folder, "*.ntx"))
        for (const std::string& f : indexes.value())
            if (platform::Status gone = platform::deleteFile(inFolder(folder, f)); !gone) return gone;
    return platform::Status();
}

}  // namespace

std::string backupArchiveName(const std::string& screenName, const platform::Date& day) {
    char date[16];
    std::snprintf(date, sizeof date, "%02d-%02d-%04d", day.day, day.month, day.year);
    std::string name = app::alltrim(app::alltrim(screenName) + " " + date + ".ZIP");
    for (char& c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f || std::string_view("<>:\"|?*\\/").find(c) != std::string_view::npos) c = '_';
    }
    if (!platform::validateFileName(name)) name = std::string("EMPRESA ") + date + ".ZIP";
    return name;
}

bool ZIPFILES(Context& ctx) {
    std::string screenName;
    if (store::WorkArea* var = ctx.store.find("var")) {
        var->goTop();
        if (!var->eof()) screenName = ui::text::fromTable(var->text("VAR1"));
    }
    const std::string archive = backupArchiveName(screenName, platform::Clock::today());
    const std::string folder = app::alltrim(ui::text::fromTable(ctx.RUTA));
    ctx.store.closeAll();

    platform::Result<std::vector<std::string>> names = platform::listFiles(folder, "zdr*.*");
    if (!names) {
        ui::alert("No se pudo hacer la copia de seguridad: " + names.message(), "BackUp");
        return false;
    }
    if (names.value().empty()) {
        ui::alert("No se pudo hacer la copia de seguridad: la carpeta " + folder + " no tiene tablas de la empresa.",
                  "BackUp");
        return false;
    }
    std::vector<std::string> files;
    for (const std::string& n : names.value()) files.push_back(inFolder(folder, n));
    // Written under a temporary name: the day's earlier archive is replaced only by a complete one.
    if (platform::Status st = platform::writeZip(archive, files); !st) {
        ui::alert("No se pudo hacer la copia de seguridad " + archive + ": " + st.message(), "BackUp");
        return false;
    }
    if (!recordBackupDate(ctx))
        ui::alert("La copia de seguridad " + archive +
                      " se hizo, pero no se pudo registrar su fecha: otra estación está usando los parámetros de "
                      "la empresa.",
                  "BackUp");
    return true;
}

bool BACKUP(Context& ctx) {
    const bool done = ZIPFILES(ctx);
    ui::info("El Sistema Retornara a Windows", "Proceso Terminado");
    return done;
}

bool RESTAURA(Context& ctx) {
    platform::Result<std::vector<std::string>> found = platform::listFiles(".", "*.zip");
    if (!found || found.value().empty()) {
        ui::alert("No hay copias de seguridad (archivos .ZIP) en la carpeta del programa.", kRestoreTitle);
        return false;
    }
    std::string archive = found.value().front();
    std::string folder(60, ' ');
    ui::Dialog d("Restaura", kRestoreTitle);
    d.combo(173, "Copia de seguridad", found.value(), {store::Type::Char, 0, 0, [&] { return Value(archive); },
                                                         [&](const Value& v) { archive = v.text(); }},
            true)
        .Row(0);
    d.edit(174, "Carpeta de la empresa", ui::bindText(folder, 60)).Row(1).Valid([&] {
        platform::Status ok = platform::validateCompanyFolder(ui::text::fromTable(folder));
        if (!ok) d.refuse(ok.message());
        return static_cast<bool>(ok);
    });
    bool accepted = false;
    ui::addAcceptCancel(d, [&] { accepted = true; });
    d.initialFocus(173);
    ui::run(d);
    if (!accepted) return false;

    const std::string target = app::alltrim(ui::text::fromTable(folder));
    if (platform::Status ok = platform::validateCompanyFolder(target); !ok) {
        ui::alert(ok.message(), kRestoreTitle);
        return false;
    }
    platform::Result<std::vector<platform::ZipEntry>> entries = platform::listZip(archive);
    if (!entries) {
        ui::alert("No se pudo leer la copia " + archive + ": " + entries.message(), kRestoreTitle);
        return false;
    }
    if (!isCompanyArchive(entries.value())) {
        ui::alert("El archivo " + archive + " no es una copia de seguridad de una empresa.", kRestoreTitle);
        return false;
    }
    if (ctx.companyOpen() && sameFolder(target, app::alltrim(ui::text::fromTable(ctx.RUTA)))) {
        ui::alert("La carpeta " + target +
                      " es la de la empresa abierta en este momento. Seleccione otra empresa antes de restaurarla.",
                  kRestoreTitle);
        return false;
    }
    if (platform::folderExists(target)) {
        if (std::string held = tableInUse(target); !held.empty()) {
            ui::alert("La carpeta " + target + " está en uso: otra estación tiene abierta la tabla " + held +
                          ". No se restauró la copia.",
                      kRestoreTitle);
            return false;
        }
        if (auto existing = platform::listFiles(target, "zdr*.dbf"); existing && !existing.value().empty()) {
            if (!ui::yesNo("La carpeta " + target + " ya contiene una empresa.\n\n¿ Desea reemplazar sus tablas con las de la copia " +
                               archive + " ?",
                           kRestoreTitle, false))
                return false;
        }
    } else if (platform::Status made = platform::createFolder(target); !made) {
        ui::alert(made.message(), kRestoreTitle);
        return false;
    }
    if (platform::Status st = extractInto(archive, target, entries.value()); !st) {
        ui::alert("No se pudo restaurar la copia " + archive + ": " + st.message(), kRestoreTitle);
        return false;
    }
    registerFolder(ctx, target);
    ui::info("La copia " + archive + " se restauró en la carpeta " + target +
                 ". Seleccione la empresa para trabajar con ella.",
             kRestoreTitle);
    return true;
}

}  // namespace app

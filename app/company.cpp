#include "app/company.h"

#include <algorithm>
#include <cstdlib>

#include "app/strings.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "store/error.h"
#include "ui/text.h"

namespace app {

namespace {

using store::Value;


std::string upperAscii(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}


// The two digits of a month code, for composing field names such as MES05.
const char* const kMonthCodes[] = {"00", "01", "02", "03", "04", "05", "06",
                                   "07", "08", "09", "10", "11", "12", "13"};

// Opens a table of the company folder exclusively; nullptr (the user told why) when
// another program holds it.
store::WorkArea* useExclusive(Context& ctx, const std::string& programPath, const std::string& alias) {
    store::WorkArea* a = ctx.store.use(host(programPath), alias, false);
    if (!a)
        ui::alert("No se pudo abrir en forma exclusiva la tabla " + programPath + ".dbf: " +
                      ctx.store.netErrMessage(),
                  "Empresa");
    return a;
}

// Fills a new company folder from another company: table by table, emptied and
// appended from the source; accumulators and voucher counters start at zero.
bool copyFromCompany(Context& ctx, const std::string& folder, const std::string& source) {
    static const char* const tables[] = {"zdr_pago", "zdr_ecpn", "zdr_fb", "zdr_fb2", "zdr_fe", "zdr_pc",
                                         "zdr_plan", "zdr_tc",   "zdr_td", "zdr_to",  "zdr_var"};
    ctx.store.closeAll();
    for (const char* t : tables) {
        store::WorkArea* a = useExclusive(ctx, inFolder(folder, t), "copia");
        if (!a) return false;
        a->zap();
        a->appendFrom(host(inFolder(source, t)));
        std::string name = t;
        std::vector<std::string> zero;
        if (name == "zdr_plan") {
            for (const char* prefix : {"DEBE", "HABER", "DEBED", "HABERD"})
                for (const char* m : kMonthCodes) zero.push_back(std::string(prefix) + m);
        } else if (name == "zdr_to") {
            for (const char* m : kMonthCodes) zero.push_back(std::string("NUMERO") + m);
        }
        std::vector<store::Field> fields;
        for (const auto& f : zero)
            if (auto fld = a->findField(f)) fields.push_back(*fld);
        if (!fields.empty())
            a->forEach([&] {
                for (store::Field f : fields) a->put(f, Value(0));
            });
        if (name == "zdr_var") {
            a->goTop();
            if (!a->eof()) a->put("FBACKUP", Value(app::today()));
        }
        a->commit();
        ctx.store.close("copia");
    }
    return true;
}

// The company tables a folder already holds.
std::vector<std::string> tablesPresent(const std::string& folder) {
    std::vector<std::string> found;
    for (const auto& f : templateFiles())
        if (tableExists(inFolder(folder, f))) found.push_back(f + ".dbf");
    return found;
}

std::string joined(const std::vector<std::string>& items) {
    std::string r;
    for (const auto& s : items) r += (r.empty() ? "" : ", ") + s;
    return r;
}

// Reopens the company that was open before a failed selection.
void reopen(Context& ctx, const std::string& previous) {
    ctx.store.closeAll();
    ctx.RUTA = previous;
    if (previous.empty()) return;
    if (openCompany(ctx)) {
        loadCompanyGlobals(ctx);
    } else {
        ctx.store.closeAll();
        ctx.RUTA.clear();
    }
}

}  // namespace

const std::vector<CompanyTable>& companyTables() {
    static const std::vector<CompanyTable> tables = {
        {"zdr_var", "var", {}},
        {"zdr_plan", "plan", {{"plan1", "cuenta", ""}, {"plan2", "bd", ""}}},
        {"zdr_to", "to", {{"to1", "tov", ""}}},
        {"zdr_td", "td", {{"td1", "td", ""}}},
        {"zdr_pc", "pc", {{"pc1", "rut", ""}, {"pc2", "upper(rs)", ""}}},
        {"zdr_fb", "fb", {{"fb1", "cuenta", ""}, {"fb2", "tc+cuenta", ""}}},
        {"zdr_fb2", "fb2", {{"fb12", "cuenta", ""}, {"fb22", "tc+cuenta", ""}}},
        {"zdr_fe", "fe", {{"fe1", "orden+cuenta", ""}, {"fe2", "cuenta", ""}}},
        {"zdr_ecpn", "ecpn", {{"ecpn1", "codigo", ""}}},
        {"zdr_vou",
         "vou",
         {{"v1", "mesv+t+str(vou,4)", ""},
          {"v2", "mesv+cuenta+t+str(vou,4)", ""},
          {"v3", "cuenta", ""},
          {"v4", "rut+dtos(fechad)", "rut # SPACE(11)"},
          {"v5", "cuenta+doc+numero", "doc # SPACE(2)"},
          {"v6", "cuenta+rut+doc+numero", "RUT # SPACE(11)"},
          {"V11", "cuenta+rut+doc+numero", "RUT # SPACE(11)  .AND. mesc=\"  \""}}},
        {"zdr_tc", "tc", {{"tc1", "fecha", ""}}},
        {"zdr_pago", "pago", {{"pago1", "codigo", ""}}},
    };
    return tables;
}

const std::vector<std::string>& templateFiles() {
    static const std::vector<std::string> files = {"zdr_ecpn", "zdr_fb",  "zdr_fb2", "zdr_fe",  "zdr_pc",
                                                   "zdr_plan", "zdr_tc",  "zdr_td",  "zdr_tmp", "zdr_to",
                                                   "zdr_var",  "zdr_vou", "zdr_pago"};
    return files;
}

std::string inFolder(const std::string& folder, const std::string& name) {
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) return folder + name;
    return folder + "\\" + name;
}

std::string host(const std::string& programPath) {
    auto r = platform::toHost(programPath);
    if (!r) throw store::StoreError(store::ErrorKind::Usage, r.message());
    return r.value().string();
}

bool tableExists(const std::string& programPath) {
    std::string p = programPath;
    std::string lower = p;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    if (lower.size() < 4 || lower.substr(lower.size() - 4) != ".dbf") p += ".dbf";
    return platform::fileExists(p);
}

bool openRegistry(Context& ctx) {
    if (store::WorkArea* open = ctx.store.find("emp")) {
        open->goTop();
        return true;
    }
    try {
        if (!tableExists("empresa")) {
            std::string file = host("empresa");
            store::Store::createTable(file, {{"DES", store::Type::Char, 20, 0},
                                             {"VIA", store::Type::Char, 50, 0},
                                             {"VIA2", store::Type::Char, 50, 0}});
            store::WorkArea* e = ctx.store.use(file, "emp", false);
            if (!e) {
                ui::alert("No se pudo crear el registro de empresas empresa.dbf: " + ctx.store.netErrMessage(),
                          "Empresa");
                return false;
            }
            e->appendBlank();
            e->put("DES", Value("DEMO"));
            e->put("VIA", Value("C:\\QRX2012"));
            ctx.store.closeAll();
        }
        store::WorkArea* emp = ctx.store.use(host("empresa"), "emp", true);
        if (!emp) {
            ui::alert("No se pudo abrir el registro de empresas empresa.dbf: " + ctx.store.netErrMessage(),
                      "Empresa");
            return false;
        }
        emp->goTop();
        return true;
    } catch (const store::StoreError& e) {
        ctx.store.close("emp");
        ui::alert(std::string("No se pudo abrir el registro de empresas empresa.dbf: ") + e.what(), "Empresa");
        return false;
    }
}

platform::Status openCompany(Context& ctx) {
    ctx.store.closeAll();
    std::string current = "empresa";
    try {
        if (!ctx.store.use(host("empresa"), "emp", true))
            return platform::Status::failure("No se pudo abrir la tabla empresa.dbf: " + ctx.store.netErrMessage());
        for (const auto& t : companyTables()) {
            current = inFolder(ctx.RUTA, t.file);
            store::WorkArea* a = ctx.store.use(host(current), t.alias, true);
            if (!a) {
                std::string why = ctx.store.netErrMessage();
                ctx.store.closeAll();
                return platform::Status::failure("No se pudo abrir la tabla " + current + ".dbf: " + why);
            }
            for (const auto& ix : t.indexes) {
                current = inFolder(ctx.RUTA, ix.file) + ".ntx";
                a->attachIndex(host(inFolder(ctx.RUTA, ix.file)));
            }
            if (!t.indexes.empty()) a->setOrder(1);
            a->goTop();
        }
    } catch (const store::StoreError& e) {
        ctx.store.closeAll();
        return platform::Status::failure("No se pudo abrir " + current + ": " + e.what());
    }
    ctx.store.select("emp");
    return platform::Status();
}

platform::Status U_MANT2(Context& ctx) {
    ctx.store.closeAll();
    std::string current;
    auto table = [&](const char* file) -> store::WorkArea* {
        current = inFolder(ctx.RUTA, file);
        store::WorkArea* a = ctx.store.use(host(current), "mant", false);
        if (!a) throw store::StoreError(store::ErrorKind::Exclusive, ctx.store.netErrMessage());
        return a;
    };
    auto indexes = [&](store::WorkArea* a, const char* file) {
        for (const auto& t : companyTables())
            if (std::string(t.file) == file)
                for (const auto& ix : t.indexes) a->createIndex(host(inFolder(ctx.RUTA, ix.file)), ix.key, ix.forCondition);
    };
    // Removes the records that meet the condition, packs and rebuilds the indexes.
    auto rebuild = [&](const char* file, const char* invalid, bool pack) {
        store::WorkArea* a = table(file);
        if (*invalid) a->forEach([a] { a->markDeleted(); }, invalid);
        if (pack) a->pack();
        indexes(a, file);
        ctx.store.close("mant");
    };
    try {
        rebuild("zdr_plan", "EMPTY(CUENTA)", true);
        rebuild("zdr_pago", "", false);
        for (const char* f : {"zdr_to", "zdr_td", "zdr_fb", "zdr_fb2", "zdr_fe", "zdr_ecpn"}) rebuild(f, "", true);
        rebuild("zdr_vou",
                "VOU = 0 .OR. EMPTY(MESV) .OR. EMPTY(T) .OR. (EMPTY(CUENTA) .AND. DEBE = 0 .AND. HABER = 0)", true);
        rebuild("zdr_pc", "EMPTY(RUT)", true);
        rebuild("zdr_tc", "", true);
        store::WorkArea* tmp = table("zdr_tmp");
        tmp->zap();
        tmp->createIndex(host(inFolder(ctx.RUTA, "tmp")), "cuenta");
        ctx.store.close("mant");
        // The registry loses the companies deleted on the registry screen. Another program
        // using it leaves that for a later rebuild.
        current = "empresa";
        if (store::WorkArea* e = ctx.store.use(host("empresa"), "mant", false)) {
            e->pack();
            ctx.store.close("mant");
        }
    } catch (const store::StoreError& e) {
        ctx.store.closeAll();
        return platform::Status::failure("No se pudieron reconstruir los índices (" + current + "): " + e.what());
    }
    return openCompany(ctx);
}

void loadCompanyGlobals(Context& ctx) {
    store::WorkArea& var = ctx.store.select("var");
    var.goTop();
    auto field = [&var](const char* name) -> std::string {
        if (!var.findField(name) || var.eof()) return {};
        return var.text(name);
    };
    ctx.NOMCIA30 = field("VAR30");
    ctx.NOMCIA31 = field("VAR31");
    ctx.NOMCIA32 = field("VAR32");
    ctx.NOMCIA33 = field("VAR33");
    ctx.NOMCIA4 = field("VAR5");
    ctx.FLAGMES = field(("MES" + ctx.W_MMES).c_str());
    ctx.VTOA = field("TOA");
    ctx.VALIH = field("VAR23");
    ctx.VALIT = field("VAR15");
    ctx.VALIVAC = field("VAR21");
    ctx.VALIVAV = field("VAR22");
    for (int i = 0; i < 9; ++i) ctx.VARC[static_cast<std::size_t>(i)] = field(("VAR7" + std::to_string(i + 1)).c_str());
    ctx.VAUDC = field("VAR81");
    ctx.VAPDC = field("VAR82");
    ctx.VAUPD = field("VAR28");
    ctx.CDIGITO7 = "99.999";
    ctx.CDIGITO13 = "@Z 999,999,999.99";
    ctx.CDIGITO15 = "@Z 9999,999,999.99";
    ctx.WTIT = "QRX 2012" + std::string(10, ' ') + ui::text::fromTable(field("VAR1")) + std::string(4, ' ') + ctx.MES;
}

std::string companyPicture(Context& ctx) {
    std::string logo;
    if (store::WorkArea* var = ctx.store.find("var")) {
        var->goTop();
        if (!var->eof() && var->findField("VAR24")) logo = app::alltrim(var->text("VAR24"));
    }
    if (!logo.empty()) {
        std::string file = ui::text::fromTable(logo) + ".jpg";
        if (platform::fileExists(file)) return file;
    }
    return "qrx2012.jpg";
}

std::string backupWarning(const Context&, const std::string& folder, const store::Date& fbackup,
                          const std::string& workingYear, const store::Date& today) {
    std::string upper = upperAscii(app::alltrim(folder));
    const std::string demo = "C:\\QRX2012";
    bool underDemo = upper.compare(0, demo.size(), demo) == 0;
    if (underDemo) return {};
    std::string year = app::alltrim(workingYear);
    std::string currentYear = std::to_string(today.year());
    if (fbackup < today.addDays(-7) && year == currentYear)
        return "TIENE MAS DE 7 DIAS SIN REALIZAR UNA COPIA DE SEGURIDAD DE ESTA EMPRESA";
    if (year != currentYear) {
        char* end = nullptr;
        long y = std::strtol(year.c_str(), &end, 10);
        if (year.empty() || *end != '\0') return {};
        auto yearEnd = store::Date::fromYmd(static_cast<int>(y), 12, 31);
        if (yearEnd && fbackup < yearEnd->addDays(30)) return "SE RECOMIENDA REALIZAR UNA COPIA DE SEGURIDAD DE ESTA EMPRESA";
    }
    return {};
}

bool SELEEMP(Context& ctx, bool logo) {
    store::WorkArea& emp = ctx.store.select("emp");
    const std::string folder = app::alltrim(ui::text::fromTable(emp.text("VIA")));
    const std::string source = app::alltrim(ui::text::fromTable(emp.text("VIA2")));
    const std::string previous = ctx.RUTA;

    if (!tableExists(inFolder(folder, "zdr_plan"))) {
        // The folder is not a company yet.
        if (!source.empty() && !tableExists(inFolder(source, "zdr_plan"))) {
            ui::alert("LA RUTA PARA RECUPERAR LOS DATOS NO EXISTE, TIENE QUE BORRAR Y CREAR NUEVAMENTE LA RUTA", "");
            return false;
        }
        if (!ui::yesNo("LA RUTA NO EXISTE SE PROCEDERA A CREARLA", "Seleccione una Opcion", false)) return false;
        if (platform::Status made = platform::createFolder(folder); !made) {
            ui::alert(made.message(), "Empresa");
            return false;
        }
        // Existing data are never overwritten by the templates.
        std::vector<std::string> present = tablesPresent(folder);
        if (!present.empty()) {
            ui::alert("La carpeta " + folder + " ya contiene tablas de una empresa (" + joined(present) +
                          ") pero no su plan de cuentas zdr_plan.dbf. Para no reemplazar esos datos no se copian "
                          "las tablas iniciales; revise la carpeta.",
                      "Empresa");
            return false;
        }
        const bool demoSet = platform::fileExists("taviron1.exe") && upperAscii(folder) == "C:\\QRX2012";
        const std::string set = demoSet ? "datos2" : "datos";
        for (const auto& f : templateFiles())
            (void)platform::copyExpanding(inFolder(set, f + ".db_"), inFolder(folder, f + ".dbf"));

        ctx.RUTA = folder;
        try {
            ctx.store.closeAll();
            if (store::WorkArea* var = useExclusive(ctx, inFolder(folder, "zdr_var"), "var")) {
                var->goTop();
                if (!var->eof()) var->put("FBACKUP", Value(app::today()));
                var->commit();
            }
            if (!source.empty() && !copyFromCompany(ctx, folder, source)) {
                reopen(ctx, previous);
                return false;
            }
        } catch (const store::StoreError& e) {
            ui::alert("No se pudo preparar la empresa en " + folder + ": " + e.what(), "Empresa");
            reopen(ctx, previous);
            return false;
        }
    }
    ctx.RUTA = folder;
    ctx.store.closeAll();

    platform::Status opened = tableExists(inFolder(folder, "zdr_plan")) && !platform::fileExists(inFolder(folder, "plan1.ntx"))
                                  ? U_MANT2(ctx)
                                  : openCompany(ctx);
    if (!opened) {
        ui::alert(opened.message(), "Empresa");
        reopen(ctx, previous == folder ? std::string() : previous);
        return false;
    }
    loadCompanyGlobals(ctx);
    if (logo && ctx.mainWindow) {
        ctx.mainWindow->picture = companyPicture(ctx);
        ui::backend().updateMainWindow(*ctx.mainWindow);
    }

    // The work folder sits under the program's own folder on drive C, made when missing.
    ctx.TMPRUTA = kWorkFolder;
    (void)platform::createFolder("c:\\QRX2012");
    if (platform::Status made = CREATMP(ctx, ctx.TMPRUTA); !made) ui::alert(made.message(), "Empresa");

    store::WorkArea& e = ctx.store.select("emp");
    e.goTop();

    store::WorkArea& var = ctx.store.area("var");
    var.goTop();
    store::Date fbackup = (!var.eof() && var.findField("FBACKUP")) ? var.date("FBACKUP") : store::Date();
    std::string warning = backupWarning(ctx, folder, fbackup, ctx.NOMCIA4, app::today());
    if (!warning.empty()) ui::alert(warning, kBackupWarningTitle);
    return true;
}

}  // namespace app

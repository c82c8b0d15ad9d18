#include "app/startup.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <exception>
#include <filesystem>
#include <fstream>

#include "app/company.h"
#include "app/month.h"
#include "app/registry.h"
#include "output/printer.h"
#include "platform/clock.h"
#include "platform/launch.h"
#include "platform/paths.h"

#ifndef QRX_VERSION
#define QRX_VERSION "0.1"
#endif

namespace app {

const char* const kProgramVersion = QRX_VERSION;

namespace {

int g_errors = 0;

std::string withoutAmp(const std::string& caption) {
    std::string r;
    for (char c : caption)
        if (c != '&') r += c;
    return r;
}

std::string trimmed(const std::string& s) {
    std::size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// The host path of a picture named as the program names it ("qrx2012.jpg", a logo
// file), "" when the name is refused.
std::string pictureFile(const std::string& name) {
    if (name.empty()) return {};
    platform::Result<std::filesystem::path> p = platform::toHost(name);
    return p ? p.value().string() : std::string();
}

// "dd/mm/yyyy hh:mm:ss" now (the date from the program's clock, which a test may fix).
std::string stamp() {
    platform::Date d = platform::Clock::today();
    std::time_t t = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d %02d:%02d:%02d", d.day, d.month, d.year, tm.tm_hour, tm.tm_min,
                  tm.tm_sec);
    return buf;
}

void writeErrorLog(const std::string& when, const std::string& operation, const std::string& message) {
    std::ofstream log(platform::startFolder() / kErrorLog, std::ios::app | std::ios::binary);
    if (!log) return;
    log << when << "  Operación: " << operation << "\n"
        << "  Error: " << message << "\n";
}

void reportError(Context& ctx, const std::string& operation, const std::string& message) {
    ++g_errors;
    std::string when = stamp();
    writeErrorLog(when, operation, message);
    try {
        ui::stop("Se produjo un error no previsto en \"" + operation + "\":\n" + message +
                     "\n\nEl informe quedó en el archivo " + kErrorLog + ". El programa se cerrará.",
                 "Error del programa");
    } catch (...) {
        // the report is in the log; the window could not be shown
    }
    if (ctx.mainWindow) ctx.mainWindow->close();
}

void refreshMainWindow(Context& ctx) {
    if (!ctx.mainWindow) return;
    ctx.mainWindow->statusText = messageBarText(ctx);
    ui::backend().updateMainWindow(*ctx.mainWindow);
}

void closeMainWindow(Context& ctx) {
    if (ctx.mainWindow) ctx.mainWindow->close();
}

// ---------------------------------------------------------------- live actions

void selectCompany(Context& ctx) {
    std::string before = ctx.mainWindow ? ctx.mainWindow->picture : std::string();
    U_RUTA(ctx, kLogoRequest);
    if (!ctx.mainWindow) return;
    ctx.mainWindow->title = ctx.WTIT;
    // A company selected with the logo request has put its picture in the window,
    // named as the program names files: show it from the start folder.
    if (ctx.mainWindow->picture != before) ctx.mainWindow->picture = pictureFile(ctx.mainWindow->picture);
}

void calculator() {
    if (platform::Status s = platform::startCalculator(); !s) ui::alert(s.message(), "Calculadora");
}

void choosePrinter() {
    platform::Result<bool> r = output::choosePrinter();
    if (!r) ui::alert(r.message(), "Selección de Impresora");
}

void webPage() {
    if (platform::Status s = platform::startProgram({"xdg-open", kWebPage}); !s) ui::alert(s.message(), kProgramName);
}

void about() {
    ui::info(std::string(kProgramName) + "\nContabilidad para empresas del Perú\nVersión " + kProgramVersion +
                 "\n\nPublicado por el equipo de desarrollo de QRX 2012\nLima, Perú\n" + kWebPage,
             std::string("Acerca de ") + kProgramName);
}

}  // namespace

int errorsReported() { return g_errors; }

bool guarded(Context& ctx, const std::string& operation, const std::function<void()>& fn) {
    try {
        fn();
        return true;
    } catch (const std::exception& e) {
        reportError(ctx, operation, e.what());
    } catch (...) {
        reportError(ctx, operation, "error desconocido");
    }
    return false;
}

std::function<void()> guardedAction(Context& ctx, const std::string& operation, std::function<void()> fn) {
    return [&ctx, operation, fn = std::move(fn)] {
        if (guarded(ctx, operation, fn)) refreshMainWindow(ctx);
    };
}

std::string messageBarText(const Context& ctx) {
    std::string text = "Mes de trabajo: " + trimmed(ctx.MES);
    if (!trimmed(ctx.NOMCIA4).empty()) text += "   Ejercicio: " + trimmed(ctx.NOMCIA4);
    return text;
}

MainMenu BUILDMENU(Context& ctx) {
    using ui::MenuItem;
    using ui::ToolButton;
    // An entry whose screen is built runs under the error handler; the others stay disabled.
    auto live = [&ctx](const char* caption, const char* message, std::function<void()> fn) {
        return MenuItem{caption, message, guardedAction(ctx, withoutAmp(caption), std::move(fn)), {}};
    };
    auto off = [](const char* caption, const char* message) { return MenuItem{caption, message, {}, {}}; };
    // An entry of an operation registered by another folder: live once it is there.
    // Names with an argument ("R_C19 12") are registered as they are written.
    auto op = [&ctx, live, off](const char* caption, const char* message, const char* operation) {
        auto it = ctx.operations.find(operation);
        if (it == ctx.operations.end()) return off(caption, message);
        auto fn = it->second;
        return live(caption, message, [&ctx, fn] { fn(ctx); });
    };
    auto sub = [](const char* caption, std::vector<MenuItem> items) {
        return MenuItem{caption, "", {}, std::move(items)};
    };
    auto sep = [] { return MenuItem::line(); };
    auto close = [&ctx] { closeMainWindow(ctx); };

    MainMenu m;
    m.menus.push_back(sub("&Contabilidad", {
        op("&Voucher", "Proceso de creación y mantención de voucher (comprobantes)", "P_VOU"),
        op("&Impresión de Voucher", "Opción para Imprimir voucher ya procesados", "R_VOU"),
        op("&Borrar Voucher", "Proceso de Borrado de Voucher", "P_BORRA"),
        sep(),
        op("&Consistencia", "Opción para verificar la información registrada", "R_VD"),
        sep(),
        sub("Actualización Mensual de Moneda Extranjera", {
            op("&Parámetros Actualización de Moneda Extranjera", "Indices de corrección monetaria", "A_MTC"),
            op("Actualización de Moneda Extranjera", "Proceso de actualización de moneda extranjera", "P_ACME"),
        }),
        sub("Amarres Automáticos Mensuales", {
            op("&Análisis Naturaleza vs Función", "Análisis de gastos clase 6 vs clase 9", "R_AG"),
            op("&Amarres Automáticos", "Proceso de creación de voucher de amarres", "P_TRA"),
        }),
        sub("&E.C.P.N.", {
            op("&Formato E.C.P.N.", "Formato del estado de cambios del patrimonio neto", "U_ECPN"),
            op("&E.C.P.N.", "Estado de cambios del patrimonio neto", "C_ECPN"),
        }),
        live("&Salir de Taviron", "Salir del Programa", close),
    }));

    m.menus.push_back(sub("&Informes Contables", {
        op("Libro &Diario", "Listasdo del libro diario analítico", "R_LDT"),
        op("Libro &Diario Simplificado", "Listasdo del libro diario simplificado", "R_LDS2"),
        op("Libro &Mayor", "Listado del libro mayor analítico", "R_LMP"),
        op("&Libro Caja Banco", "Listado del libro caja banco", "R_LCB"),
        sep(),
        op("Registro de &Compras", "Registro de compras del mes de trabajo", "R_LC2"),
        op("Registro de &Ventas", "Registro de ventas del mes de trabajo", "R_LV2"),
        op("Libro de &Honorarios", "Libro de Honorarios del mes de trabajo", "R_LH"),
        op("Conciliación Bancaria", "Proceso de conciliación de bancos.", "P_CONCI"),
        sep(),
        op("&Balance de Comprobación de Sumas y Saldos", "Balance de Comprobación de Sumas y Saldos", "C_SPLAN"),
        op("Hoja de Trabajo de &10 Columnas", "Hoja de Trabajo de diez columnas para nivel Balance/Registro)", "C_BT"),
        sub("Balance, &Estado de Resultado y Ratios Financieros", {
            op("&Formato de Balance y Ratios", "Opción para crear el formato del balance general y resultados", "U_FB"),
            op("&Enlace Plan de Cuentas", "Area de enlace del formato en plan de cuentas", "A_PFB1"),
            op("Balance &Clasificado", "Balance Clasificado", "C_BG"),
        }),
        sep(),
        sub("&Flujo de Efectivo", {
            op("&Formato Flujo de Efectivo", "Definición del formato del flujo de efectivo", "U_FE"),
            op("&Mantenimiento", "Opción para dar mantenimiento a los conceptos del F.E.", "P_MFE"),
            op("Flujo de &Efectivo", "Flujo de efectivo", "C_FE"),
        }),
        sep(),
        op("&Análisis de Documentos", "Análisis de documentos pendientes a la fecha", "C_CRD"),
    }));

    m.menus.push_back(sub("&Informes SUNAT", {
        op("Libro &Diario", "Listado del libro diario", "R_SLDT"),
        op("Libro &Diario Simplificado", "Listado del libro diario simplificado", "R_LDS2"),
        op("Libro &Mayor", "Listado del libro mayor", "R_SLMP"),
        op("Libro &Compras", "Listado del libro compras", "R_LC5"),
        op("Libro &Ventas", "Listado del libro ventas", "R_LV5"),
        op("Libro Caja", "Caja", "R_C10X 101"),
        op("Libro Bancos", "Bancos", "R_C10X 104"),
        op("Inventario y Balance", "Inventario y Balance", "C_SBT"),
        op("10 Caja y Bancos", "Caja y Bancos", "R_C10"),
        op("12 Clientes", "Clientes", "R_C19 12"),
        op("13 Ctas x Cobrar Relacionadas", "Clientes", "R_C19 13"),
        op("14 Ctas por Cobrar Acc. Personal", "Ctas x Cobrar", "R_C19 14"),
        op("16 Ctas por Cobrar Diversas", "Ctas x Cobrar Diversas", "R_C19 16"),
        op("19 Prov. Ctas por Cobrar Dudosa", "Provision Ctas x Cobrar Dudosas", "R_C19 19"),
        op("40 Tributos por Pagar", "Tributos por pagar", "R_C40"),
        op("41 Remuneraciones por Pagar", "Proveedores", "R_C19 41"),
        op("42 Proveedores", "Proveedores", "R_C19 42"),
        op("43 Ctas x Pagar Relacionadas", "Clientes", "R_C19 43"),
        op("46 Ctas por Pagar Diversas", "Ctas x Pagar Diversas", "R_C19 46"),
        op("47 Beneficios Sociales de los Trabajadores", "Beneficios Sociales", "R_C19 47"),
        op("49 Ganancias Diferidas", "Ganancias Diferidas", "R_C19 49"),
        sep(),
        op("&Exportar al PDB Compras", "Opción para exportar al PDB Compras", "PDBC"),
        op("&Exportar al PDB Ventas", "Opción para exportar al PDB Ventas", "PDBV"),
        op("&Exportar al PDB TC", "Opción para exportar al PDB TC", "PDBTC"),
        sep(),
        op("&DAOT Compra", "Opción para exportar al DAOT Compras", "DAOTC"),
        op("&DAOT Ventas", "Opción para exportar al DAOT Ventas", "DAOTV"),
        sep(),
        op("Libros Electronico", "Opción para exportar los Libros Electronicos", "LIBROE"),
    }));

    m.menus.push_back(sub("&Tablas", {
        op("&Plan de Cuentas", "Area de creación y mantención del plan de cuentas de la empresa", "A_PLAN"),
        op("&Orígenes", "Opción pra definer los diferentes Orígenes para los Voucher ", "U_TL"),
        op("Tipo de &Documentos", "Area de creación y mantención de tipos de documento", "A_TD"),
        op("P&roveedores / Clientes /....", "Area de creación y mantención de los proveedores y clientes", "A_PRO"),
        op("&Tipo de Cambio Diario", "Area de creación y mantención de la tabla de tipo de cambio", "A_TC"),
        op("Medios de Pago&", "Area de creación y mantención de la tabla de Medios de Pagos", "A_MPAGO"),
        sep(),
        op("&Parámetros de &Cuentas", "Cuentas Especiales", "U_PARA"),
    }));

    m.menus.push_back(sub("&Utilitarios", {
        live("&Cambio de Mes de Trabajo ", "Opción para cambiar de meses", [&ctx] { U_TRAB(ctx); }),
        live("&Bloqueo de Meses", "Opción del supervisor para bloquear y desbloquear los meses de trabajo",
             [&ctx] { CierreM(ctx); }),
        live("Selección y Creación de Empresa", "Opción para cambiar de empresa", [&ctx] { selectCompany(ctx); }),
        op("&Mantenimiento de Archivos", "Opción de mantenimiento de archivos", "U_MANT"),
        sep(),
        op("&Datos Generales de la Empresa", "Parámetros de Empresa", "U_EMP"),
        sep(),
        op("&BackUp", "Realiza una copia de seguridad", "BACKUP"),
        op("&Restaurar Copia de Seguridad", "Restaura una copia de seguridad en una carpeta de empresa", "RESTAURA"),
        sep(),
        op("&Asiento de apertura", "Asiento de apertura", "U_CIERRE"),
        sep(),
        live("&Acerca de Taviron", "", about),
    }));

    // A button of an operation registered by another folder (empty: disabled).
    auto operation = [&ctx](const char* name) -> std::function<void()> {
        auto it = ctx.operations.find(name);
        if (it == ctx.operations.end()) return {};
        auto fn = it->second;
        return [&ctx, fn] { fn(ctx); };
    };
    auto tool = [&ctx](const char* icon, const std::string& tip, std::function<void()> fn) {
        return ToolButton{icon, tip, fn ? guardedAction(ctx, tip, std::move(fn)) : std::function<void()>()};
    };
    m.toolbar = {
        tool("ON", "Voucher", operation("P_VOU")),
        tool("calendar", "Cambio de Mes de Trabajo", [&ctx] { U_TRAB(ctx); }),
        tool("chimenea", "Selección y Creación de Empresa", [&ctx] { selectCompany(ctx); }),
        tool("aDisco", "BackUp", operation("BACKUP")),
        tool("calc", "Llamar a la Calculadora de Windows", calculator),
        tool("printer", "Selección de Impresora", choosePrinter),
        tool("mantencion", "Mantenimiento de Archivos", operation("U_MANT")),
        tool("pie", std::string("Página web de ") + kProgramName + " (" + kWebPage + ")", webPage),
        tool("Salir", "Salir de QRX2012", close),
    };
    return m;
}

int MAIN(Context& ctx, const std::vector<std::string>& args) {
    const int errorsBefore = g_errors;
    int rc = kExitNormal;
    ui::MainWindow w;
    bool started = guarded(ctx, "Inicio del programa", [&] {
        // 1. the argument (the report-design code, when it is one)
        ctx.WZDR = args.empty() ? std::string() : args[0];

        // 2. the table-store settings; dates are always dd/mm/yyyy with four-digit years
        store::Settings& s = ctx.store.settings();
        s.epoch = 1970;
        s.deletedHidden = true;
        s.softSeek = false;
        s.exact = false;
        s.exclusiveDefault = true;

        // 3. the dialog controls need no registration in the screen layer.
        // 4. the shared values; the working month is January at every start
        ctx.RUTA.clear();
        ctx.TMPRUTA.clear();
        ctx.W_MES = 1;
        ctx.W_MMES = "01";
        ctx.MES = NMES(ctx.W_MMES);
        ctx.A_DEBE = ctx.A_HABER = ctx.M_SALDO = store::Decimal();
        for (auto& t : ctx.T_NETO) t = store::Decimal();
        ctx.T_IVA1 = ctx.T_TOTAL = store::Decimal();
        ctx.MA = 1;
        ctx.WTIT.clear();
        ctx.WNOM = "a";

        // 5, 6. the registry (made with the DEMO company when missing), on its first visible record
        if (!openRegistry(ctx)) {
            rc = kExitError;
            return;
        }
        // 7. the company of that record, without the logo
        ctx.mainWindow = nullptr;
        SELEEMP(ctx, false);
        // 8. no voucher table: the company was not prepared; the program ends here, silently
        if (ctx.RUTA.empty() || !tableExists(inFolder(ctx.RUTA, "zdr_vou")) || !ctx.companyOpen()) return;

        // 9, 10. the main window with the menus, the toolbar, the default picture and the message bar
        w.title = ctx.WTIT;
        MainMenu menu = BUILDMENU(ctx);
        w.menus = std::move(menu.menus);
        w.toolbar = std::move(menu.toolbar);
        w.picture = pictureFile(kDefaultPicture);
        w.statusText = messageBarText(ctx);
        ctx.mainWindow = &w;
    });

    // 11. until the window is closed
    if (started && ctx.mainWindow) {
        guarded(ctx, "Ventana principal", [&] { ui::backend().runMainWindow(w); });
    }
    ctx.mainWindow = nullptr;
    guarded(ctx, "Fin del programa", [&] { ctx.store.closeAll(); });
    if (g_errors != errorsBefore) return kExitError;
    return rc;
}

}  // namespace app

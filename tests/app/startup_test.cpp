// Start-up and the main window through the script backend: the registry made on
// the first run, the silent end, the title, every menu entry and toolbar button,
// the entries that are live, the About box, the error handler and Error.log.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "app/startup.h"
#include "platform/clock.h"
#include "store/dbf.h"
#include "support.h"

namespace fs = std::filesystem;
using store::Value;

namespace {

using app_test::trim;


std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The title of a company selected in January: VAR1 is 30 characters wide.
std::string januaryTitle(const std::string& var1) {
    std::string padded = var1 + std::string(30 - var1.size(), ' ');
    return "QRX 2012" + std::string(10, ' ') + padded + std::string(4, ' ') + "ENERO    ";
}

const char* const kFolderQuestion = "LA RUTA NO EXISTE SE PROCEDERA A CREARLA";

class Startup : public ::testing::Test {
protected:
    void SetUp() override { platform::Clock::setFixedToday(2026, 12, 11); }
    void TearDown() override { platform::Clock::reset(); }

    int start(const std::vector<std::string>& lines, const std::vector<std::string>& args = {}) {
        sf.script(lines);
        return app::MAIN(sf.ctx, args);
    }
    std::string failures() {
        std::string r;
        for (const auto& f : sf.backend().failures()) r += f + "\n";
        return r;
    }

    app_test::StartFolder sf;
};

// ---------------------------------------------------------------- start-up

TEST_F(Startup, TheFirstRunMakesTheRegistryWithTheDemoCompany) {
    ASSERT_FALSE(fs::exists(sf.file("empresa.dbf")));
    EXPECT_EQ(start({"answer No"}), app::kExitNormal);
    ASSERT_TRUE(fs::exists(sf.file("empresa.dbf")));
    store::Store s;
    store::WorkArea* e = s.use(sf.file("empresa.dbf"), "e", true);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->recCount(), 1u);
    e->goTop();
    EXPECT_EQ(trim(e->text("DES")), "DEMO");
    EXPECT_EQ(trim(e->text("VIA")), "C:\\QRX2012");
    EXPECT_EQ(trim(e->text("VIA2")), "");
    ASSERT_FALSE(sf.backend().shown().empty());
    EXPECT_EQ(sf.backend().shown()[0].text, kFolderQuestion);
}

TEST_F(Startup, DecliningTheFolderEndsSilentlyWithoutTheMainWindow) {
    // the menu line would be played by the main window; it never opens
    EXPECT_EQ(start({"answer No", "menu \"&Utilitarios\" \"&Acerca de Taviron\""}), app::kExitNormal);
    EXPECT_TRUE(sf.backend().ok()) << failures();
    EXPECT_EQ(sf.backend().pending(), 1u);
    EXPECT_EQ(sf.messages(), std::vector<std::string>{kFolderQuestion});  // nothing else was said
    EXPECT_FALSE(fs::exists(sf.file("drive_c/QRX2012/zdr_vou.dbf")));
    EXPECT_EQ(sf.ctx.mainWindow, nullptr);
    EXPECT_FALSE(fs::exists(sf.file("Error.log")));
}

TEST_F(Startup, AcceptingOpensTheMainWindowWithTheCompanyAndJanuary) {
    EXPECT_EQ(start({"answer Yes", "expect title \"" + januaryTitle("EMPRESA NUEVA") + "\""}, {"qkvqkv"}),
              app::kExitNormal);
    EXPECT_TRUE(sf.backend().ok()) << failures();
    EXPECT_EQ(sf.backend().pending(), 0u);
    EXPECT_TRUE(fs::exists(sf.file("drive_c/QRX2012/zdr_vou.dbf")));
    EXPECT_EQ(sf.ctx.WZDR, "qkvqkv");
    EXPECT_EQ(sf.ctx.W_MMES, "01");
    EXPECT_EQ(sf.ctx.MES, "ENERO    ");
    EXPECT_EQ(sf.ctx.MA, 1);
    EXPECT_EQ(sf.ctx.WNOM, "a");
    // the store settings of the whole run
    EXPECT_EQ(sf.ctx.store.settings().epoch, 1970);
    EXPECT_TRUE(sf.ctx.store.settings().deletedHidden);
    EXPECT_FALSE(sf.ctx.store.settings().softSeek);
    EXPECT_FALSE(sf.ctx.store.settings().exact);
    EXPECT_TRUE(sf.ctx.store.settings().exclusiveDefault);
    // the program's end closes the company
    EXPECT_TRUE(sf.ctx.store.aliases().empty());
}

TEST_F(Startup, TheWorkingMonthIsJanuaryWhateverTheDateAndTheContextHeld) {
    platform::Clock::setFixedToday(2026, 12, 31);
    sf.ctx.W_MES = 12;
    sf.ctx.W_MMES = "12";
    sf.ctx.MES = "DICIEMBRE";
    sf.ctx.MA = 2;
    EXPECT_EQ(start({"answer Yes", "expect title \"" + januaryTitle("EMPRESA NUEVA") + "\""}), app::kExitNormal);
    EXPECT_TRUE(sf.backend().ok()) << failures();
    EXPECT_EQ(sf.ctx.W_MES, 1);
    EXPECT_EQ(sf.ctx.W_MMES, "01");
    EXPECT_EQ(sf.ctx.MA, 1);
}

TEST_F(Startup, WithTheMarkerTheDemoCompanyComesFromTheDemoSet) {
    std::ofstream(sf.file("taviron1.exe")).close();
    EXPECT_EQ(start({"answer Yes", "expect title \"" + januaryTitle("DEMO") + "\""}), app::kExitNormal);
    EXPECT_TRUE(sf.backend().ok()) << failures();
}

TEST_F(Startup, ADeletedFirstRecordStartsWithTheNextVisibleCompany) {
    store::Store::createTable(sf.file("empresa"), {{"DES", store::Type::Char, 20, 0},
                                                   {"VIA", store::Type::Char, 50, 0},
                                                   {"VIA2", store::Type::Char, 50, 0}});
    {
        store::Store s;
        store::WorkArea* e = s.use(sf.file("empresa"), "e", false);
        ASSERT_NE(e, nullptr);
        ASSERT_TRUE(e->appendBlank());
        e->put("DES", Value("BORRADA"));
        e->put("VIA", Value("C:\\BORRADA"));
        e->markDeleted();
        ASSERT_TRUE(e->appendBlank());
        e->put("DES", Value("VISIBLE"));
        e->put("VIA", Value("C:\\QRX2012"));
        e->commit();
        s.closeAll();
    }
    EXPECT_EQ(start({"answer Yes", "expect title \"" + januaryTitle("EMPRESA NUEVA") + "\""}), app::kExitNormal);
    EXPECT_TRUE(sf.backend().ok()) << failures();
    EXPECT_EQ(sf.ctx.RUTA, "C:\\QRX2012");
    EXPECT_FALSE(fs::exists(sf.file("drive_c/BORRADA")));
    EXPECT_TRUE(fs::exists(sf.file("drive_c/QRX2012/zdr_vou.dbf")));
}

// ---------------------------------------------------------------- menus and toolbar

struct Row {
    int depth;            // 0 a menu of the bar, 1 its entry, 2 an entry of a submenu
    const char* caption;  // "-" a separator
    const char* message;
};

// The menus as the users know them, in order.
const Row kMenuRows[] = {
    {0, "&Contabilidad", ""},
    {1, "&Voucher", "Proceso de creación y mantención de voucher (comprobantes)"},
    {1, "&Impresión de Voucher", "Opción para Imprimir voucher ya procesados"},
    {1, "&Borrar Voucher", "Proceso de Borrado de Voucher"},
    {1, "-", ""},
    {1, "&Consistencia", "Opción para verificar la información registrada"},
    {1, "-", ""},
    {1, "Actualización Mensual de Moneda Extranjera", ""},
    {2, "&Parámetros Actualización de Moneda Extranjera", "Indices de corrección monetaria"},
    {2, "Actualización de Moneda Extranjera", "Proceso de actualización de moneda extranjera"},
    {1, "Amarres Automáticos Mensuales", ""},
    {2, "&Análisis Naturaleza vs Función", "Análisis de gastos clase 6 vs clase 9"},
    {2, "&Amarres Automáticos", "Proceso de creación de voucher de amarres"},
    {1, "&E.C.P.N.", ""},
    {2, "&Formato E.C.P.N.", "Formato del estado de cambios del patrimonio neto"},
    {2, "&E.C.P.N.", "Estado de cambios del patrimonio neto"},
    {1, "&Salir de Taviron", "Salir del Programa"},
    {0, "&Informes Contables", ""},
    {1, "Libro &Diario", "Listasdo del libro diario analítico"},
    {1, "Libro &Diario Simplificado", "Listasdo del libro diario simplificado"},
    {1, "Libro &Mayor", "Listado del libro mayor analítico"},
    {1, "&Libro Caja Banco", "Listado del libro caja banco"},
    {1, "-", ""},
    {1, "Registro de &Compras", "Registro de compras del mes de trabajo"},
    {1, "Registro de &Ventas", "Registro de ventas del mes de trabajo"},
    {1, "Libro de &Honorarios", "Libro de Honorarios del mes de trabajo"},
    {1, "Conciliación Bancaria", "Proceso de conciliación de bancos."},
    {1, "-", ""},
    {1, "&Balance de Comprobación de Sumas y Saldos", "Balance de Comprobación de Sumas y Saldos"},
    {1, "Hoja de Trabajo de &10 Columnas", "Hoja de Trabajo de diez columnas para nivel Balance/Registro)"},
    {1, "Balance, &Estado de Resultado y Ratios Financieros", ""},
    {2, "&Formato de Balance y Ratios", "Opción para crear el formato del balance general y resultados"},
    {2, "&Enlace Plan de Cuentas", "Area de enlace del formato en plan de cuentas"},
    {2, "Balance &Clasificado", "Balance Clasificado"},
    {1, "-", ""},
    {1, "&Flujo de Efectivo", ""},
    {2, "&Formato Flujo de Efectivo", "Definición del formato del flujo de efectivo"},
    {2, "&Mantenimiento", "Opción para dar mantenimiento a los conceptos del F.E."},
    {2, "Flujo de &Efectivo", "Flujo de efectivo"},
    {1, "-", ""},
    {1, "&Análisis de Documentos", "Análisis de documentos pendientes a la fecha"},
    {0, "&Informes SUNAT", ""},
    {1, "Libro &Diario", "Listado del libro diario"},
    {1, "Libro &Diario Simplificado", "Listado del libro diario simplificado"},
    {1, "Libro &Mayor", "Listado del libro mayor"},
    {1, "Libro &Compras", "Listado del libro compras"},
    {1, "Libro &Ventas", "Listado del libro ventas"},
    {1, "Libro Caja", "Caja"},
    {1, "Libro Bancos", "Bancos"},
    {1, "Inventario y Balance", "Inventario y Balance"},
    {1, "10 Caja y Bancos", "Caja y Bancos"},
    {1, "12 Clientes", "Clientes"},
    {1, "13 Ctas x Cobrar Relacionadas", "Clientes"},
    {1, "14 Ctas por Cobrar Acc. Personal", "Ctas x Cobrar"},
    {1, "16 Ctas por Cobrar Diversas", "Ctas x Cobrar Diversas"},
    {1, "19 Prov. Ctas por Cobrar Dudosa", "Provision Ctas x Cobrar Dudosas"},
    {1, "40 Tributos por Pagar", "Tributos por pagar"},
    {1, "41 Remuneraciones por Pagar", "Proveedores"},
    {1, "42 Proveedores", "Proveedores"},
    {1, "43 Ctas x Pagar Relacionadas", "Clientes"},
    {1, "46 Ctas por Pagar Diversas", "Ctas x Pagar Diversas"},
    {1, "47 Beneficios Sociales de los Trabajadores", "Beneficios Sociales"},
    {1, "49 Ganancias Diferidas", "Ganancias Diferidas"},
    {1, "-", ""},
    {1, "&Exportar al PDB Compras", "Opción para exportar al PDB Compras"},
    {1, "&Exportar al PDB Ventas", "Opción para exportar al PDB Ventas"},
    {1, "&Exportar al PDB TC", "Opción para exportar al PDB TC"},
    {1, "-", ""},
    {1, "&DAOT Compra", "Opción para exportar al DAOT Compras"},
    {1, "&DAOT Ventas", "Opción para exportar al DAOT Ventas"},
    {1, "-", ""},
    {1, "Libros Electronico", "Opción para exportar los Libros Electronicos"},
    {0, "&Tablas", ""},
    {1, "&Plan de Cuentas", "Area de creación y mantención del plan de cuentas de la empresa"},
    {1, "&Orígenes", "Opción pra definer los diferentes Orígenes para los Voucher "},
    {1, "Tipo de &Documentos", "Area de creación y mantención de tipos de documento"},
    {1, "P&roveedores / Clientes /....", "Area de creación y mantención de los proveedores y clientes"},
    {1, "&Tipo de Cambio Diario", "Area de creación y mantención de la tabla de tipo de cambio"},
    {1, "Medios de Pago&", "Area de creación y mantención de la tabla de Medios de Pagos"},
    {1, "-", ""},
    {1, "&Parámetros de &Cuentas", "Cuentas Especiales"},
    {0, "&Utilitarios", ""},
    {1, "&Cambio de Mes de Trabajo ", "Opción para cambiar de meses"},
    {1, "&Bloqueo de Meses", "Opción del supervisor para bloquear y desbloquear los meses de trabajo"},
    {1, "Selección y Creación de Empresa", "Opción para cambiar de empresa"},
    {1, "&Mantenimiento de Archivos", "Opción de mantenimiento de archivos"},
    {1, "-", ""},
    {1, "&Datos Generales de la Empresa", "Parámetros de Empresa"},
    {1, "-", ""},
    {1, "&BackUp", "Realiza una copia de seguridad"},
    {1, "&Restaurar Copia de Seguridad", "Restaura una copia de seguridad en una carpeta de empresa"},
    {1, "-", ""},
    {1, "&Asiento de apertura", "Asiento de apertura"},
    {1, "-", ""},
    {1, "&Acerca de Taviron", ""},
};

void flatten(const std::vector<ui::MenuItem>& items, int depth, std::vector<Row>& out,
             std::vector<const ui::MenuItem*>& entries) {
    for (const ui::MenuItem& m : items) {
        if (m.separator) {
            out.push_back({depth, "-", ""});
            entries.push_back(&m);
            continue;
        }
        out.push_back({depth, m.caption.c_str(), m.message.c_str()});
        entries.push_back(&m);
        flatten(m.items, depth + 1, out, entries);
    }
}

TEST_F(Startup, EveryMenuEntryHasItsCaptionAndMessageInOrder) {
    app::MainMenu menu = app::BUILDMENU(sf.ctx);
    std::vector<Row> got;
    std::vector<const ui::MenuItem*> entries;
    flatten(menu.menus, 0, got, entries);
    const std::size_t expected = sizeof kMenuRows / sizeof kMenuRows[0];
    ASSERT_EQ(got.size(), expected);
    for (std::size_t i = 0; i < expected; ++i) {
        SCOPED_TRACE("row " + std::to_string(i + 1) + ": " + kMenuRows[i].caption);
        EXPECT_EQ(got[i].depth, kMenuRows[i].depth);
        EXPECT_EQ(std::string(got[i].caption), kMenuRows[i].caption);
        EXPECT_EQ(std::string(got[i].message), kMenuRows[i].message);
    }
    EXPECT_EQ(menu.menus.size(), 5u);
}

TEST_F(Startup, OnlyTheBuiltScreensAreEnabled) {
    app::MainMenu menu = app::BUILDMENU(sf.ctx);
    std::vector<Row> rows;
    std::vector<const ui::MenuItem*> entries;
    flatten(menu.menus, 0, rows, entries);
    std::vector<std::string> enabled;
    for (const ui::MenuItem* m : entries)
        if (m->items.empty() && !m->separator && m->action) enabled.push_back(m->caption);
    EXPECT_EQ(enabled, (std::vector<std::string>{"&Salir de Taviron", "&Plan de Cuentas", "&Orígenes",
                                                 "Tipo de &Documentos", "P&roveedores / Clientes /....",
                                                 "&Tipo de Cambio Diario", "Medios de Pago&",
                                                 "&Parámetros de &Cuentas", "&Cambio de Mes de Trabajo ", "&Bloqueo de Meses",
                                                 "Selección y Creación de Empresa", "&Datos Generales de la Empresa",
                                                 "&BackUp", "&Restaurar Copia de Seguridad", "&Acerca de Taviron"}));
}

TEST_F(Startup, TheToolbarHasNineButtonsWithTheirPicturesAndTooltips) {
    app::MainMenu menu = app::BUILDMENU(sf.ctx);
    struct Tool {
        const char* icon;
        std::string tooltip;
        bool enabled;
    };
    const Tool expected[] = {
        {"ON", "Voucher", false},
        {"calendar", "Cambio de Mes de Trabajo", true},
        {"chimenea", "Selección y Creación de Empresa", true},
        {"aDisco", "BackUp", true},
        {"calc", "Llamar a la Calculadora de Windows", true},
        {"printer", "Selección de Impresora", true},
        {"mantencion", "Mantenimiento de Archivos", false},
        {"pie", "Página web de QRX 2012 (https://qrx2012.example.pe)", true},
        {"Salir", "Salir de QRX2012", true},
    };
    ASSERT_EQ(menu.toolbar.size(), 9u);
    for (std::size_t i = 0; i < 9; ++i) {
        SCOPED_TRACE(expected[i].icon);
        EXPECT_EQ(menu.toolbar[i].icon, expected[i].icon);
        EXPECT_EQ(menu.toolbar[i].tooltip, expected[i].tooltip);
        EXPECT_EQ(static_cast<bool>(menu.toolbar[i].action), expected[i].enabled);
    }
}

TEST_F(Startup, ADisabledEntryCannotBeChosen) {
    start({"answer Yes", "menu \"&Contabilidad\" \"&Voucher\""});
    ASSERT_EQ(sf.backend().failures().size(), 1u);
    EXPECT_NE(sf.backend().failures()[0].find("deshabilitada"), std::string::npos) << failures();
    start({"tool \"Mantenimiento de Archivos\""});
    ASSERT_EQ(sf.backend().failures().size(), 1u);
    EXPECT_NE(sf.backend().failures()[0].find("deshabilitado"), std::string::npos) << failures();
}

TEST_F(Startup, TheAboutBoxNamesTheProgramItsVersionAndPublisher) {
    EXPECT_EQ(start({"answer Yes", "menu \"&Utilitarios\" \"&Acerca de Taviron\"",
                     "expect title \"" + januaryTitle("EMPRESA NUEVA") + "\""}),
              app::kExitNormal);
    EXPECT_TRUE(sf.backend().ok()) << failures();
    const auto& shown = sf.backend().shown();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().kind, "info");
    EXPECT_EQ(shown.back().title, "Acerca de QRX 2012");
    EXPECT_EQ(shown.back().text.rfind("QRX 2012\n", 0), 0u) << shown.back().text;
    EXPECT_NE(shown.back().text.find(std::string("Versión ") + app::kProgramVersion), std::string::npos);
    EXPECT_NE(shown.back().text.find("https://qrx2012.example.pe"), std::string::npos);
}

TEST_F(Startup, SalirClosesTheWindowFromTheMenuAndTheToolbar) {
    for (std::string line : {"menu \"&Contabilidad\" \"&Salir de Taviron\"", "tool \"Salir de QRX2012\""}) {
        SCOPED_TRACE(line);
        sf.ctx.store.closeAll();
        fs::remove_all(sf.demoFolder());
        EXPECT_EQ(start({"answer Yes", line, "menu \"&Utilitarios\" \"&Acerca de Taviron\""}), app::kExitNormal);
        EXPECT_TRUE(sf.backend().ok()) << failures();
        EXPECT_EQ(sf.backend().pending(), 1u);  // the window had closed
    }
}

TEST_F(Startup, ThePrinterChoiceTellsWhyItCannotBeMade) {
    // no print service in these tests: its failure is shown
    EXPECT_EQ(start({"answer Yes", "tool \"Selección de Impresora\"",
                     "expect message \"No hay un servicio de impresión instalado.\""}),
              app::kExitNormal);
    EXPECT_TRUE(sf.backend().ok()) << failures();
}

TEST_F(Startup, TheCompanySelectionSetsTheTitleAgain) {
    EXPECT_EQ(start({"answer Yes", "menu \"&Utilitarios\" \"Selección y Creación de Empresa\"", "expect dialog INGRESO",
                     "close", "expect title \"" + januaryTitle("EMPRESA NUEVA") + "\""}),
              app::kExitNormal);
    EXPECT_TRUE(sf.backend().ok()) << failures();
    EXPECT_EQ(sf.backend().pending(), 0u);
}

// A script backend that notes what the main window showed when it closed.
class WindowNotes : public ui::ScriptBackend {
public:
    void runMainWindow(ui::MainWindow& w) override {
        opened = true;
        firstPicture = w.picture;
        ScriptBackend::runMainWindow(w);
        title = w.title;
        picture = w.picture;
    }
    bool opened = false;
    std::string firstPicture, title, picture;
};

TEST_F(Startup, TheLogoIsShownOnlyOnceACompanyIsSelectedFromTheRegistryScreen) {
    std::ofstream(sf.file("taviron1.exe")).close();
    ASSERT_EQ(start({"answer Yes"}), app::kExitNormal);
    // the DEMO company gets a logo of its own
    {
        store::Store s;
        store::WorkArea* var = s.use(sf.file("drive_c/QRX2012/zdr_var"), "v", false);
        ASSERT_NE(var, nullptr);
        var->goTop();
        var->put("VAR24", Value("LOGODEMO"));
        var->commit();
    }
    std::ofstream(sf.file("LOGODEMO.jpg")) << "imagen";
    const std::string title = "expect title \"" + januaryTitle("DEMO") + "\"";

    // closing the registry screen selects nothing: the default picture stays
    auto notes = std::make_shared<WindowNotes>();
    notes->add({"menu \"&Utilitarios\" \"Selección y Creación de Empresa\"", "expect dialog INGRESO", "close", title});
    ui::install(notes);
    EXPECT_EQ(app::MAIN(sf.ctx, {}), app::kExitNormal);
    EXPECT_TRUE(notes->ok());
    ASSERT_TRUE(notes->opened);
    EXPECT_EQ(fs::path(notes->firstPicture), fs::path(sf.file("qrx2012.jpg")));  // at start-up, whatever the company
    EXPECT_EQ(fs::path(notes->picture), fs::path(sf.file("qrx2012.jpg")));

    // selecting the company from the toolbar shows its logo
    notes = std::make_shared<WindowNotes>();
    notes->add({"tool \"Selección y Creación de Empresa\"", "expect dialog INGRESO", "key Enter on 181", title});
    ui::install(notes);
    EXPECT_EQ(app::MAIN(sf.ctx, {}), app::kExitNormal);
    for (const auto& f : notes->failures()) ADD_FAILURE() << f;
    EXPECT_EQ(fs::path(notes->picture), fs::path(sf.file("LOGODEMO.jpg")));
    EXPECT_EQ(notes->title, januaryTitle("DEMO"));
}

TEST_F(Startup, SelectingAnotherCompanyGivesTheWindowItsTitle) {
    std::ofstream(sf.file("taviron1.exe")).close();
    ASSERT_EQ(start({"answer No"}), app::kExitNormal);  // makes the registry only
    {
        store::Store s;
        store::WorkArea* e = s.use(sf.file("empresa"), "e", false);
        ASSERT_NE(e, nullptr);
        ASSERT_TRUE(e->appendBlank());
        e->put("DES", Value("SEGUNDA"));
        e->put("VIA", Value("C:\\SEGUNDA"));
        e->commit();
    }
    EXPECT_EQ(start({"answer Yes", "expect title \"" + januaryTitle("DEMO") + "\"",
                     "menu \"&Utilitarios\" \"Selección y Creación de Empresa\"", "expect dialog INGRESO",
                     "key Down on 181", "key Enter on 181", "answer Yes",
                     "expect title \"" + januaryTitle("EMPRESA NUEVA") + "\""}),
              app::kExitNormal);
    EXPECT_TRUE(sf.backend().ok()) << failures();
    EXPECT_EQ(sf.backend().pending(), 0u);
    EXPECT_EQ(sf.ctx.RUTA, "C:\\SEGUNDA");
}

// ---------------------------------------------------------------- the error handler

// A screen layer whose information boxes fail, as a broken screen would.
class FailingInfo : public ui::ScriptBackend {
public:
    void message(ui::Box kind, const std::string& title, const std::string& text) override {
        if (kind == ui::Box::Info) throw std::runtime_error("índice dañado en la pantalla");
        ScriptBackend::message(kind, title, text);
    }
};

TEST_F(Startup, AnErrorInAnActionIsShownLoggedAndEndsTheProgram) {
    auto script = std::make_shared<FailingInfo>();
    script->add({"answer Yes", "menu \"&Utilitarios\" \"&Acerca de Taviron\"", "tool \"Salir de QRX2012\""});
    ui::install(script);
    const int before = app::errorsReported();
    EXPECT_EQ(app::MAIN(sf.ctx, {}), app::kExitError);
    EXPECT_EQ(app::errorsReported(), before + 1);
    EXPECT_TRUE(script->ok());
    EXPECT_EQ(script->pending(), 1u);  // the main window closed after the report
    ASSERT_FALSE(script->shown().empty());
    const auto& box = script->shown().back();
    EXPECT_EQ(box.kind, "stop");
    EXPECT_NE(box.text.find("Acerca de Taviron"), std::string::npos) << box.text;
    EXPECT_NE(box.text.find("índice dañado en la pantalla"), std::string::npos) << box.text;
    EXPECT_NE(box.text.find("Error.log"), std::string::npos) << box.text;

    std::string log = readFile(sf.file("Error.log"));
    EXPECT_EQ(log.rfind("11/12/2026 ", 0), 0u) << log;
    EXPECT_NE(log.find("Operación: Acerca de Taviron"), std::string::npos) << log;
    EXPECT_NE(log.find("Error: índice dañado en la pantalla"), std::string::npos) << log;
    EXPECT_TRUE(sf.ctx.store.aliases().empty());

    // a second error is appended after the first
    script = std::make_shared<FailingInfo>();
    script->add({"menu \"&Utilitarios\" \"&Acerca de Taviron\""});
    ui::install(script);
    EXPECT_EQ(app::MAIN(sf.ctx, {}), app::kExitError);
    std::string again = readFile(sf.file("Error.log"));
    EXPECT_EQ(again.rfind(log, 0), 0u);
    EXPECT_GT(again.size(), log.size());
}

// A screen layer whose questions fail.
class FailingQuestion : public ui::ScriptBackend {
public:
    bool yesNo(const std::string&, const std::string& text, bool) override {
        throw std::runtime_error("la pregunta no se pudo mostrar");
    }
};

TEST_F(Startup, AnErrorDuringStartUpIsShownAndLoggedToo) {
    auto script = std::make_shared<FailingQuestion>();
    script->add({"menu \"&Utilitarios\" \"&Acerca de Taviron\""});
    ui::install(script);
    EXPECT_EQ(app::MAIN(sf.ctx, {}), app::kExitError);
    EXPECT_EQ(script->pending(), 1u);  // no main window
    ASSERT_EQ(script->shown().size(), 1u);
    EXPECT_EQ(script->shown()[0].kind, "stop");
    EXPECT_NE(script->shown()[0].text.find("Inicio del programa"), std::string::npos);
    std::string log = readFile(sf.file("Error.log"));
    EXPECT_NE(log.find("Operación: Inicio del programa"), std::string::npos) << log;
    EXPECT_NE(log.find("Error: la pregunta no se pudo mostrar"), std::string::npos) << log;
    EXPECT_TRUE(sf.ctx.store.aliases().empty());
}

TEST_F(Startup, ARegistryThatCannotBeOpenedIsToldAndEnds) {
    std::ofstream(sf.file("empresa.dbf")) << "esto no es una tabla";
    EXPECT_EQ(start({"menu \"&Utilitarios\" \"&Acerca de Taviron\""}), app::kExitError);
    EXPECT_EQ(sf.backend().pending(), 1u);
    ASSERT_EQ(sf.messages().size(), 1u);
    EXPECT_NE(sf.messages()[0].find("empresa"), std::string::npos) << sf.messages()[0];
    EXPECT_FALSE(fs::exists(sf.file("Error.log")));  // told, not an unhandled error
}

TEST(StartupGuard, WithoutAnErrorTheActionRunsAndNothingIsLogged) {
    app_test::StartFolder sf;
    int runs = 0;
    EXPECT_TRUE(app::guarded(sf.ctx, "prueba", [&] { ++runs; }));
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(fs::exists(sf.file("Error.log")));
    EXPECT_FALSE(app::guarded(sf.ctx, "prueba", [] { throw 42; }));
    EXPECT_NE(readFile(sf.file("Error.log")).find("Operación: prueba"), std::string::npos);
}

}  // namespace

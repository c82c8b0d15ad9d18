// The counterparties on a company made from the templates: the form (also opened
// on its own by voucher entry), the identity-number checks, the maintenance screen
// with its type names, deletion, search, listing and export.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/company.h"
#include "masters/counterparties.h"
#include "support.h"

namespace fs = std::filesystem;
using store::Value;

namespace {

using app_test::trim;


class Counterparties : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sf.openDemo()); }

    void finish() {
        sf.backend().finish();
        EXPECT_TRUE(sf.backend().ok()) << sf.backend().failures().front();
    }
    // Plays the form on its own, as voucher entry opens it.
    void form(bool isNew, std::vector<std::string> lines) {
        sf.script(lines);
        masters::EDITPC(sf.ctx, nullptr, isNew);
        finish();
    }
    void screen(std::vector<std::string> lines) {
        sf.script(lines);
        masters::A_PRO(sf.ctx);
        finish();
    }
    // Stores a counterparty through the form.
    void add(const std::string& rut, const std::string& rs, const std::string& type, const std::string& doc,
             const std::string& number) {
        form(true, {"type " + rut + " into 173", "focus 177", "type \"" + rs + "\" into 177",
                    "type " + number + " into 178", "choose \"" + doc + "\" in 193", "choose \"" + type + "\" in 180",
                    "press 175"});
    }
    // The stored fields: RUT|CODIGO|RS|NOM1|NOM2|APE1|APE2|TIPO|TDOC|DI|FONO|ATEN|CIUDAD
    std::string record(const std::string& rut) {
        store::Store reader;  // as another workstation reads it
        store::WorkArea* pc = reader.use(sf.demoFolder() + "/zdr_pc.dbf", "pc", true);
        for (pc->goTop(); !pc->eof(); pc->skip()) {
            if (trim(pc->text("RUT")) != rut) continue;
            std::string r;
            for (const char* f : {"RUT", "CODIGO", "RS", "NOM1", "NOM2", "APE1", "APE2", "TIPO", "TDOC", "DI", "FONO",
                                  "ATEN", "CIUDAD"})
                r += (r.empty() ? "" : "|") + trim(pc->text(f));
            return r;
        }
        return "(none)";
    }

    app_test::StartFolder sf;
};

TEST_F(Counterparties, TheFormCreatesACounterpartyOnItsOwn) {
    form(true, {"expect dialog DatosPc", "expect caption \"MANTENIMIENTO DE PROVEEDORES / CLIENTES / ...\"",
                "expect 173 focused", "expect 177 disabled", "expect 193 disabled", "type 20100070970 into 173",
                "focus 177", "expect 177 enabled", "type \"SUPERMERCADOS PERUANOS S.A.\" into 177",
                "type 20100070970 into 178", "choose \"6 RUC\" in 193", "type Ana into 189", "type Luz into 190",
                "type Rojas into 191", "type Vega into 192", "type 4411122 into 182", "choose CLIENTE in 180",
                "type \"Av. Morales Duarez 1\" into 179", "type \"Sr. Soto\" into 174", "press 175",
                "expect nomessage"});
    EXPECT_EQ(record("20100070970"),
              "20100070970|20100070970|SUPERMERCADOS PERUANOS S.A.|Ana|Luz|Rojas|Vega|2|6|Av. Morales Duarez 1|"
              "4411122|Sr. Soto|");
    EXPECT_EQ(trim(sf.ctx.store.current().text("RUT")), "20100070970");
    EXPECT_EQ(sf.ctx.store.current().alias(), "pc");
}

TEST_F(Counterparties, TheTypeIsTheFirstWithTheChosenNameAndTheDocumentTheLabelsFirstCharacter) {
    struct Case {
        const char* rut;
        const char* type;
        const char* doc;
        const char* number;
        const char* tipo;
        const char* tdoc;
    } cases[] = {
        {"A1", "PROVEEDOR", "- Otros", "X-1", "1", "-"},          {"A2", "OTROS", "0 Otro Tipos", "X-2", "9", "0"},
        {"A3", "RELACIONADA", "4 Carnet Ext.", "000123456", "8", "4"},
        {"A4", "TRABAJADOR", "7 Pasaporte", "P1234567", "4", "7"}, {"A5", "ACCIONISTA", "1 DNI", "41234567", "5", "1"},
    };
    for (const Case& c : cases) {
        add(c.rut, "NOMBRE", c.type, c.doc, c.number);
        EXPECT_EQ(record(c.rut), std::string(c.rut) + "|" + c.number + "|NOMBRE|||||" + c.tipo + "|" + c.tdoc + "||||")
            << c.rut;
    }
}

TEST_F(Counterparties, ADuplicateCodeIsRefusedAndABlankOneIsNotStored) {
    add("20100070970", "PRIMERO", "PROVEEDOR", "6 RUC", "20100070970");
    form(true, {"type 20100070970 into 173", "focus 177", "expect 173 focused", "expect nomessage",
                "type \"   \" into 173", "press 175",
                "expect message \"Debe ingresar una Código para que el registro se valide\""});
    EXPECT_EQ(sf.ctx.store.area("pc").recCount(), 1u);
    EXPECT_EQ(record("20100070970").substr(0, 32), "20100070970|20100070970|PRIMERO|");
}

TEST_F(Counterparties, CancelStoresNothingAndEditingKeepsTheCode) {
    form(true, {"type C1 into 173", "focus 177", "type X into 177", "press 176"});
    EXPECT_EQ(sf.ctx.store.area("pc").recCount(), 0u);
    add("C1", "ANTES", "PROVEEDOR", "- Otros", "1");
    form(false, {"expect 173 disabled", "expect 173 holds C1", "expect 177 focused", "type DESPUES into 177",
                 "choose CLIENTE in 180", "press 175"});
    EXPECT_EQ(record("C1"), "C1|1|DESPUES|||||2|-||||");
}

// The check digit of SUNAT: weights 5,4,3,2,7,6,5,4,3,2; 11 - sum mod 11, 10 gives 0, 11 gives 1.
TEST(IdentityNumbers, RucAndDniAreChecked) {
    struct Case {
        const char* tdoc;
        const char* number;
        bool fits;
    } cases[] = {
        {"6", "20100070970", true},   // check 0 (remainder 1)
        {"6", "20100070971", false},  // wrong digit
        {"6", "20131312955", true},   // check 5
        {"6", "10000000031", true},   // check 1 (remainder 0)
        {"6", "10000000030", false},
        {"6", "20000000001", true},   // remainder 10
        {"6", "2010007097", false},    // ten digits
        {"6", "201000709700", false},  // twelve
        {"6", "2010007097A", false},
        {"6", "           ", true},  // nothing entered
        {"1", "41234567", true},
        {"1", "4123456", false},  // seven digits
        {"1", "4123456A", false},
        {"4", "123", true},  // no rule for other documents
        {"-", "20100070971", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(masters::identityProblem(c.tdoc, c.number).empty(), c.fits) << c.tdoc << " " << c.number;
    EXPECT_EQ(masters::identityProblem("6", "20100070971"),
              "El RUC 20100070971 no es válido: su dígito verificador no corresponde.");
    EXPECT_EQ(masters::identityProblem("1", "4123456"), "El DNI 4123456 no es válido: debe tener 8 dígitos.");
}

TEST_F(Counterparties, AWrongRucIsPointedOutAndStoredOnlyWhenTheUserInsists) {
    const std::string question =
        "El RUC 20100070971 no es válido: su dígito verificador no corresponde.\\n\\n¿Desea grabarlo de todas formas?";
    form(true, {"type R1 into 173", "focus 177", "type X into 177", "type 20100070971 into 178",
                "choose \"6 RUC\" in 193", "press 175", "expect message \"" + question + "\"", "answer No",
                "expect dialog DatosPc", "expect 178 focused", "type 20100070970 into 178", "press 175"});
    EXPECT_EQ(sf.messages().size(), 1u);
    EXPECT_EQ(record("R1"), "R1|20100070970|X|||||1|6||||");
    form(true, {"type R2 into 173", "focus 177", "type Y into 177", "type 20100070971 into 178",
                "choose \"6 RUC\" in 193", "press 175", "answer Yes"});
    EXPECT_EQ(record("R2"), "R2|20100070971|Y|||||1|6||||");
    form(true, {"type D1 into 173", "focus 177", "type Z into 177", "type 4123456 into 178", "choose \"1 DNI\" in 193",
                "press 175", "expect message \"El DNI 4123456 no es válido: debe tener 8 dígitos.\\n\\n¿Desea grabarlo de todas formas?\"",
                "answer No", "press 176"});
    EXPECT_EQ(record("D1"), "(none)");
}

// Adds counterparties straight to the table, with fields the form does not edit.
void seed(app::Context& ctx) {
    store::WorkArea& pc = ctx.store.select("pc");
    struct Row {
        const char* rut;
        const char* rs;
        const char* tipo;
        const char* tdoc;
        const char* ciudad;
    } rows[] = {{"B2", "BETA SAC", "3", "6", "30LIMA"}, {"A1", "alfa eirl", " ", "9", "15"}, {"C3", "GAMMA SA", "1", "1", ""}};
    for (const Row& r : rows) {
        ASSERT_TRUE(store::ADD_REC(ctx.store));
        pc.put("RUT", Value(r.rut));
        pc.put("RS", Value(r.rs));
        pc.put("TIPO", Value(r.tipo));
        pc.put("TDOC", Value(r.tdoc));
        pc.put("CIUDAD", Value(r.ciudad));
        pc.put("NOM1", Value("  Ana "));
        pc.put("APE1", Value("Rojas"));
        pc.unlock();
    }
    pc.goTop();
}

TEST_F(Counterparties, TheScreenShowsNamesJoinedAndTypeNames) {
    seed(sf.ctx);
    screen({"expect dialog ArchivoPC", "expect caption \"MANTENIMIENTO DE ARCHIVOS\"",
            "expect row 1 of 181 \"A1||alfa eirl|Ana Rojas|PROVEEDOR|||\"",
            "expect row 2 of 181 \"B2||BETA SAC|Ana Rojas|PRESTADOR SERVICIOS|||\"", "expect 172 holds PROVEEDOR",
            "expect 182 holds OTROS", "press 240"});
}

TEST_F(Counterparties, TypeNamesAreSavedAtOnceButShownAfterTheNextSelection) {
    screen({"type PROVEEDORES into 172", "press 125", "press 240"});
    EXPECT_EQ(trim(sf.ctx.store.area("var").text("VAR71")), "PROVEEDORES");
    EXPECT_EQ(trim(sf.ctx.VARC[0]), "PROVEEDOR");
    store::Store other;  // another station can change the parameters at once
    store::WorkArea* var = other.use(sf.demoFolder() + "/zdr_var.dbf", "var", true);
    EXPECT_TRUE(var->recLock());
    var->unlock();
}

TEST_F(Counterparties, DeletionIsRefusedWhileVoucherLinesUseTheCode) {
    seed(sf.ctx);
    store::WorkArea& vou = sf.ctx.store.select("vou");
    ASSERT_TRUE(store::ADD_REC(sf.ctx.store));
    vou.put("RUT", Value("B2"));
    vou.put("FECHAD", Value(store::Date::fromText("10/01/2026")));
    vou.unlock();
    screen({"key Down", "key Delete",
            "expect message \"Atención:\\n¿ Está seguro de querer borrar este código ?\\n\\nB2          BETA SAC"
            "                                \"",
            "answer Yes", "expect message \"Esta código tiene movimiento\"", "key Down", "key Delete", "answer Yes",
            "expect current 181 \"B2||BETA SAC|Ana Rojas|PRESTADOR SERVICIOS|||\"", "press 240"});
    EXPECT_NE(record("B2"), "(none)");
    EXPECT_EQ(record("C3"), "(none)");
}

TEST_F(Counterparties, SearchByCodeOrByNameInAnyCase) {
    seed(sf.ctx);
    screen({"press 200", "expect message \"Por Código\"", "answer Yes", "answer B", "expect current 181 \"B2||BETA SAC|Ana Rojas|PRESTADOR SERVICIOS|||\"",
            "press 200", "answer No", "expect message R.Social", "answer gam",
            "expect current 181 \"C3||GAMMA SA|Ana Rojas|PROVEEDOR|||\"", "key Home",
            "expect current 181 \"A1||alfa eirl|Ana Rojas|PROVEEDOR|||\"", "press 240"});
    EXPECT_EQ(sf.ctx.store.area("pc").order(), 2);
}

TEST_F(Counterparties, TheListingPrintsTheChosenType) {
    seed(sf.ctx);
    struct Case {
        const char* choice;
        std::vector<std::string> ruts;
    } cases[] = {{"Todos", {"A1", "B2", "C3"}}, {"PRESTADOR SERVICIOS", {"B2"}}, {"PROVEEDOR", {"C3"}}};
    for (const Case& c : cases) {
        screen({"press 210", "expect dialog TIPOpc", "expect caption \"SELECCION DE IMPRESION\"",
                std::string("choose \"") + c.choice + "\" in 174", "press 175", "press 240"});
        store::Store reader;
        store::WorkArea* work = reader.use(sf.demoFolder() + "/tmp/tmpctac.dbf", "w", true);
        std::vector<std::string> got;
        for (work->goTop(); !work->eof(); work->skip()) got.push_back(trim(work->text("RUT")));
        EXPECT_EQ(got, c.ruts) << c.choice;
    }
    // the last run: type 1 only
    std::string text = testsupport::pdfText(sf.file("pdf/tapro.pdf"));
    EXPECT_NE(text.find("GAMMA SA"), std::string::npos) << text;
    EXPECT_EQ(text.find("BETA SAC"), std::string::npos) << text;
}

TEST_F(Counterparties, TheListingWritesLabelsCreditDaysAndTypeNine) {
    seed(sf.ctx);
    screen({"press 210", "choose Todos in 174", "press 175", "press 240"});
    store::Store reader;
    store::WorkArea* work = reader.use(sf.demoFolder() + "/tmp/tmpctac.dbf", "w", true);
    std::vector<std::string> got;
    for (work->goTop(); !work->eof(); work->skip())
        got.push_back(trim(work->text("RUT")) + "|" + trim(work->text("TIPO")) + "|" + work->text("TDOC") + "|" +
                      work->text("DCRED"));
    EXPECT_EQ(got, (std::vector<std::string>{"A1|OTROS|0 Otro Tipos |15", "B2|PRESTADOR SERVICIOS|6 RUC        |30",
                                             "C3|PROVEEDOR|1 DNI        |  "}));
}

TEST_F(Counterparties, Export) {
    seed(sf.ctx);
    screen({"press 127", "press 240"});
    const std::string xls = sf.file("PROVCLI.xls");
    ASSERT_TRUE(fs::exists(xls));
    EXPECT_EQ(sf.opened, (std::vector<std::string>{xls}));
    std::string sheet = testsupport::readXls(xls);
    for (const char* line : {"size 4x7\n", "width 3 10240\n", "1,1 text 'Codigo' Arial/B10 General\n",
                             "1,2 text 'Cod.Trib' Arial/B10 General\n", "1,3 text 'Razon Social' Arial/B10 General\n",
                             "1,4 text 'Tipo' Arial/B10 General\n", "1,5 text 'Atencion' Arial/B10 General\n",
                             "1,6 text 'Direccion' Arial/B10 General\n", "1,7 text 'Telefono' Arial/B10 General\n",
                             "2,4 text 'PROVEEDOR", "3,4 text 'PRESTADOR SERVICIOS"})
        EXPECT_NE(sheet.find(line), std::string::npos) << line << " in\n" << sheet;
}

}  // namespace

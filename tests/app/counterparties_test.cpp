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

std::string trim(std::string s) {
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

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

}  // namespace

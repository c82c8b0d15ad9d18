#include "demo_screens.h"

#include "ui/binding.h"
#include "ui/patterns.h"
#include "ui/text.h"

namespace demo {
namespace {

bool blank(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }

std::vector<List::Row> makeRows(int count) {
    static const char* const names[] = {"CAJA",          "BANCOS",          "CLIENTES",       "LETRAS POR COBRAR",
                                        "MERCADERÍAS",   "INMUEBLES",       "DEPRECIACIÓN",   "TRIBUTOS POR PAGAR",
                                        "REMUNERACIONES", "PROVEEDORES",    "CAPITAL SOCIAL", "VENTAS",
                                        "COMPRAS",       "GASTOS DE VENTA", "CARGAS DIVERSAS"};
    std::vector<List::Row> rows;
    for (int i = 0; i < count; ++i) {
        List::Row r;
        r.code = std::to_string(10 + i * 3);
        r.name = ui::text::toTable(names[i % 15]);  // as the tables hold it
        r.amount = store::Decimal::of(std::to_string((i * 7919) % 100000) + "." + std::to_string(10 + i % 90));
        if (i % 4 == 3) r.amount = store::Decimal::of("0");
        rows.push_back(r);
    }
    return rows;
}

std::vector<ui::Column> listColumns(const std::vector<List::Row>& rows, const std::shared_ptr<ui::ArraySource>& src) {
    return {{"Código", [&rows, src] { return store::Value(rows[src->index()].code); }, "", ui::Align::Auto, 8},
            {"Descripción", [&rows, src] { return store::Value(rows[src->index()].name); }, "", ui::Align::Auto, 30},
            {"Saldo", [&rows, src] { return store::Value(rows[src->index()].amount); }, "@Z 999,999,999.99"}};
}

}  // namespace

Form::Form() {
    d = std::make_unique<ui::Dialog>("DatosPlan", "MANTENIMIENTO PLAN DE CUENTAS");
    ui::Dialog& f = *d;
    f.edit(173, "Cuenta:", ui::bindText(code, 10), "@!").Row(0).Valid([this] {
        ++validRuns;
        if (blank(code)) d->refuse("Debe ingresar una Cuenta");
        return !blank(code);
    });
    f.edit(174, "Descripción:", ui::bindText(name, 40)).Row(1).When([this] { return !blank(code); });
    f.radio(181, "Nivel",
            {{182, "Balance", store::Value("B")}, {183, "Sub cuenta", store::Value("S")}, {184, "Registro", store::Value("R")}},
            ui::bindText(level, 1))
        .Row(2)
        .Group("Nivel");
    f.check(121, "Deudor", ui::bindLogic(debit)).Row(2).Group("Naturaleza del saldo").When([this] {
        return level == "R" && !credit;
    });
    f.check(122, "Acreedor", ui::bindLogic(credit)).Row(2).Group("Naturaleza del saldo").When([this] {
        return level == "R" && !debit;
    });
    f.combo(178, "Moneda:", {"Soles", "Dólares", "Euros"}, ui::bindInt(currency, 1)).Row(3);
    f.spinner(177, "Mes:", ui::bindInt(month, 2), 0, 13, "99").Row(3);
    f.edit(179, "Fecha:", ui::bindDate(date)).Row(4);
    f.edit(180, "Tipo de cambio:", ui::bindNum(rate, 9, 5), "99.999").Row(4).Valid([this] {
        return rate >= store::Decimal(0);
    });
    f.edit(185, "Saldo inicial:", ui::bindNum(opening, 14, 2), "@Z 999,999,999.99").Row(5).When([this] {
        return level == "R";
    });
    f.label(190, "La descripción se habilita al ingresar la cuenta.").Row(6);
    ui::addAcceptCancel(f, {});
    f.initialFocus(173);
}

List::List(int count) : rows(makeRows(count)) {
    source = std::make_shared<ui::ArraySource>([this] { return rows.size(); });
    browse = std::make_shared<ui::Browse>(source, listColumns(rows, source));
    browse->onKey = [this](ui::Key k, char32_t ch) {
        switch (k) {
            case ui::Key::Enter: keys.push_back("enter"); return true;
            case ui::Key::Insert: keys.push_back("insert"); return true;
            case ui::Key::Delete: keys.push_back("delete"); return true;
            case ui::Key::DoubleClick: keys.push_back("dbl"); return true;
            case ui::Key::Char: keys.push_back("char:" + std::string(1, static_cast<char>(ch))); return true;
            case ui::Key::End:
                if (!takeEnd) return false;
                keys.push_back("end");
                d->end(240);
                return true;
            default: return false;
        }
    };
    d = std::make_unique<ui::Dialog>("Archivos", "MANTENIMIENTO DE ARCHIVOS");
    ui::Dialog& f = *d;
    f.label(172, "PLAN DE CUENTAS").Row(0);
    f.browse(181, browse).Row(1);
    f.button(170, "Añadir", [this] { keys.push_back("b170"); });
    f.button(171, "Borrar", [this] { keys.push_back("b171"); });
    f.button(200, "Busc.", [this] { keys.push_back("b200"); });
    f.button(210, "Impr.", [] {}).When([] { return false; });
    f.button(240, "Salir", [this] { d->end(240); });
    f.button(127, "Exporta Excel", [this] { keys.push_back("b127"); });
    f.initialFocus(181);
}

std::string List::current() const { return rows[source->index()].code; }

Selection::Selection() {
    d = std::make_unique<ui::Dialog>("SELEIMP8", "SELECCION DE IMPRESION");
    ui::Dialog& f = *d;
    ui::addCurrency(f, 172, 173, 177, currency);
    ui::addPeriod(f, 178, 179, 180, period);
    f.at(172).Row(0);
    f.at(178).Row(0);
    f.combo(181, "Origen:", {"01 Compras", "02 Ventas", "03 Caja y Bancos", "04 Diario"}, ui::bindInt(origin, 1))
        .Row(1)
        .When([this] { return period == 1; });
    ui::addAcceptCancel(f, {});
}

Consultation::Consultation() : rows(makeRows(25)) {
    for (const auto& r : rows) debit = debit + r.amount;
    credit = debit;
    source = std::make_shared<ui::ArraySource>([this] { return rows.size(); });
    auto cols = listColumns(rows, source);
    cols.push_back({"", nullptr, "", ui::Align::Auto, 2});
    cols.push_back({"T/C", [] { return store::Value(store::Decimal::of("3.512")); }, "99.999"});
    auto b = std::make_shared<ui::Browse>(source, cols);
    b->setHeight(12);
    d = std::make_unique<ui::Dialog>("IMPRESION", "CONSULTA");
    ui::Dialog& f = *d;
    f.label(172, "LIBRO DIARIO - MARZO 2012").Row(0);
    f.browse(181, b).Row(1);
    f.label(175, "TOTALES").Row(2).Group("Totales Moneda Local");
    f.display(173, "Debe:", ui::show(store::Type::Num, 14, 2, [this] { return store::Value(debit); }),
              "@Z 9999,999,999.99")
        .Row(2)
        .Group("Totales Moneda Local");
    f.display(174, "Haber:", ui::show(store::Type::Num, 14, 2, [this] { return store::Value(credit); }),
              "@Z 9999,999,999.99")
        .Row(2)
        .Group("Totales Moneda Local");
    f.button(127, "Exporta Excel", [] {});
    f.button(210, "Impr.", [] {});
    f.button(240, "Salir", [this] { d->end(240); });
    f.initialFocus(181);
}

Confirm::Confirm() {
    d = std::make_unique<ui::Dialog>("seleimp96", "Procesar Mantenimiento de Archivos");
    ui::addAcceptCancel(*d, {});
}

}  // namespace demo

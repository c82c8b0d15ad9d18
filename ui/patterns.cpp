#include "ui/patterns.h"

#include "ui/keys.h"

namespace ui {
namespace {

std::shared_ptr<Browse> tableBrowse(store::WorkArea& area, std::vector<Column> columns) {
    return std::make_shared<Browse>(std::make_shared<TableSource>(area), std::move(columns));
}

Binding intBinding(int& v) {
    return {store::Type::Num, 1, 0, [&v] { return store::Value(v); },
            [&v](const store::Value& x) { v = static_cast<int>(x.num().toInt()); }};
}

}  // namespace

void runMasterScreen(const MasterScreen& s) {
    Dialog d(s.dialog, s.caption);
    auto b = tableBrowse(*s.area, s.columns);
    Browse* br = b.get();
    auto after = [br] { br->refresh(); };
    d.label(172, s.title);
    d.browse(181, b);
    auto editNew = [&] {
        s.edit(true);
        after();
    };
    auto editCurrent = [&] {
        if (br->empty()) return;
        s.edit(false);
        after();
    };
    auto remove = [&] {
        if (br->empty()) return;
        s.remove();
        after();
    };
    b->onKey = [&](Key k, char32_t) {
        switch (k) {
            case Key::Enter:
            case Key::DoubleClick:
                if (!s.edit) return false;
                editCurrent();
                return true;
            case Key::Insert:
                if (!s.edit) return false;
                editNew();
                return true;
            case Key::Delete:
                if (!s.remove) return false;
                remove();
                return true;
            default: return false;
        }
    };
    auto button = [&](int id, const char* caption, std::function<void()> action, bool available) {
        Control& c = d.button(id, caption, available ? std::move(action) : std::function<void()>([] {}));
        c.When([available] { return available; });
    };
    button(170, "Añadir", editNew, static_cast<bool>(s.edit));
    button(171, "Borrar", remove, static_cast<bool>(s.remove));
    button(200, "Busc.", [&] { s.search(); after(); }, static_cast<bool>(s.search));
    button(210, "Impr.", [&] { s.print(); after(); }, static_cast<bool>(s.print));
    d.button(240, "Salir", [&d] { d.end(240); });
    button(127, "Exporta Excel", [&] { s.exportXls(); after(); }, static_cast<bool>(s.exportXls));
    if (s.extend) s.extend(d);
    d.initialFocus(181);
    s.area->goTop();
    run(d);
}

bool searchPrompt(store::Store& st, store::WorkArea& area, const std::string& prompt, int width, bool upper) {
    st.settings().softSeek = true;  // stays on
    std::string blank(static_cast<std::size_t>(width), ' ');
    auto typed = backend().input("Buscar por", prompt, store::Value(blank), width, 0, upper ? "@!" : "");
    if (!typed) return false;
    std::string key = typed->isText() ? typed->text() : typed->toDisplay();
    key.resize(static_cast<std::size_t>(width), ' ');
    area.seek(store::Value(key));
    return true;
}

bool runPicker(const Picker& p) {
    Dialog d("", p.caption);
    auto b = tableBrowse(*p.area, p.columns);
    Browse* br = b.get();
    std::string cadena;
    bool taken = false;
    b->onKey = [&](Key k, char32_t ch) {
        if (k == Key::Enter || k == Key::DoubleClick) {
            if (br->empty()) return true;
            if (p.take) p.take();
            taken = true;
            d.end(1);
            return true;
        }
        if (k == Key::Char) {
            if (ch > 31 && static_cast<int>(ch) <= p.maxSearchKey) {
                char c = static_cast<char>(ch);
                if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
                cadena += c;
                p.area->seek(store::Value(cadena));  // with the global soft-seek setting
                if (p.area->eof()) p.area->goBottom();  // nothing further: stay on the last row
                br->refresh();
            }
            return true;  // smaller codes, Backspace included, do nothing
        }
        return false;
    };
    d.browse(181, b);
    d.initialFocus(181);
    p.area->goTop();
    run(d);
    return taken;
}

void runConsultation(store::Store& st, const Consultation& s) {
    Dialog d(s.dialog, s.caption);
    auto b = tableBrowse(*s.area, s.columns);
    Browse* br = b.get();
    d.label(172, s.title);
    Control& label = d.label(175, s.label);
    if (s.label.empty()) label.Hidden();
    for (const Total& t : s.totals) d.display(t.id, "", t.value, t.picture);
    d.browse(181, b);
    if (s.enter) {
        b->onKey = [&](Key k, char32_t) {
            if (k != Key::Enter && k != Key::DoubleClick) return false;
            if (!br->empty()) s.enter();
            br->refresh();
            return true;
        };
    }
    auto button = [&](int id, const char* caption, const std::function<void()>& action) {
        d.button(id, caption, action ? std::function<void()>([&, action] { action(); br->refresh(); })
                                     : std::function<void()>([] {}))
            .When([has = static_cast<bool>(action)] { return has; });
    };
    button(127, "Exporta Excel", s.exportXls);
    button(210, "Impr.", s.print);
    d.button(240, "Salir", [&d] { d.end(240); });
    d.initialFocus(181);
    s.area->goTop();
    std::string alias = s.area->alias();
    run(d);
    if (s.closeAreaOnExit) st.close(alias);
}

void addCurrency(Dialog& d, int groupId, int localId, int dollarsId, int& currency) {
    d.radio(groupId, "Moneda", {{localId, "Local", store::Value(1)}, {dollarsId, "Dólares", store::Value(2)}},
            intBinding(currency))
        .Group("Moneda");
}

void addPeriod(Dialog& d, int groupId, int monthlyId, int cumulativeId, int& ma) {
    d.radio(groupId, "Periodo", {{monthlyId, "Mensual", store::Value(1)}, {cumulativeId, "Acumulado", store::Value(2)}},
            intBinding(ma))
        .Group("Periodo");
}

void addAcceptCancel(Dialog& d, std::function<void()> accept) {
    d.button(175, "OK", [&d, accept = std::move(accept)] {
        if (accept) accept();
        if (!d.ended()) d.end(175);
    });
    d.button(176, "Cancela").cancel = true;
}

}  // namespace ui

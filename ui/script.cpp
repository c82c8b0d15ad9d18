#include "ui/script.h"

#include <chrono>
#include <fstream>
#include <thread>

#include "ui/keys.h"
#include "ui/text.h"

namespace ui {
namespace {

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return s;
}

std::string trimRight(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r')) s.pop_back();
    return s;
}

std::string noAmp(const std::string& s) {
    std::string r;
    for (char c : s)
        if (c != '&') r += c;
    return r;
}

// Splits a line into words; "quoted texts" keep their blanks, with \" \\ and \n escapes.
bool splitWords(const std::string& line, std::vector<std::string>& out, std::string& error) {
    std::size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '#') {
            break;
        } else if (c == '"') {
            std::string w;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char d = line[i++];
                if (d == '\\' && i < line.size()) {
                    char e = line[i++];
                    w += e == 'n' ? '\n' : e;
                } else if (d == '"') {
                    closed = true;
                    break;
                } else {
                    w += d;
                }
            }
            if (!closed) {
                error = "texto sin cerrar";
                return false;
            }
            out.push_back(w);
        } else {
            std::size_t b = i;
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
            out.push_back(line.substr(b, i - b));
        }
    }
    return true;
}

bool toInt(const std::string& s, int& v) {
    if (s.empty()) return false;
    int n = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
    }
    v = n;
    return true;
}

struct KeyName {
    const char* name;
    Key key;
};
const KeyName kKeys[] = {{"enter", Key::Enter},     {"insert", Key::Insert},     {"delete", Key::Delete},
                         {"end", Key::End},         {"escape", Key::Escape},     {"up", Key::Up},
                         {"down", Key::Down},       {"pageup", Key::PageUp},     {"pagedown", Key::PageDown},
                         {"home", Key::Home},       {"doubleclick", Key::DoubleClick}};

const char* const kVerbs[] = {"type", "focus", "press", "choose", "key", "search", "row", "close",
                              "answer", "menu", "tool", "expect", "snapshot"};

std::string joinRow(const std::vector<Cell>& row) {
    std::string s;
    for (std::size_t i = 0; i < row.size(); ++i) {
        std::string t = row[i].text;
        std::size_t b = t.find_first_not_of(' ');
        t = b == std::string::npos ? "" : trimRight(t.substr(b));
        s += (i ? "|" : "") + t;
    }
    return s;
}

const MenuItem* findMenu(const std::vector<MenuItem>& items, const std::vector<std::string>& path, std::size_t from) {
    for (const MenuItem& m : items) {
        if (m.separator || noAmp(m.caption) != noAmp(path[from])) continue;
        if (from + 1 == path.size()) return &m;
        return findMenu(m.items, path, from + 1);
    }
    return nullptr;
}

}  // namespace

// ---------------------------------------------------------------- script text

void ScriptBackend::add(const std::vector<std::string>& lines) {
    for (const std::string& text : lines) {
        ++lines_;
        Command c;
        c.line = lines_;
        c.source = text;
        std::string error;
        if (!splitWords(text, c.words, error)) {
            failAt(c.line, error);
            continue;
        }
        if (c.words.empty()) continue;
        c.words[0] = lower(c.words[0]);
        bool known = false;
        for (const char* v : kVerbs) known = known || c.words[0] == v;
        if (!known) {
            failAt(c.line, "acción desconocida '" + c.words[0] + "'");
            continue;
        }
        commands_.push_back(std::move(c));
    }
}

bool ScriptBackend::loadFile(const std::string& path) {
    std::ifstream in(path);
    if (!in) {
        failures_.push_back(path + ": no se puede leer el guion");
        return false;
    }
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    add(lines);
    return true;
}

void ScriptBackend::failAt(int line, const std::string& why) {
    failures_.push_back("línea " + std::to_string(line) + ": " + why);
    stopped_ = true;
}

void ScriptBackend::fail(const Command& c, const std::string& why) { failAt(c.line, why + "  [" + c.source + "]"); }

const ScriptBackend::Command* ScriptBackend::nextCommand() {
    if (stopped_ || next_ >= commands_.size()) return nullptr;
    return &commands_[next_++];
}

std::string ScriptBackend::lastText() const { return shown_.empty() ? std::string() : shown_.back().text; }

// ---------------------------------------------------------------- expectations

bool ScriptBackend::expectation(const Command& c) {
    const auto& w = c.words;
    auto need = [&](std::size_t n) {
        if (w.size() < n) {
            fail(c, "faltan datos en la expectativa");
            return false;
        }
        return true;
    };
    if (!need(2)) return false;
    const std::string what = lower(w[1]);
    if (what == "message") {
        if (!need(3)) return false;
        if (lastText() != w[2]) fail(c, "se esperaba el mensaje \"" + w[2] + "\" y el último fue \"" + lastText() + "\"");
        return ok();
    }
    if (what == "nomessage") {
        if (!shown_.empty()) fail(c, "se mostró el mensaje \"" + lastText() + "\"");
        return ok();
    }
    if (what == "title") {
        if (!need(3)) return false;
        std::string t = main_ ? main_->title : std::string();
        if (t != w[2]) fail(c, "el título es \"" + t + "\"");
        return ok();
    }
    Dialog* d = top();
    if (what == "dialog" || what == "caption") {
        if (!need(3)) return false;
        std::string got = !d ? "(ninguno)" : what == "dialog" ? d->name() : d->caption();
        if (got != w[2]) fail(c, "el diálogo abierto es \"" + got + "\"");
        return ok();
    }
    if (what == "closed") {
        if (d) fail(c, "sigue abierto el diálogo " + d->name());
        return ok();
    }
    if (!d) {
        fail(c, "no hay un diálogo abierto");
        return false;
    }
    if (what == "refusal") {
        if (!need(3)) return false;
        if (d->lastRefusal() != w[2]) fail(c, "el rechazo fue \"" + d->lastRefusal() + "\"");
        return ok();
    }
    if (what == "row") {  // expect row N of ID "a|b|c"
        int n = 0, id = 0;
        if (!need(5) || !toInt(w[2], n) || lower(w[3]) != "of" || !toInt(w[4], id)) {
            fail(c, "forma: expect row N of ID \"celdas|separadas\"");
            return false;
        }
        Control* b = d->find(id);
        if (!b || !b->browse) {
            fail(c, "el control " + w[4] + " no es una lista");
            return false;
        }
        auto rows = b->browse->visibleRows();
        std::string got = n >= 1 && n <= static_cast<int>(rows.size()) ? joinRow(rows[static_cast<std::size_t>(n - 1)])
                                                                         : "(no hay fila " + w[2] + ")";
        if (w.size() < 6 || got != w[5]) fail(c, "la fila " + w[2] + " es \"" + got + "\"");
        return ok();
    }
    if (what == "rows") {  // expect rows ID N
        int id = 0, n = 0;
        if (!need(4) || !toInt(w[2], id) || !toInt(w[3], n)) {
            fail(c, "forma: expect rows ID N");
            return false;
        }
        Control* b = d->find(id);
        if (!b || !b->browse) {
            fail(c, "el control " + w[2] + " no es una lista");
            return false;
        }
        int got = static_cast<int>(b->browse->visibleRows().size());
        if (got != n) fail(c, "la lista muestra " + std::to_string(got) + " filas");
        return ok();
    }
    if (what == "current") {  // expect current ID "a|b"
        int id = 0;
        if (!need(4) || !toInt(w[2], id)) {
            fail(c, "forma: expect current ID \"celdas\"");
            return false;
        }
        Control* b = d->find(id);
        if (!b || !b->browse) {
            fail(c, "el control " + w[2] + " no es una lista");
            return false;
        }
        std::string got = b->browse->empty() ? "(vacía)" : joinRow(b->browse->currentRow());
        if (got != w[3]) fail(c, "la fila actual es \"" + got + "\"");
        return ok();
    }
    int id = 0;
    if (!toInt(w[1], id) || !need(3)) {
        fail(c, "forma: expect ID holds \"texto\" | enabled | disabled | visible | hidden | checked | unchecked | focused");
        return false;
    }
    if (!d->find(id) && !d->visible(id) && !d->enabled(id) && d->text(id).empty()) {
        fail(c, "el diálogo " + d->name() + " no tiene el control " + w[1]);
        return false;
    }
    const std::string state = lower(w[2]);
    if (state == "holds") {
        if (!need(4)) return false;
        std::string got = trimRight(d->text(id));
        std::size_t b = got.find_first_not_of(' ');
        got = b == std::string::npos ? "" : got.substr(b);
        if (got != trimRight(w[3])) fail(c, "el control " + w[1] + " muestra \"" + got + "\"");
    } else if (state == "enabled" || state == "disabled") {
        if (d->enabled(id) != (state == "enabled")) fail(c, "el control " + w[1] + (d->enabled(id) ? " está habilitado" : " está deshabilitado"));
    } else if (state == "visible" || state == "hidden") {
        if (d->visible(id) != (state == "visible")) fail(c, "el control " + w[1] + (d->visible(id) ? " está visible" : " está oculto"));
    } else if (state == "checked" || state == "unchecked") {
        bool on = d->checked(id);
        // a radio option (its number may also be the group's): checked when the group holds its code
        for (const Control& ctl : d->controls())
            for (std::size_t i = 0; i < ctl.options.size(); ++i)
                if (ctl.options[i].id == id) on = d->selected(ctl.id) == static_cast<int>(i);
        if (on != (state == "checked")) fail(c, "el control " + w[1] + (on ? " está marcado" : " no está marcado"));
    } else if (state == "focused") {
        if (d->focused() != id) fail(c, "el foco está en " + std::to_string(d->focused()));
    } else {
        fail(c, "expectativa desconocida '" + w[2] + "'");
    }
    return ok();
}

// ---------------------------------------------------------------- actions

bool ScriptBackend::dialogCommand(Dialog& d, const Command& c) {
    const auto& w = c.words;
    const std::string& verb = w[0];
    int id = 0;
    if (verb == "expect") return expectation(c);
    if (verb == "close") {
        d.close();
        return true;
    }
    if (verb == "type") {  // type TEXT into ID
        if (w.size() != 4 || lower(w[2]) != "into" || !toInt(w[3], id)) {
            fail(c, "forma: type \"texto\" into ID");
            return false;
        }
        if (!d.find(id)) {
            fail(c, "el diálogo " + d.name() + " no tiene el control " + w[3]);
            return false;
        }
        if (!d.enabled(id) || !d.visible(id)) {
            fail(c, "el control " + w[3] + " no está disponible");
            return false;
        }
        d.type(id, w[1]);
        return true;
    }
    if (verb == "focus" || verb == "press") {
        if (w.size() != 2 || !toInt(w[1], id)) {
            fail(c, "forma: " + verb + " ID");
            return false;
        }
        bool exists = d.find(id) || d.visible(id) || d.enabled(id);
        if (!exists) {
            fail(c, "el diálogo " + d.name() + " no tiene el control " + w[1]);
            return false;
        }
        if (verb == "press" && (!d.enabled(id) || !d.visible(id))) {
            fail(c, "el control " + w[1] + " no está disponible");
            return false;
        }
        if (verb == "focus") d.moveFocus(id);
        else d.press(id);
        return true;
    }
    if (verb == "choose") {  // choose N|"text" in ID
        if (w.size() != 4 || lower(w[2]) != "in" || !toInt(w[3], id) || !d.find(id)) {
            fail(c, "forma: choose N in ID, o choose \"texto\" in ID");
            return false;
        }
        Control& ctl = d.at(id);
        int index = -1;
        int n = 0;
        if (toInt(w[1], n)) index = n - 1;
        for (std::size_t i = 0; index < 0 && i < ctl.items.size(); ++i)
            if (trimRight(ctl.items[i]) == trimRight(w[1])) index = static_cast<int>(i);
        if (!d.choose(id, index)) fail(c, "no se pudo elegir \"" + w[1] + "\" en " + w[3]);
        return ok();
    }
    if (verb == "key" || verb == "search" || verb == "row") {
        // key NAME [on ID] | search "text" [on ID] | row N of ID
        int browseId = 0;
        std::size_t onAt = verb == "row" ? 2 : 2;
        if (w.size() == onAt + 2 && (lower(w[onAt]) == "on" || lower(w[onAt]) == "of")) {
            if (!toInt(w[onAt + 1], browseId)) {
                fail(c, "número de control inválido");
                return false;
            }
        } else if (w.size() != 2) {
            fail(c, "forma: " + verb + (verb == "row" ? " N of ID" : " X [on ID]"));
            return false;
        }
        if (!browseId) {
            if (Control* f = d.find(d.focused()); f && f->browse) browseId = f->id;
            for (const Control& ctl : d.controls())
                if (!browseId && ctl.browse) browseId = ctl.id;
        }
        Control* b = d.find(browseId);
        if (verb == "key") {
            std::string k = lower(w[1]);
            if (k == "tab" || k == "backtab") {
                d.advance(k == "tab");
                return true;
            }
            for (const KeyName& kn : kKeys) {
                if (k != kn.name) continue;
                if (kn.key == Key::Escape) {
                    d.close();
                    return true;
                }
                if (!b || !b->browse) {
                    fail(c, "no hay una lista que reciba la tecla");
                    return false;
                }
                d.key(browseId, kn.key);
                return true;
            }
            fail(c, "tecla desconocida '" + w[1] + "'");
            return false;
        }
        if (!b || !b->browse) {
            fail(c, "no hay una lista");
            return false;
        }
        if (verb == "search") {
            for (char ch : w[1]) {
                if (d.ended()) break;
                d.key(browseId, Key::Char, static_cast<unsigned char>(ch));
            }
            return true;
        }
        int n = 0;
        if (!toInt(w[1], n) || n < 1) {
            fail(c, "forma: row N of ID");
            return false;
        }
        d.clickRow(browseId, n - 1);
        return true;
    }
    if (verb == "snapshot") {
        if (w.size() != 2) {
            fail(c, "forma: snapshot archivo.png");
            return false;
        }
        std::string error;
        if (!renderer) fail(c, "no hay con qué dibujar el diálogo (falta la capa Qt)");
        else if (!renderer(d, w[1], error)) fail(c, "no se pudo guardar " + w[1] + ": " + error);
        return ok();
    }
    if (verb == "answer") {
        fail(c, "no hay ningún mensaje que responder");
        return false;
    }
    fail(c, "'" + verb + "' no se aplica dentro del diálogo " + d.name());
    return false;
}

int ScriptBackend::run(Dialog& d) {
    d.start();
    stack_.push_back(&d);
    // The dialog leaves the stack however the run ends, an action's exception included.
    struct Pop {
        std::vector<Dialog*>& stack;
        ~Pop() { stack.pop_back(); }
    } pop{stack_};
    while (!d.ended()) {
        const Command* c = nextCommand();
        if (!c) {
            // the script is over: the user closes what is still open
            if (!d.close()) d.end(0);
            break;
        }
        dialogCommand(d, *c);
    }
    return d.result();
}

const ScriptBackend::Command* ScriptBackend::awaitAnswer(const std::string& what) {
    for (;;) {
        const Command* c = nextCommand();
        if (!c) return nullptr;
        if (c->words[0] == "expect") {
            expectation(*c);
            continue;
        }
        if (c->words[0] == "answer" && c->words.size() == 2) return c;
        fail(*c, "hay un mensaje abierto (" + what + "); respóndalo con 'answer'");
        return nullptr;
    }
}

void ScriptBackend::message(Box kind, const std::string& title, const std::string& text) {
    static const char* const kKinds[] = {"mensaje", "info", "alerta", "stop"};
    shown_.push_back({kKinds[static_cast<int>(kind)], title, text});
    // An optional "answer OK" right after a box that only has OK.
    if (!stopped_ && next_ < commands_.size()) {
        const Command& c = commands_[next_];
        if (c.words[0] == "answer" && c.words.size() == 2 && lower(c.words[1]) == "ok") ++next_;
    }
}

bool ScriptBackend::yesNo(const std::string& title, const std::string& text, bool defaultYes) {
    shown_.push_back({"si/no", title, text});
    const Command* c = awaitAnswer("\"" + text + "\"");
    if (!c) {
        keys::setLastEscape(true);
        return false;
    }
    std::string a = lower(c->words[1]);
    if (a == "yes" || a == "si" || a == "sí") return keys::setLastEscape(false), true;
    if (a == "no") return keys::setLastEscape(false), false;
    if (a == "default") return keys::setLastEscape(false), defaultYes;
    if (a == "escape" || a == "close") return keys::setLastEscape(true), false;
    fail(*c, "respuesta inválida para una pregunta sí/no");
    return false;
}

int ScriptBackend::choice(const std::string& title, const std::string& text, const std::vector<std::string>& buttons) {
    shown_.push_back({"opciones", title, text});
    const Command* c = awaitAnswer("\"" + text + "\"");
    if (!c) {
        keys::setLastEscape(true);
        return 0;
    }
    std::string a = c->words[1];
    if (lower(a) == "close" || lower(a) == "escape") {
        keys::setLastEscape(true);
        return 0;
    }
    keys::setLastEscape(false);
    int n = 0;
    if (toInt(a, n) && n >= 1 && n <= static_cast<int>(buttons.size())) return n;
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (noAmp(buttons[i]) == noAmp(a)) return static_cast<int>(i) + 1;
    fail(*c, "el mensaje no tiene el botón \"" + a + "\"");
    return 0;
}

std::optional<store::Value> ScriptBackend::input(const std::string& title, const std::string& prompt,
                                                 const store::Value& initial, int width, int decimals,
                                                 const std::string& picture) {
    shown_.push_back({"entrada", title, prompt});
    const Command* c = awaitAnswer("\"" + title + "\"");
    if (!c || lower(c->words[1]) == "cancel") {
        keys::setLastEscape(true);
        return std::nullopt;
    }
    keys::setLastEscape(false);
    const std::string& typed = c->words[1];
    if (initial.isText()) {
        std::string t = Picture::parse(picture).filterText(text::toTable(typed), width);
        t.resize(static_cast<std::size_t>(width), ' ');
        return store::Value(t);
    }
    Picture::Parsed p = Picture::parse(picture).parseInput(typed, initial.type(), width, decimals);
    if (!p.value) {
        fail(*c, "respuesta inválida: " + p.error);
        return std::nullopt;
    }
    return p.value;
}

void ScriptBackend::transient(const std::string& title, const std::string& text, double) {
    shown_.push_back({"aviso", title, text});
}

bool ScriptBackend::pause(double seconds, bool cancellable) {
    if (++pauses_ > maxPauses) {
        pauses_ = 0;
        if (!cancellable) failures_.push_back("el guion esperó demasiado un registro bloqueado por otra estación");
        return false;
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds * pauseScale));
    return true;
}

void ScriptBackend::finish() {
    while (const Command* c = nextCommand()) {
        if (c->words[0] == "expect") expectation(*c);
        else fail(*c, "no hay un diálogo abierto que reciba la acción");
    }
}

// ---------------------------------------------------------------- main window

bool ScriptBackend::mainCommand(MainWindow& w, const Command& c) {
    const auto& words = c.words;
    if (words[0] == "expect") return expectation(c);
    if (words[0] == "menu") {
        std::vector<std::string> path(words.begin() + 1, words.end());
        const MenuItem* m = path.empty() ? nullptr : findMenu(w.menus, path, 0);
        if (!m) {
            fail(c, "no existe esa entrada del menú");
            return false;
        }
        if (!m->action) {
            fail(c, "la entrada \"" + noAmp(m->caption) + "\" está deshabilitada");
            return false;
        }
        m->action();
        return true;
    }
    if (words[0] == "tool") {
        for (const ToolButton& b : w.toolbar) {
            if (words.size() == 2 && b.tooltip == words[1]) {
                if (!b.action) {
                    fail(c, "el botón \"" + b.tooltip + "\" está deshabilitado");
                    return false;
                }
                b.action();
                return true;
            }
        }
        fail(c, "no existe ese botón de la barra");
        return false;
    }
    fail(c, "'" + words[0] + "' necesita un diálogo abierto");
    return false;
}

void ScriptBackend::runMainWindow(MainWindow& w) {
    main_ = &w;
    while (!w.closed) {
        const Command* c = nextCommand();
        if (!c) break;
        mainCommand(w, *c);
    }
    main_ = nullptr;
}

}  // namespace ui

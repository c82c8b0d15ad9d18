#include "output/report/template.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <iterator>

namespace report {

TemplateError::TemplateError(std::string file, int line, const std::string& what)
    : std::runtime_error(file + ":" + std::to_string(line) + ": " + what), file_(std::move(file)), line_(line) {}

int Band::rows() const {
    int n = 1;
    for (const auto& e : elements) n = std::max(n, e.row + 1);
    return n;
}

const Band* Template::band(BandKind kind, int group) const {
    for (const auto& b : bands)
        if (b.kind == kind && b.group == group) return &b;
    return nullptr;
}

namespace {

struct Token {
    std::string text;
    bool quoted = false;
};

std::string lower(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string upper(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

class Parser {
public:
    Parser(std::string_view text, const std::string& file) : text_(text) { tpl_.file = file; }

    Template run() {
        std::size_t pos = 0;
        while (pos <= text_.size()) {
            std::size_t end = text_.find('\n', pos);
            if (end == std::string_view::npos) end = text_.size();
            std::string_view line = text_.substr(pos, end - pos);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            ++line_;
            tokens_ = tokenize(line);
            if (!tokens_.empty()) statement();
            pos = end + 1;
        }
        return std::move(tpl_);
    }

private:
    [[noreturn]] void fail(const std::string& what) const { throw TemplateError(tpl_.file, line_, what); }

    std::vector<Token> tokenize(std::string_view line) const {
        std::vector<Token> out;
        std::size_t i = 0;
        while (i < line.size()) {
            char c = line[i];
            if (c == ' ' || c == '\t') { ++i; continue; }
            if (c == '#') break;
            Token t;
            if (c == '"') {
                t.quoted = true;
                ++i;
                bool closed = false;
                while (i < line.size()) {
                    char d = line[i++];
                    if (d == '"') { closed = true; break; }
                    if (d == '\\' && i < line.size()) d = line[i++];
                    t.text += d;
                }
                if (!closed) fail("falta la comilla de cierre");
            } else {
                while (i < line.size() && line[i] != ' ' && line[i] != '\t') t.text += line[i++];
            }
            out.push_back(std::move(t));
        }
        return out;
    }

    const Token& arg(std::size_t i, const char* what) const {
        if (i >= tokens_.size()) fail(std::string("falta ") + what);
        return tokens_[i];
    }
    std::string quoted(std::size_t i, const char* what) const {
        const Token& t = arg(i, what);
        if (!t.quoted) fail(std::string(what) + " va entre comillas: " + t.text);
        return t.text;
    }
    double number(std::size_t i, const char* what, std::string_view suffix = {}) const {
        std::string s = arg(i, what).text;
        if (!suffix.empty() && s.size() > suffix.size() && lower(s).ends_with(suffix)) s.resize(s.size() - suffix.size());
        double v = 0;
        auto r = std::from_chars(s.data(), s.data() + s.size(), v);
        if (r.ec != std::errc() || r.ptr != s.data() + s.size() || v < 0) fail(std::string(what) + " no es un número: " + tokens_[i].text);
        return v;
    }
    void noMore(std::size_t i) const {
        if (i < tokens_.size()) fail("sobra: " + tokens_[i].text);
    }

    void statement() {
        std::string kw = lower(tokens_[0].text);
        if (tokens_[0].quoted) fail("se esperaba una palabra clave");
        if (kw == "report") {
            tpl_.name = quoted(1, "el nombre del reporte");
            noMore(2);
        } else if (kw == "page") {
            pageLine();
        } else if (kw == "font") {
            tpl_.fontFamily = quoted(1, "la fuente");
            tpl_.fontSize = number(2, "el tamaño de la fuente");
            if (tpl_.fontSize <= 0) fail("el tamaño de la fuente no es válido");
            noMore(3);
        } else if (kw == "band") {
            bandLine();
        } else if (kw == "text" || kw == "field" || kw == "sum") {
            elementLine(kw);
        } else {
            fail("palabra clave desconocida: " + tokens_[0].text);
        }
    }

    void pageLine() {
        std::string size = lower(arg(1, "el tamaño de la página").text);
        double w = 0, h = 0;
        if (size == "a4") { w = 210; h = 297; }
        else if (size == "a3") { w = 297; h = 420; }
        else if (size == "a5") { w = 148; h = 210; }
        else if (size == "letter") { w = 215.9; h = 279.4; }
        else if (size == "legal") { w = 215.9; h = 355.6; }
        else {
            std::string s = size.ends_with("mm") ? size.substr(0, size.size() - 2) : size;
            auto x = s.find('x');
            if (x == std::string::npos) fail("tamaño de página desconocido: " + tokens_[1].text);
            auto r1 = std::from_chars(s.data(), s.data() + x, w);
            auto r2 = std::from_chars(s.data() + x + 1, s.data() + s.size(), h);
            if (r1.ec != std::errc() || r1.ptr != s.data() + x || r2.ec != std::errc() || r2.ptr != s.data() + s.size() ||
                w <= 0 || h <= 0)
                fail("tamaño de página desconocido: " + tokens_[1].text);
        }
        std::size_t i = 2;
        bool landscape = false, oriented = false;
        while (i < tokens_.size()) {
            std::string k = lower(tokens_[i].text);
            if (k == "portrait") { landscape = false; oriented = true; ++i; }
            else if (k == "landscape") { landscape = true; oriented = true; ++i; }
            else if (k == "margins") { tpl_.margin = number(i + 1, "el margen", "mm"); i += 2; }
            else fail("opción de página desconocida: " + tokens_[i].text);
        }
        if (oriented && landscape != (w > h)) std::swap(w, h);
        if (2 * tpl_.margin >= std::min(w, h)) fail("los márgenes no dejan espacio en la página");
        tpl_.pageWidth = w;
        tpl_.pageHeight = h;
    }

    void bandLine() {
        std::string k = lower(arg(1, "el tipo de banda").text);
        Band b;
        b.sourceLine = line_;
        std::size_t next = 2;
        if (k == "title") b.kind = BandKind::Title;
        else if (k == "pageheader") b.kind = BandKind::PageHeader;
        else if (k == "detail") b.kind = BandKind::Detail;
        else if (k == "pagefooter") b.kind = BandKind::PageFooter;
        else if (k == "summary") b.kind = BandKind::Summary;
        else if (k == "groupheader" || k == "groupfooter") {
            b.kind = k == "groupheader" ? BandKind::GroupHeader : BandKind::GroupFooter;
            if (lower(arg(2, "on y la expresión del grupo").text) != "on") fail("se esperaba on: " + tokens_[2].text);
            std::string expr = quoted(3, "la expresión del grupo");
            if (expr.find_first_not_of(" \t") == std::string::npos) fail("la expresión del grupo está vacía");
            next = 4;
            auto it = std::find_if(tpl_.groups.begin(), tpl_.groups.end(),
                                   [&](const Group& g) { return upper(g.expression) == upper(expr); });
            if (it == tpl_.groups.end()) {
                tpl_.groups.push_back({expr, line_});
                it = tpl_.groups.end() - 1;
            }
            b.group = static_cast<int>(it - tpl_.groups.begin());
        } else {
            fail("tipo de banda desconocido: " + tokens_[1].text);
        }
        noMore(next);
        if (tpl_.band(b.kind, b.group)) fail("banda repetida: " + tokens_[1].text);
        tpl_.bands.push_back(std::move(b));
    }

    Source source(const std::string& ref) const {
        auto dot = ref.find('.');
        std::string set = lower(ref.substr(0, dot == std::string::npos ? 0 : dot));
        Source s;
        if (set == "data") s.set = DataSet::Data;
        else if (set == "var") s.set = DataSet::Var;
        else fail("se esperaba data.CAMPO o var.CAMPO: " + ref);
        s.field = upper(ref.substr(dot + 1));
        if (s.field.empty()) fail("falta el nombre del campo: " + ref);
        return s;
    }

    std::vector<Piece> pieces(const std::string& text) const {
        std::vector<Piece> out;
        std::string lit;
        for (std::size_t i = 0; i < text.size(); ++i) {
            char c = text[i];
            if (c == '{' && i + 1 < text.size() && text[i + 1] == '{') { lit += '{'; ++i; continue; }
            if (c == '}' && i + 1 < text.size() && text[i + 1] == '}') { lit += '}'; ++i; continue; }
            if (c != '{') { lit += c; continue; }
            auto close = text.find('}', i);
            if (close == std::string::npos) fail("falta } en el texto: " + text);
            std::string name = text.substr(i + 1, close - i - 1);
            if (!lit.empty()) out.push_back({Piece::Kind::Literal, std::move(lit), {}});
            lit.clear();
            Piece p;
            if (lower(name) == "page") p.kind = Piece::Kind::Page;
            else if (lower(name) == "pages") p.kind = Piece::Kind::Pages;
            else { p.kind = Piece::Kind::Field; p.source = source(name); }
            out.push_back(std::move(p));
            i = close;
        }
        if (!lit.empty()) out.push_back({Piece::Kind::Literal, std::move(lit), {}});
        return out;
    }

    void elementLine(const std::string& kw) {
        if (tpl_.bands.empty()) fail(kw + " fuera de una banda");
        Band& band = tpl_.bands.back();
        Element e;
        e.sourceLine = line_;
        if (kw == "text") {
            e.kind = Element::Kind::Text;
            e.pieces = pieces(quoted(1, "el texto"));
        } else {
            e.kind = kw == "field" ? Element::Kind::Field : Element::Kind::Sum;
            const Token& t = arg(1, "el campo");
            if (t.quoted) fail("el campo va sin comillas: " + t.text);
            e.source = source(t.text);
            if (e.kind == Element::Kind::Sum) {
                if (e.source.set != DataSet::Data) fail("solo se suman campos de data: " + t.text);
                if (band.kind != BandKind::GroupFooter && band.kind != BandKind::PageFooter && band.kind != BandKind::Summary)
                    fail("sum solo va en groupfooter, pagefooter o summary");
            }
        }
        bool at = false, width = false;
        std::size_t i = 2;
        while (i < tokens_.size()) {
            std::string k = lower(tokens_[i].text);
            if (tokens_[i].quoted) fail("sobra: \"" + tokens_[i].text + "\"");
            if (k == "at") { e.x = number(i + 1, "la columna"); at = true; i += 2; }
            else if (k == "width") { e.width = number(i + 1, "el ancho"); width = true; i += 2; }
            else if (k == "line") { e.row = static_cast<int>(number(i + 1, "la línea")); i += 2; }
            else if (k == "bold") { e.bold = true; ++i; }
            else if (k == "picture") { e.picture = ui::Picture::parse(quoted(i + 1, "la máscara")); i += 2; }
            else if (k == "align") {
                std::string a = lower(arg(i + 1, "la alineación").text);
                if (a == "left") e.align = Align::Left;
                else if (a == "center") e.align = Align::Center;
                else if (a == "right") e.align = Align::Right;
                else fail("alineación desconocida: " + tokens_[i + 1].text);
                i += 2;
            } else fail("opción desconocida: " + tokens_[i].text);
        }
        if (!at) fail("falta at");
        if (!width) fail("falta width");
        if (e.x + e.width > 100.0001) fail("el elemento pasa del ancho imprimible (at + width > 100)");
        if (e.row > 50) fail("línea demasiado alta");
        band.elements.push_back(std::move(e));
    }

    std::string_view text_;
    Template tpl_;
    int line_ = 0;
    std::vector<Token> tokens_;
};

}  // namespace

Template parseTemplate(std::string_view text, const std::string& file) { return Parser(text, file).run(); }

Template loadTemplate(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw TemplateError(path, 0, "no se puede abrir la plantilla");
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return parseTemplate(text, path);
}

}  // namespace report

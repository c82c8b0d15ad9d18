#include "store/expr.h"

#include <cctype>
#include <cstring>
#include <ctime>
#include <functional>
#include <vector>

#include "store/error.h"

namespace store {

Date systemToday() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return Date::fromYmd(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday).value_or(Date());
}

// ---------------------------------------------------------------- helpers

bool textEquals(std::string_view a, std::string_view b, bool exact) { return textCompare(a, b, exact) == 0; }

int textCompare(std::string_view a, std::string_view b, bool exact) {
    if (exact) {
        while (!a.empty() && a.back() == ' ') a.remove_suffix(1);
        while (!b.empty() && b.back() == ' ') b.remove_suffix(1);
    }
    std::size_t n = a.size() < b.size() ? a.size() : b.size();
    int c = n ? std::memcmp(a.data(), b.data(), n) : 0;
    if (c != 0) return c < 0 ? -1 : 1;
    if (b.size() <= a.size()) return exact && b.size() < a.size() ? 1 : 0;
    return -1;
}

std::string strOf(const Decimal& n, int width, int decimals) {
    if (width < 1) width = 1;
    if (decimals < 0) decimals = 0;
    std::string s = n.toFixed(decimals);
    if (static_cast<int>(s.size()) > width) return std::string(static_cast<std::size_t>(width), '*');
    return std::string(static_cast<std::size_t>(width) - s.size(), ' ') + s;
}

std::string numericKey(const Decimal& n, int width, int decimals) {
    if (width < 1) width = 10;
    std::string digits = n.abs().toFixed(decimals);
    std::size_t w = static_cast<std::size_t>(width) - 1;
    if (digits.size() < w) digits.insert(0, w - digits.size(), '0');
    if (digits.size() > w) digits = digits.substr(digits.size() - w);
    if (n.isNegative()) {
        for (char& c : digits)
            if (c >= '0' && c <= '9') c = static_cast<char>('9' - (c - '0'));
        return "-" + digits;  // '-' sorts before '0', larger magnitudes first
    }
    return "0" + digits;
}

std::string keyBytes(const Value& v, int numericWidth, int numericDecimals) {
    switch (v.type()) {
        case Type::Char: return v.text();
        case Type::Date: return v.date().dtos();
        case Type::Num: return numericKey(v.num(), numericWidth, numericDecimals);
        case Type::Logic: return v.logic() ? "T" : "F";
    }
    return {};
}

// ---------------------------------------------------------------- tree

class Expr::Node {
public:
    explicit Node(Type t) : type(t) {}
    virtual ~Node() = default;
    virtual Value eval() const = 0;
    virtual void appendKey(std::string& out) const { out += keyBytes(eval(), keyWidth, keyDecimals); }
    Type type;
    int keyWidth = 10;  // numeric results as keys
    int keyDecimals = 0;
};

namespace {

using NodeP = std::shared_ptr<const Expr::Node>;
using Fn = std::function<Value(const std::vector<Value>&)>;

class Literal : public Expr::Node {
public:
    explicit Literal(Value v) : Node(v.type()), v_(std::move(v)) {}
    Value eval() const override { return v_; }

private:
    Value v_;
};

class FieldNode : public Expr::Node {
public:
    explicit FieldNode(const FieldBinding& b) : Node(b.info.type), b_(b) {
        keyWidth = b.info.length;
        keyDecimals = b.info.decimals;
    }
    Value eval() const override {
        if (!b_.view->data) return emptyOf(b_.info);
        return fieldcodec::read(b_.info, b_.view->data);
    }
    void appendKey(std::string& out) const override {
        if (!b_.view->data) {
            Node::appendKey(out);
            return;
        }
        if (type == Type::Char) {
            out.append(b_.view->data + b_.info.offset, b_.info.length);
        } else if (type == Type::Date) {
            std::size_t at = out.size();
            out.resize(at + 8);
            fieldcodec::readDate(b_.info, b_.view->data).dtosInto(out.data() + at);
        } else {
            Node::appendKey(out);
        }
    }
    const FieldInfo& info() const { return b_.info; }

    static Value emptyOf(const FieldInfo& f) {
        switch (f.type) {
            case Type::Char: return Value(std::string(f.length, ' '));
            case Type::Num: return Value(Decimal());
            case Type::Date: return Value(Date());
            case Type::Logic: return Value(false);
        }
        return {};
    }

private:
    FieldBinding b_;
};

class ConcatNode : public Expr::Node {
public:
    ConcatNode(NodeP a, NodeP b) : Node(Type::Char), a_(std::move(a)), b_(std::move(b)) {}
    Value eval() const override {
        std::string s;
        appendKey(s);
        return Value(std::move(s));
    }
    void appendKey(std::string& out) const override {
        a_->appendKey(out);
        b_->appendKey(out);
    }

private:
    NodeP a_, b_;
};

class CallNode : public Expr::Node {
public:
    CallNode(Type t, std::vector<NodeP> args, Fn fn) : Node(t), args_(std::move(args)), fn_(std::move(fn)) {}
    Value eval() const override {
        std::vector<Value> v;
        v.reserve(args_.size());
        for (const auto& a : args_) v.push_back(a->eval());
        return fn_(v);
    }

private:
    std::vector<NodeP> args_;
    Fn fn_;
};

// STR(n, w, d) written straight into a key without building a Value.
class StrNode : public Expr::Node {
public:
    StrNode(NodeP n, int w, int d) : Node(Type::Char), n_(std::move(n)), w_(w), d_(d) {}
    Value eval() const override { return Value(strOf(n_->eval().num(), w_, d_)); }
    void appendKey(std::string& out) const override { out += strOf(n_->eval().num(), w_, d_); }

private:
    NodeP n_;
    int w_, d_;
};

class UpperNode : public Expr::Node {
public:
    explicit UpperNode(NodeP a) : Node(Type::Char), a_(std::move(a)) {}
    Value eval() const override {
        std::string s;
        appendKey(s);
        return Value(std::move(s));
    }
    void appendKey(std::string& out) const override {
        std::size_t at = out.size();
        a_->appendKey(out);
        for (std::size_t i = at; i < out.size(); ++i) out[i] = upperChar(out[i]);
    }

private:
    NodeP a_;
};

class AndOrNode : public Expr::Node {
public:
    AndOrNode(bool isAnd, NodeP a, NodeP b) : Node(Type::Logic), and_(isAnd), a_(std::move(a)), b_(std::move(b)) {}
    Value eval() const override {
        bool l = a_->eval().logic();
        if (and_ ? !l : l) return Value(l);
        return Value(b_->eval().logic());
    }

private:
    bool and_;
    NodeP a_, b_;
};

// ---------------------------------------------------------------- parser

enum class Tok { End, Ident, Number, String, Op, LParen, RParen, Comma, Arrow, True, False, And, Or, Not };

struct Token {
    Tok kind;
    std::string text;
};

std::string upperOf(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

class Parser {
public:
    Parser(std::string_view text, const ExprContext& ctx) : src_(text), ctx_(ctx) { lex(); }

    NodeP parse() {
        NodeP n = orExpr();
        if (peek().kind != Tok::End) fail("sobra '" + peek().text + "'");
        return n;
    }

private:
    [[noreturn]] void fail(const std::string& why) const {
        throw StoreError(ErrorKind::Expression,
                         "Expresión inválida '" + std::string(src_) + "' en " + ctx_.where() + ": " + why);
    }

    void lex() {
        std::size_t i = 0;
        const std::string_view s = src_;
        while (i < s.size()) {
            char c = s[i];
            if (std::isspace(static_cast<unsigned char>(c))) {
                ++i;
            } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
                std::size_t b = i;
                while (i < s.size() && (std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == '_')) ++i;
                toks_.push_back({Tok::Ident, std::string(s.substr(b, i - b))});
            } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                       (c == '.' && i + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
                std::size_t b = i;
                while (i < s.size() && (std::isdigit(static_cast<unsigned char>(s[i])) || s[i] == '.')) ++i;
                toks_.push_back({Tok::Number, std::string(s.substr(b, i - b))});
            } else if (c == '\'' || c == '"') {
                std::size_t e = s.find(c, i + 1);
                if (e == std::string_view::npos) fail("texto sin cerrar");
                toks_.push_back({Tok::String, std::string(s.substr(i + 1, e - i - 1))});
                i = e + 1;
            } else if (c == '.') {
                std::size_t e = s.find('.', i + 1);
                std::string word = e == std::string_view::npos ? "" : upperOf(s.substr(i + 1, e - i - 1));
                Tok k;
                if (word == "AND") k = Tok::And;
                else if (word == "OR") k = Tok::Or;
                else if (word == "NOT") k = Tok::Not;
                else if (word == "T" || word == "Y") k = Tok::True;
                else if (word == "F" || word == "N") k = Tok::False;
                else fail("operador desconocido en la posición " + std::to_string(i + 1));
                toks_.push_back({k, "." + word + "."});
                i = e + 1;
            } else if (c == '(') {
                toks_.push_back({Tok::LParen, "("}), ++i;
            } else if (c == ')') {
                toks_.push_back({Tok::RParen, ")"}), ++i;
            } else if (c == ',') {
                toks_.push_back({Tok::Comma, ","}), ++i;
            } else if (c == '-' && i + 1 < s.size() && s[i + 1] == '>') {
                toks_.push_back({Tok::Arrow, "->"}), i += 2;
            } else {
                static const char* const kOps[] = {"==", "!=", "<>", "<=", ">=", "=", "#", "<", ">",
                                                   "+",  "-",  "*",  "/",  "%",  "$", "!"};
                bool matched = false;
                for (const char* op : kOps) {
                    std::size_t n = std::strlen(op);
                    if (s.substr(i, n) == op) {
                        toks_.push_back({std::string(op) == "!" ? Tok::Not : Tok::Op, op});
                        i += n;
                        matched = true;
                        break;
                    }
                }
                if (!matched) fail(std::string("carácter inesperado '") + c + "'");
            }
        }
        toks_.push_back({Tok::End, "fin"});
    }

    const Token& peek() const { return toks_[pos_]; }
    Token take() { return toks_[pos_++]; }
    bool isOp(const char* op) const { return peek().kind == Tok::Op && peek().text == op; }
    void expect(Tok k, const char* what) {
        if (peek().kind != k) fail(std::string("se esperaba ") + what);
        ++pos_;
    }

    void needType(const NodeP& n, Type t, const std::string& what) const {
        if (n->type != t) fail(what + " requiere " + typeName(t) + " y recibió " + typeName(n->type));
    }

    NodeP orExpr() {
        NodeP l = andExpr();
        while (peek().kind == Tok::Or) {
            take();
            NodeP r = andExpr();
            needType(l, Type::Logic, ".OR.");
            needType(r, Type::Logic, ".OR.");
            l = std::make_shared<AndOrNode>(false, l, r);
        }
        return l;
    }

    NodeP andExpr() {
        NodeP l = notExpr();
        while (peek().kind == Tok::And) {
            take();
            NodeP r = notExpr();
            needType(l, Type::Logic, ".AND.");
            needType(r, Type::Logic, ".AND.");
            l = std::make_shared<AndOrNode>(true, l, r);
        }
        return l;
    }

    NodeP notExpr() {
        if (peek().kind == Tok::Not) {
            take();
            NodeP a = notExpr();
            needType(a, Type::Logic, ".NOT.");
            return call(Type::Logic, {a}, [](const std::vector<Value>& v) { return Value(!v[0].logic()); });
        }
        return relExpr();
    }

    NodeP relExpr() {
        NodeP l = addExpr();
        if (peek().kind != Tok::Op) return l;
        std::string op = peek().text;
        if (op != "=" && op != "==" && op != "!=" && op != "<>" && op != "#" && op != "<" && op != "<=" &&
            op != ">" && op != ">=" && op != "$")
            return l;
        take();
        NodeP r = addExpr();
        if (l->type != r->type) fail("no se puede comparar " + std::string(typeName(l->type)) + " con " + typeName(r->type));
        const Settings* st = &ctx_.settings();
        if (op == "$") {
            needType(l, Type::Char, "$");
            return call(Type::Logic, {l, r}, [](const std::vector<Value>& v) {
                return Value(v[1].text().find(v[0].text()) != std::string::npos);
            });
        }
        Type t = l->type;
        if (t == Type::Logic && op != "=" && op != "==" && op != "!=" && op != "<>" && op != "#")
            fail("los lógicos solo se comparan por igualdad");
        // cmp: -1, 0, 1 under the text rule in force when evaluated
        std::function<bool(int)> accept;
        if (op == "=" || op == "==") accept = [](int c) { return c == 0; };
        else if (op == "!=" || op == "<>" || op == "#") accept = [](int c) { return c != 0; };
        else if (op == "<") accept = [](int c) { return c < 0; };
        else if (op == "<=") accept = [](int c) { return c <= 0; };
        else if (op == ">") accept = [](int c) { return c > 0; };
        else accept = [](int c) { return c >= 0; };
        bool strict = op == "==";
        return call(Type::Logic, {l, r}, [t, st, accept, strict](const std::vector<Value>& v) {
            int c = 0;
            switch (t) {
                case Type::Char:
                    if (strict) c = v[0].text() == v[1].text() ? 0 : 1;
                    else c = textCompare(v[0].text(), v[1].text(), st->exact);
                    break;
                case Type::Num: c = v[0].num().compare(v[1].num()); break;
                case Type::Date: c = v[0].date() < v[1].date() ? -1 : (v[1].date() < v[0].date() ? 1 : 0); break;
                case Type::Logic: c = v[0].logic() == v[1].logic() ? 0 : 1; break;
            }
            return Value(accept(c));
        });
    }

    NodeP addExpr() {
        NodeP l = mulExpr();
        while (isOp("+") || isOp("-")) {
            bool plus = take().text == "+";
            NodeP r = mulExpr();
            if (l->type == Type::Char && r->type == Type::Char) {
                if (plus) {
                    l = std::make_shared<ConcatNode>(l, r);
                } else {
                    // a - b: trailing blanks of a move to the end of the result
                    l = call(Type::Char, {l, r}, [](const std::vector<Value>& v) {
                        std::string a = v[0].text();
                        std::size_t n = a.size();
                        while (!a.empty() && a.back() == ' ') a.pop_back();
                        a += v[1].text();
                        a.append(n - std::min(n, a.size() - v[1].text().size()), ' ');
                        return Value(a);
                    });
                }
            } else if (l->type == Type::Num && r->type == Type::Num) {
                l = call(Type::Num, {l, r}, [plus](const std::vector<Value>& v) {
                    return Value(plus ? v[0].num() + v[1].num() : v[0].num() - v[1].num());
                });
            } else if (l->type == Type::Date && r->type == Type::Num) {
                l = call(Type::Date, {l, r}, [plus](const std::vector<Value>& v) {
                    int d = static_cast<int>(v[1].num().toInt());
                    return Value(v[0].date().addDays(plus ? d : -d));
                });
            } else if (!plus && l->type == Type::Date && r->type == Type::Date) {
                l = call(Type::Num, {l, r},
                         [](const std::vector<Value>& v) { return Value(v[0].date().daysSince(v[1].date())); });
            } else {
                fail(std::string("no se puede operar ") + typeName(l->type) + (plus ? " + " : " - ") + typeName(r->type));
            }
        }
        return l;
    }

    NodeP mulExpr() {
        NodeP l = unary();
        while (isOp("*") || isOp("/") || isOp("%")) {
            std::string op = take().text;
            NodeP r = unary();
            needType(l, Type::Num, op);
            needType(r, Type::Num, op);
            l = call(Type::Num, {l, r}, [op](const std::vector<Value>& v) {
                const Decimal& a = v[0].num();
                const Decimal& b = v[1].num();
                if (op == "*") return Value(a * b);
                if (op == "/") return Value(a / b);  // division by zero gives 0
                if (b.isZero()) return Value(Decimal());
                Decimal q = Decimal((a / b).toInt());
                return Value(a - q * b);
            });
        }
        return l;
    }

    NodeP unary() {
        if (isOp("-") || isOp("+")) {
            bool neg = take().text == "-";
            NodeP a = unary();
            needType(a, Type::Num, "el signo");
            if (!neg) return a;
            return call(Type::Num, {a}, [](const std::vector<Value>& v) { return Value(-v[0].num()); });
        }
        return primary();
    }

    NodeP primary() {
        Token t = take();
        switch (t.kind) {
            case Tok::Number: {
                auto d = Decimal::parse(t.text);
                if (!d) fail("número inválido " + t.text);
                return std::make_shared<Literal>(Value(*d));
            }
            case Tok::String: return std::make_shared<Literal>(Value(t.text));
            case Tok::True: return std::make_shared<Literal>(Value(true));
            case Tok::False: return std::make_shared<Literal>(Value(false));
            case Tok::LParen: {
                NodeP n = orExpr();
                expect(Tok::RParen, "')'");
                return n;
            }
            case Tok::Ident: {
                if (peek().kind == Tok::LParen) {
                    take();
                    std::vector<NodeP> args;
                    if (peek().kind != Tok::RParen) {
                        for (;;) {
                            args.push_back(orExpr());
                            if (peek().kind != Tok::Comma) break;
                            take();
                        }
                    }
                    expect(Tok::RParen, "')'");
                    return function(upperOf(t.text), args);
                }
                std::string alias;
                std::string name = t.text;
                if (peek().kind == Tok::Arrow) {
                    take();
                    if (peek().kind != Tok::Ident) fail("se esperaba un campo después de ->");
                    alias = name;
                    name = take().text;
                }
                auto b = ctx_.field(alias, name);
                if (!b) fail("el campo " + (alias.empty() ? name : alias + "->" + name) + " no existe");
                return std::make_shared<FieldNode>(*b);
            }
            default: fail("se esperaba un valor y se encontró '" + t.text + "'");
        }
    }

    NodeP call(Type t, std::vector<NodeP> args, Fn fn) {
        // Operations on constants only (SPACE(11), a literal date) are worked out once here.
        bool constant = !args.empty();
        for (const NodeP& a : args) constant = constant && std::dynamic_pointer_cast<const Literal>(a) != nullptr;
        auto node = std::make_shared<CallNode>(t, std::move(args), std::move(fn));
        if (constant) return std::make_shared<Literal>(node->eval());
        return node;
    }

    int constInt(const NodeP& n, const std::string& fn) {
        auto lit = std::dynamic_pointer_cast<const Literal>(n);
        if (!lit || lit->type != Type::Num) fail(fn + " requiere un ancho numérico constante");
        return static_cast<int>(lit->eval().num().toInt());
    }

    void arity(const std::string& fn, const std::vector<NodeP>& a, std::size_t lo, std::size_t hi) {
        if (a.size() < lo || a.size() > hi) fail("número de argumentos incorrecto para " + fn + "()");
    }

    NodeP function(const std::string& fn, std::vector<NodeP>& a) {
        const Settings* st = &ctx_.settings();
        std::shared_ptr<const RecordView> view = ctx_.defaultView();
        auto textArg = [&](std::size_t i) { needType(a[i], Type::Char, fn + "()"); };
        auto numArg = [&](std::size_t i) { needType(a[i], Type::Num, fn + "()"); };
        auto dateArg = [&](std::size_t i) { needType(a[i], Type::Date, fn + "()"); };
        auto count = [](const std::vector<Value>& v, std::size_t i) {
            long long n = v[i].num().toInt();
            return n < 0 ? std::size_t(0) : static_cast<std::size_t>(n);
        };
        if (fn == "STR") {
            arity(fn, a, 1, 3);
            numArg(0);
            int w = 10, d = 0;
            if (a.size() == 1) {
                if (auto f = std::dynamic_pointer_cast<const FieldNode>(a[0])) {
                    w = f->info().length;
                    d = f->info().decimals;
                }
            }
            if (a.size() >= 2) w = constInt(a[1], fn);
            if (a.size() == 3) d = constInt(a[2], fn);
            return std::make_shared<StrNode>(a[0], w, d);
        }
        if (fn == "DTOS") {
            arity(fn, a, 1, 1);
            dateArg(0);
            return call(Type::Char, a, [](const std::vector<Value>& v) { return Value(v[0].date().dtos()); });
        }
        if (fn == "DTOC") {
            arity(fn, a, 1, 1);
            dateArg(0);
            return call(Type::Char, a, [](const std::vector<Value>& v) { return Value(v[0].date().toText()); });
        }
        if (fn == "CTOD") {
            arity(fn, a, 1, 1);
            textArg(0);
            return call(Type::Date, a,
                        [st](const std::vector<Value>& v) { return Value(Date::fromText(v[0].text(), st->epoch)); });
        }
        if (fn == "UPPER") {
            arity(fn, a, 1, 1);
            textArg(0);
            return std::make_shared<UpperNode>(a[0]);
        }
        if (fn == "LOWER") {
            arity(fn, a, 1, 1);
            textArg(0);
            return call(Type::Char, a, [](const std::vector<Value>& v) {
                std::string s = v[0].text();
                for (char& c : s)
                    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
                return Value(s);
            });
        }
        if (fn == "SPACE") {
            arity(fn, a, 1, 1);
            numArg(0);
            return call(Type::Char, a, [count](const std::vector<Value>& v) { return Value(std::string(count(v, 0), ' ')); });
        }
        if (fn == "REPLICATE") {
            arity(fn, a, 2, 2);
            textArg(0);
            numArg(1);
            return call(Type::Char, a, [count](const std::vector<Value>& v) {
                std::string s;
                for (std::size_t i = 0; i < count(v, 1); ++i) s += v[0].text();
                return Value(s);
            });
        }
        if (fn == "SUBSTR") {
            arity(fn, a, 2, 3);
            textArg(0);
            numArg(1);
            if (a.size() == 3) numArg(2);
            return call(Type::Char, a, [count](const std::vector<Value>& v) {
                const std::string& s = v[0].text();
                std::size_t start = count(v, 1);
                if (start == 0) start = 1;
                if (start > s.size()) return Value(std::string());
                std::size_t len = v.size() == 3 ? count(v, 2) : std::string::npos;
                return Value(s.substr(start - 1, len));
            });
        }
        if (fn == "LEFT" || fn == "RIGHT") {
            arity(fn, a, 2, 2);
            textArg(0);
            numArg(1);
            bool left = fn == "LEFT";
            return call(Type::Char, a, [left, count](const std::vector<Value>& v) {
                const std::string& s = v[0].text();
                std::size_t n = std::min(count(v, 1), s.size());
                return Value(left ? s.substr(0, n) : s.substr(s.size() - n));
            });
        }
        if (fn == "TRIM" || fn == "RTRIM" || fn == "LTRIM" || fn == "ALLTRIM") {
            arity(fn, a, 1, 1);
            textArg(0);
            bool l = fn == "LTRIM" || fn == "ALLTRIM", r = fn != "LTRIM";
            return call(Type::Char, a, [l, r](const std::vector<Value>& v) {
                std::string_view s = v[0].text();
                while (r && !s.empty() && s.back() == ' ') s.remove_suffix(1);
                while (l && !s.empty() && s.front() == ' ') s.remove_prefix(1);
                return Value(s);
            });
        }
        if (fn == "PADR" || fn == "PADL") {
            arity(fn, a, 2, 2);
            textArg(0);
            numArg(1);
            bool right = fn == "PADR";
            return call(Type::Char, a, [right, count](const std::vector<Value>& v) {
                std::string s = v[0].text();
                std::size_t n = count(v, 1);
                if (s.size() >= n) return Value(right ? s.substr(0, n) : s.substr(s.size() - n));
                return Value(right ? s + std::string(n - s.size(), ' ') : std::string(n - s.size(), ' ') + s);
            });
        }
        if (fn == "LEN") {
            arity(fn, a, 1, 1);
            textArg(0);
            return call(Type::Num, a, [](const std::vector<Value>& v) { return Value(static_cast<long long>(v[0].text().size())); });
        }
        if (fn == "VAL") {
            arity(fn, a, 1, 1);
            textArg(0);
            return call(Type::Num, a, [](const std::vector<Value>& v) {
                std::string_view s = v[0].text();
                std::size_t i = 0;
                while (i < s.size() && s[i] == ' ') ++i;
                std::size_t e = i;
                if (e < s.size() && (s[e] == '-' || s[e] == '+')) ++e;
                while (e < s.size() && (std::isdigit(static_cast<unsigned char>(s[e])) || s[e] == '.')) ++e;
                return Value(Decimal::parse(s.substr(i, e - i)).value_or(Decimal()));
            });
        }
        if (fn == "EMPTY") {
            arity(fn, a, 1, 1);
            return call(Type::Logic, a, [](const std::vector<Value>& v) {
                const Value& x = v[0];
                switch (x.type()) {
                    case Type::Char: return Value(x.text().find_first_not_of(" \t\r\n") == std::string::npos);
                    case Type::Num: return Value(x.num().isZero());
                    case Type::Date: return Value(x.date().isEmpty());
                    case Type::Logic: return Value(!x.logic());
                }
                return Value(true);
            });
        }
        if (fn == "IIF" || fn == "IF") {
            arity(fn, a, 3, 3);
            needType(a[0], Type::Logic, fn + "()");
            if (a[1]->type != a[2]->type) fail(fn + "() requiere dos alternativas del mismo tipo");
            return call(a[1]->type, a, [](const std::vector<Value>& v) { return v[0].logic() ? v[1] : v[2]; });
        }
        if (fn == "ABS" || fn == "INT") {
            arity(fn, a, 1, 1);
            numArg(0);
            bool isAbs = fn == "ABS";
            return call(Type::Num, a, [isAbs](const std::vector<Value>& v) {
                return Value(isAbs ? v[0].num().abs() : Decimal(v[0].num().toInt()));
            });
        }
        if (fn == "ROUND") {
            arity(fn, a, 2, 2);
            numArg(0);
            numArg(1);
            return call(Type::Num, a, [](const std::vector<Value>& v) {
                return Value(v[0].num().rounded(static_cast<int>(v[1].num().toInt())));
            });
        }
        if (fn == "YEAR" || fn == "MONTH" || fn == "DAY") {
            arity(fn, a, 1, 1);
            dateArg(0);
            char which = fn[0];
            return call(Type::Num, a, [which](const std::vector<Value>& v) {
                const Date& d = v[0].date();
                return Value(which == 'Y' ? d.year() : which == 'M' ? d.month() : d.day());
            });
        }
        if (fn == "DATE") {
            arity(fn, a, 0, 0);
            return call(Type::Date, a, [st](const std::vector<Value>&) {
                return Value(st->today ? st->today() : systemToday());
            });
        }
        if (fn == "DELETED") {
            arity(fn, a, 0, 0);
            return call(Type::Logic, a, [view](const std::vector<Value>&) {
                return Value(view && view->data && view->data[0] == '*');
            });
        }
        if (fn == "RECNO") {
            arity(fn, a, 0, 0);
            return call(Type::Num, a, [view](const std::vector<Value>&) {
                return Value(static_cast<long long>(view ? view->recno : 0));
            });
        }
        fail("función desconocida " + fn + "()");
    }

    std::string_view src_;
    const ExprContext& ctx_;
    std::vector<Token> toks_;
    std::size_t pos_ = 0;
};

}  // namespace

Expr Expr::compile(std::string_view text, const ExprContext& ctx) {
    std::string_view t = text;
    while (!t.empty() && std::isspace(static_cast<unsigned char>(t.front()))) t.remove_prefix(1);
    if (t.empty())
        throw StoreError(ErrorKind::Expression, "Expresión vacía en " + ctx.where());
    Expr e;
    e.text_ = std::string(text);
    Parser p(text, ctx);
    e.root_ = p.parse();
    return e;
}

Type Expr::type() const { return root_->type; }
Value Expr::eval() const { return root_->eval(); }

bool Expr::test() const {
    if (root_->type != Type::Logic)
        throw StoreError(ErrorKind::Expression, "La condición '" + text_ + "' no es lógica");
    return root_->eval().logic();
}

void Expr::appendKey(std::string& out) const { root_->appendKey(out); }

int Expr::keyDecimals() const { return root_->type == Type::Num ? root_->keyDecimals : 0; }

}  // namespace store

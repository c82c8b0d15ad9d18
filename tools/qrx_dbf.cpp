// qrx-dbf: looks after the tables and index files of a company folder from the
// command line: shows structures, dumps and imports CSV, creates tables, builds
// and checks indexes and packs tables.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <sys/stat.h>

#include "store/error.h"
#include "store/store.h"
#include "tools/cells.h"
#include "tools/csv.h"

namespace {

using store::Field;
using store::StoreError;
using store::WorkArea;

constexpr int kOk = 0;
constexpr int kDiffers = 1;  // check: the index does not agree with its table
constexpr int kFailed = 2;

const char* const kUsage = R"(Uso: qrx-dbf SUBCOMANDO [ARGUMENTOS]

Examina y mantiene las tablas dBASE (.dbf) y los índices (.ntx) de una carpeta
de empresa. Las extensiones .dbf y .ntx pueden omitirse; los nombres de archivo
se buscan sin distinguir mayúsculas de minúsculas.

  struct TABLA
      Muestra los campos (nombre, tipo, ancho, decimales), uno por línea, el
      número de registros y el largo de registro.

  dump TABLA [--index ARCHIVO.ntx] [--for EXPR]
      Escribe los registros como CSV, con una fila de encabezados, en el orden
      natural o en el del índice; con --for, solo los que cumplen la condición.
      La primera columna, _deleted, lleva * en los registros marcados como
      borrados (se incluyen todos). Textos sin los blancos finales y sin
      conversión de página de códigos; números con los decimales del campo;
      fechas AAAAMMDD (vacías si no hay fecha); lógicos T o F.

  create TABLA CAMPO... [--force]
      Crea una tabla vacía. Cada CAMPO es NOMBRE:TIPO[:ANCHO[:DECIMALES]], por
      ejemplo CUENTA:C:10 DEBE:N:17:2 FECHA:D OK:L (D mide 8 y L mide 1; C y N
      requieren el ancho; los decimales de N son 0 si se omiten). No reemplaza
      una tabla existente salvo con --force.

  import TABLA ARCHIVO.csv [--index ARCHIVO.ntx]...
      Agrega las filas de un CSV cuya primera fila nombra los campos (sin
      distinguir mayúsculas; una columna _deleted con * marca la fila como
      borrada). Los campos sin columna o con valor vacío quedan en blanco.
      Textos tal cual (un texto más largo que el campo es un error); números
      exactos que quepan en el campo; fechas AAAAMMDD o dd/mm/aaaa; lógicos T,
      F, Y o N. Ante la primera fila inválida se detiene indicando la línea y
      el campo; las filas anteriores quedan agregadas. Los índices nombrados
      con --index se mantienen; los demás quedan desactualizados. Con "-" como
      ARCHIVO lee la entrada estándar.

  index TABLA ARCHIVO.ntx CLAVE [--for EXPR]
      Genera el índice con la expresión CLAVE y la condición FOR opcional.

  check TABLA ARCHIVO.ntx
      Verifica el índice contra la tabla; si coinciden muestra "ok: N claves".

  pack TABLA [--index ARCHIVO.ntx]...
      Elimina físicamente los registros borrados y regenera los índices
      nombrados; los demás quedan desactualizados.

  help, --help
      Muestra este texto.

create, import, index y pack abren la tabla en forma exclusiva; struct, dump y
check la abren compartida. Si otro programa la tiene abierta de un modo que lo
impide, termina con error.

Código de salida: 0 si todo salió bien; 1 si check encuentra el índice dañado
o distinto de la tabla; 2 ante cualquier otro error, con un mensaje de una
línea en la salida de errores.
)";

// A failure of the tool itself: bad arguments, bad input, a table in use.
class ToolError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The check found the index unlike its table.
class Differs : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// ---------------------------------------------------------------- arguments

struct OptionSpec {
    std::string_view name;  // without the leading dashes
    bool takesValue;
    bool repeatable;
};

struct Args {
    std::vector<std::string> positional;
    std::map<std::string, std::vector<std::string>, std::less<>> options;

    bool has(std::string_view name) const { return options.count(name) > 0; }
    std::optional<std::string> value(std::string_view name) const {
        auto it = options.find(name);
        if (it == options.end() || it->second.empty()) return std::nullopt;
        return it->second.front();
    }
    std::vector<std::string> values(std::string_view name) const {
        auto it = options.find(name);
        return it == options.end() ? std::vector<std::string>() : it->second;
    }
};

Args parseArgs(const std::vector<std::string>& in, const std::vector<OptionSpec>& specs, std::size_t minPositional,
               std::size_t maxPositional, const char* what) {
    Args a;
    bool optionsEnd = false;
    for (std::size_t i = 0; i < in.size(); ++i) {
        const std::string& s = in[i];
        if (optionsEnd || s.size() < 3 || s.compare(0, 2, "--") != 0) {
            if (s == "--" && !optionsEnd) {
                optionsEnd = true;
                continue;
            }
            a.positional.push_back(s);
            continue;
        }
        std::string name = s.substr(2);
        std::optional<std::string> inlineValue;
        if (std::size_t eq = name.find('='); eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
        }
        const OptionSpec* spec = nullptr;
        for (const OptionSpec& o : specs)
            if (o.name == name) spec = &o;
        if (!spec) throw ToolError("opción desconocida " + s);
        if (a.has(name) && !spec->repeatable) throw ToolError("la opción --" + name + " se dio más de una vez");
        std::vector<std::string>& vals = a.options[name];
        if (!spec->takesValue) {
            if (inlineValue) throw ToolError("la opción --" + name + " no lleva valor");
            continue;
        }
        if (inlineValue) {
            vals.push_back(*inlineValue);
        } else {
            if (i + 1 >= in.size()) throw ToolError("falta el valor de la opción --" + name);
            vals.push_back(in[++i]);
        }
        if (vals.back().empty()) throw ToolError("la opción --" + name + " tiene un valor vacío");
    }
    if (a.positional.size() < minPositional) throw ToolError(std::string("faltan argumentos: se espera ") + what);
    if (a.positional.size() > maxPositional)
        throw ToolError("sobra el argumento '" + a.positional[maxPositional] + "': se espera " + what);
    return a;
}

// ---------------------------------------------------------------- helpers

WorkArea& openTable(store::Store& s, const std::string& path, bool exclusive) {
    WorkArea* a = s.use(path, {}, !exclusive, true, /*readOnly=*/!exclusive);  // reading needs no write permission
    if (!a) {
        std::string why = s.netErrMessage();
        throw ToolError(why.empty() ? "la tabla " + path + " está en uso por otro programa" : why);
    }
    return *a;
}

// Attaches the indexes named on the command line. One file named twice would be
// attached as two orders, and every change would then enter it twice.
void attachIndexes(WorkArea& a, const std::vector<std::string>& names) {
    std::set<std::pair<dev_t, ino_t>> files;
    for (const std::string& name : names) {
        std::string file = store::Store::resolve(name, ".ntx");
        struct stat st;
        if (::stat(file.c_str(), &st) == 0 && !files.insert({st.st_dev, st.st_ino}).second)
            throw ToolError("el índice " + file + " se nombró más de una vez");
        a.attachIndex(file);
    }
}

bool fileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

std::string rows(long n) { return n == 1 ? "1 fila" : std::to_string(n) + " filas"; }

// Keys in the controlling order (every entry: deleted records are not hidden).
long countInOrder(WorkArea& a) {
    long n = 0;
    a.forEach([&] { ++n; });
    return n;
}

// Writes to standard output in large blocks.
class Output {
public:
    ~Output() { flushQuietly(); }
    std::string& buffer() { return buf_; }
    void maybeFlush() {
        if (buf_.size() >= 1 << 16) flush();
    }
    void flush() {
        if (!buf_.empty() && std::fwrite(buf_.data(), 1, buf_.size(), stdout) != buf_.size())
            throw ToolError(std::string("no se pudo escribir la salida: ") + std::strerror(errno));
        buf_.clear();
        if (std::fflush(stdout) != 0)
            throw ToolError(std::string("no se pudo escribir la salida: ") + std::strerror(errno));
    }

private:
    void flushQuietly() {
        if (!buf_.empty()) std::fwrite(buf_.data(), 1, buf_.size(), stdout);
        buf_.clear();
    }
    std::string buf_;
};

// ---------------------------------------------------------------- struct

int cmdStruct(const std::vector<std::string>& argv) {
    Args args = parseArgs(argv, {}, 1, 1, "struct TABLA");
    store::Store s;
    WorkArea& a = openTable(s, args.positional[0], false);
    std::size_t length = 1;  // the deletion flag
    Output out;
    char line[96];
    for (const store::FieldInfo& f : a.fields()) {
        std::snprintf(line, sizeof line, "%-10s %c %5u %2u\n", f.name.c_str(), static_cast<char>(f.type),
                      static_cast<unsigned>(f.length), static_cast<unsigned>(f.decimals));
        out.buffer() += line;
        length += f.length;
    }
    out.buffer() += "registros: " + std::to_string(a.recCount()) + "\n";
    out.buffer() += "largo de registro: " + std::to_string(length) + "\n";
    out.flush();
    return kOk;
}

// ---------------------------------------------------------------- dump

int cmdDump(const std::vector<std::string>& argv) {
    Args args = parseArgs(argv, {{"index", true, false}, {"for", true, false}}, 1, 1,
                          "dump TABLA [--index ARCHIVO.ntx] [--for EXPR]");
    store::Store s;
    s.settings().deletedHidden = false;
    WorkArea& a = openTable(s, args.positional[0], false);
    if (auto ix = args.value("index")) a.attachIndex(*ix);
    store::Expr condition;
    if (auto cond = args.value("for")) {
        condition = a.compile(*cond);
        if (condition.type() != store::Type::Logic) throw ToolError("la condición '" + *cond + "' no es lógica");
    }

    const std::vector<store::FieldInfo>& fields = a.fields();
    std::vector<std::string> cells(fields.size() + 1);
    Output out;
    cells[0] = "_deleted";
    for (std::size_t i = 0; i < fields.size(); ++i) cells[i + 1] = fields[i].name;
    tools::csv::appendRecord(out.buffer(), cells);

    std::function<bool()> test;
    if (condition.valid()) test = [&] { return condition.test(); };
    // An index whose pages are out of order can lead a walk back to a record it
    // has already given; each record is listed once at most.
    std::vector<bool> listed;
    std::optional<std::string> indexFile = args.value("index");
    if (indexFile) *indexFile = store::Store::resolve(*indexFile, ".ntx");
    a.forEach(
        [&] {
            if (indexFile) {
                std::uint32_t r = a.recno();
                if (r >= listed.size()) listed.resize(r + 1 + r / 2);
                if (listed[r])
                    throw ToolError("el índice " + *indexFile + " está dañado: vuelve al registro " +
                                    std::to_string(r) + "; vuelva a generar los índices");
                listed[r] = true;
            }
            cells[0] = a.deleted() ? "*" : "";
            for (std::size_t i = 0; i < fields.size(); ++i)
                cells[i + 1] = tools::cells::format(a, Field{static_cast<int>(i)});
            tools::csv::appendRecord(out.buffer(), cells);
            out.maybeFlush();
        },
        test);
    out.flush();
    return kOk;
}

// ---------------------------------------------------------------- create

int parseWidth(std::string_view text, const std::string& spec) {
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string_view::npos)
        throw ToolError("campo '" + spec + "': '" + std::string(text) + "' no es un número entero");
    return std::stoi(std::string(text));
}

store::FieldDef parseFieldSpec(const std::string& spec) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (;;) {
        std::size_t colon = spec.find(':', from);
        parts.push_back(spec.substr(from, colon - from));
        if (colon == std::string::npos) break;
        from = colon + 1;
    }
    if (parts.size() < 2 || parts.size() > 4)
        throw ToolError("campo '" + spec + "': se espera NOMBRE:TIPO[:ANCHO[:DECIMALES]]");
    store::FieldDef f;
    f.name = parts[0];
    if (parts[1].size() != 1) throw ToolError("campo '" + spec + "': tipo desconocido '" + parts[1] + "'");
    switch (parts[1][0]) {
        case 'C': case 'c': f.type = store::Type::Char; break;
        case 'N': case 'n': f.type = store::Type::Num; break;
        case 'D': case 'd': f.type = store::Type::Date; f.length = 8; break;
        case 'L': case 'l': f.type = store::Type::Logic; f.length = 1; break;
        default: throw ToolError("campo '" + spec + "': tipo desconocido '" + parts[1] + "' (se espera C, N, D o L)");
    }
    bool needsWidth = f.type == store::Type::Char || f.type == store::Type::Num;
    if (parts.size() >= 3) f.length = parseWidth(parts[2], spec);
    else if (needsWidth) throw ToolError("campo '" + spec + "': falta el ancho");
    if (parts.size() == 4) {
        if (f.type != store::Type::Num) throw ToolError("campo '" + spec + "': solo los campos N llevan decimales");
        f.decimals = parseWidth(parts[3], spec);
    }
    return f;
}

int cmdCreate(const std::vector<std::string>& argv) {
    Args args = parseArgs(argv, {{"force", false, false}}, 2, static_cast<std::size_t>(-1),
                          "create TABLA CAMPO... [--force]");
    std::vector<store::FieldDef> defs;
    for (std::size_t i = 1; i < args.positional.size(); ++i) defs.push_back(parseFieldSpec(args.positional[i]));
    std::string file = store::Store::resolve(args.positional[0], ".dbf");
    if (fileExists(file) && !args.has("force"))
        throw ToolError("la tabla " + file + " ya existe; use --force para reemplazarla");
    store::Store::createTable(file, defs);
    std::cout << "tabla " << file << " creada con " << defs.size() << (defs.size() == 1 ? " campo\n" : " campos\n");
    return kOk;
}

// ---------------------------------------------------------------- import

// A row the table cannot take.
struct BadRow {
    long line;
    std::string field;  // empty when the fault is not in one field
    std::string why;
};

int cmdImport(const std::vector<std::string>& argv) {
    Args args = parseArgs(argv, {{"index", true, true}}, 2, 2, "import TABLA ARCHIVO.csv [--index ARCHIVO.ntx]...");
    const std::string& csvPath = args.positional[1];
    store::Store s;
    WorkArea& a = openTable(s, args.positional[0], true);
    attachIndexes(a, args.values("index"));

    std::ifstream file;
    std::istream* in = &std::cin;
    if (csvPath != "-") {
        file.open(csvPath, std::ios::binary);
        if (!file) {
            if (errno == ENOENT) throw ToolError("no existe el archivo " + csvPath);
            throw ToolError("no se pudo abrir " + csvPath + ": " + std::strerror(errno));
        }
        in = &file;
    }
    tools::csv::Reader reader(*in);
    tools::csv::Record rec;

    // The header names the fields; -1 stands for the deletion mark column.
    constexpr int kDeletedColumn = -1;
    std::vector<int> target;
    try {
        if (!reader.next(rec)) throw ToolError("el archivo " + csvPath + " está vacío: falta la fila de encabezados");
    } catch (const tools::csv::CsvError& e) {
        throw ToolError(csvPath + ", línea " + std::to_string(e.line()) + ": " + e.what());
    }
    std::vector<std::string> unknown;
    std::set<int> seen;
    for (const std::string& raw : rec.cells) {
        std::string name = raw;
        while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
        std::size_t lead = name.find_first_not_of(" \t");
        name.erase(0, lead == std::string::npos ? name.size() : lead);
        int column;
        std::string lowered = name;
        for (char& c : lowered)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if (lowered == "_deleted") {
            column = kDeletedColumn;
        } else if (auto f = a.findField(name)) {
            column = f->index;
        } else {
            unknown.push_back(name.empty() ? "(vacía)" : name);
            continue;
        }
        if (!seen.insert(column).second)
            throw ToolError("la columna " + (column == kDeletedColumn ? lowered : a.info(Field{column}).name) +
                            " se repite en " + csvPath);
        target.push_back(column);
    }
    if (!unknown.empty()) {
        std::string list;
        for (const std::string& u : unknown) list += (list.empty() ? "" : ", ") + u;
        throw ToolError((unknown.size() == 1 ? "columna desconocida en " : "columnas desconocidas en ") + csvPath +
                        ": " + list + " (la tabla " + a.path() + " no tiene esos campos)");
    }

    long appended = 0;
    std::vector<std::optional<store::Value>> values(target.size());
    auto failure = [&](const BadRow& bad) {
        a.commit();
        std::string where = csvPath + ", línea " + std::to_string(bad.line);
        if (!bad.field.empty()) where += ", campo " + bad.field;
        std::string kept = appended == 0   ? "; no se agregó ninguna fila"
                           : appended == 1 ? "; se agregó 1 fila antes de esa línea y queda en " + a.path()
                                           : "; se agregaron " + rows(appended) +
                                                 " antes de esa línea y quedan en " + a.path();
        return ToolError(where + ": " + bad.why + kept);
    };
    for (;;) {
        try {
            if (!reader.next(rec)) break;
        } catch (const tools::csv::CsvError& e) {
            throw failure({e.line(), "", e.what()});
        }
        if (rec.cells.size() != target.size())
            throw failure({rec.line, "",
                           "la fila tiene " + std::to_string(rec.cells.size()) + " columnas y el encabezado " +
                               std::to_string(target.size())});
        bool deleted = false;
        for (std::size_t c = 0; c < target.size(); ++c) {
            const std::string& cell = rec.cells[c];
            if (target[c] == kDeletedColumn) {
                std::size_t b = cell.find_first_not_of(' ');
                std::string mark = b == std::string::npos ? std::string() : cell.substr(b, cell.find_last_not_of(' ') - b + 1);
                if (mark != "*" && !mark.empty())
                    throw failure({rec.line, "_deleted", "marca de borrado inválida '" + cell + "' (se espera * o vacío)"});
                deleted = mark == "*";
                continue;
            }
            const store::FieldInfo& info = a.info(Field{target[c]});
            try {
                values[c] = tools::cells::parse(info, cell);
            } catch (const tools::cells::CellError& e) {
                throw failure({rec.line, info.name, e.what()});
            }
        }
        try {
            if (!a.appendBlank()) throw ToolError("la tabla " + a.path() + " está siendo actualizada por otro programa");
            for (std::size_t c = 0; c < target.size(); ++c)
                if (target[c] != kDeletedColumn && values[c]) a.put(Field{target[c]}, *values[c]);
            if (deleted) a.markDeleted();
        } catch (const StoreError& e) {
            throw failure({rec.line, "", e.what()});
        }
        ++appended;
    }
    a.commit();
    std::cout << "se agregaron " << rows(appended) << " a " << a.path() << "\n";
    return kOk;
}

// ---------------------------------------------------------------- index

int cmdIndex(const std::vector<std::string>& argv) {
    Args args = parseArgs(argv, {{"for", true, false}}, 3, 3, "index TABLA ARCHIVO.ntx CLAVE [--for EXPR]");
    store::Store s;
    s.settings().deletedHidden = false;
    WorkArea& a = openTable(s, args.positional[0], true);
    std::string file = store::Store::resolve(args.positional[1], ".ntx");
    a.createIndex(file, args.positional[2], args.value("for").value_or(std::string()));
    long n = countInOrder(a);
    std::cout << "índice " << file << " creado: " << n << (n == 1 ? " clave\n" : " claves\n");
    return kOk;
}

// ---------------------------------------------------------------- check

int cmdCheck(const std::vector<std::string>& argv) {
    Args args = parseArgs(argv, {}, 2, 2, "check TABLA ARCHIVO.ntx");
    store::Store s;
    s.settings().deletedHidden = false;
    WorkArea& a = openTable(s, args.positional[0], false);
    std::string file = store::Store::resolve(args.positional[1], ".ntx");
    std::string difference;
    try {
        a.attachIndex(file);
        difference = a.checkOrder(1);
    } catch (const StoreError& e) {
        if (e.kind() != store::ErrorKind::Damaged) throw;
        throw Differs(e.what());
    }
    if (!difference.empty())
        throw Differs("el índice " + file + " no coincide con la tabla " + a.path() + ": " + difference);
    long n = countInOrder(a);
    std::cout << "ok: " << n << (n == 1 ? " clave\n" : " claves\n");
    return kOk;
}

// ---------------------------------------------------------------- pack

int cmdPack(const std::vector<std::string>& argv) {
    Args args = parseArgs(argv, {{"index", true, true}}, 1, 1, "pack TABLA [--index ARCHIVO.ntx]...");
    store::Store s;
    WorkArea& a = openTable(s, args.positional[0], true);
    std::vector<std::string> indexes = args.values("index");
    attachIndexes(a, indexes);
    std::uint32_t before = a.recCount();
    a.pack();
    a.commit();
    std::uint32_t after = a.recCount();
    std::uint32_t removed = before - after;
    std::cout << (removed == 1 ? "se eliminó 1 registro" : "se eliminaron " + std::to_string(removed) + " registros")
              << " de " << a.path() << "; quedan " << after;
    if (!indexes.empty()) std::cout << "; índices regenerados: " << indexes.size();
    std::cout << "\n";
    return kOk;
}

// ---------------------------------------------------------------- main

// Messages go out on one line whatever bytes a key or a path holds.
std::string oneLine(std::string s) {
    for (char& c : s)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    return s;
}

int run(int argc, char** argv) {
    if (argc < 2) throw ToolError("falta el subcomando; use qrx-dbf --help");
    std::string cmd = argv[1];
    std::vector<std::string> rest(argv + 2, argv + argc);
    if (cmd == "--help" || cmd == "-h" || cmd == "help") {
        std::cout << kUsage;
        return kOk;
    }
    static const std::map<std::string, int (*)(const std::vector<std::string>&)> commands = {
        {"struct", cmdStruct}, {"dump", cmdDump},   {"create", cmdCreate}, {"import", cmdImport},
        {"index", cmdIndex},   {"check", cmdCheck}, {"pack", cmdPack},
    };
    auto it = commands.find(cmd);
    if (it == commands.end()) throw ToolError("subcomando desconocido '" + cmd + "'; use qrx-dbf --help");
    return it->second(rest);
}

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    std::string where = argc >= 2 ? std::string("qrx-dbf ") + argv[1] : std::string("qrx-dbf");
    int code = kFailed;
    std::string message;
    try {
        code = run(argc, argv);
    } catch (const Differs& e) {
        code = kDiffers;
        message = e.what();
    } catch (const StoreError& e) {
        message = e.what();
    } catch (const ToolError& e) {
        message = e.what();
    } catch (const std::exception& e) {
        message = std::string("error inesperado: ") + e.what();
    } catch (...) {
        message = "error inesperado";
    }
    std::cout.flush();
    if (!message.empty()) std::cerr << oneLine(where + ": " + message) << std::endl;
    return code;
}

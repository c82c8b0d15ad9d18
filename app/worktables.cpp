// The work tables: the scratch tables of the reports and processes, all in the
// work folder, recreated empty at every company selection.
//
// Each layout is written as one text, field after field, separated by ", ":
//   name T width            a field (T is C, N, D or L)
//   name T width,decimals   a number with decimals
//   a b c N 17,2            several fields of the same type and size
//   neto1..neto9 N 17,2     a run of names with consecutive numbers
// so that every table reads as its field list does.

#include <cctype>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "app/company.h"
#include "platform/paths.h"
#include "store/error.h"
#include "store/store.h"

namespace app {
namespace {

namespace fs = std::filesystem;

struct WorkTable {
    const char* name;
    std::string fields;
};

// The fields of tmpldg, which tmpadp begins with.
const char* const kLdg =
    "vou N 4, cuenta C 10, debe N 17,2, haber N 17,2, glosa C 30, t C 2, fecha D 8, mesv C 2, saldo N 17,2, "
    "serie C 10, numero C 20, doc C 2, fechad D 8, fechav D 8, rut C 11, rs C 40, tc N 10,5, moneda C 1";

// The layout of tmplc and tmplv.
const char* const kLcLv =
    "corr N 6, glosa C 30, vou N 4, t C 2, tl C 1, serie C 10, numero C 20, doc C 2, nomdoc C 20, tdoc C 1, "
    "rfecha D 8, rtdoc C 2, rnumero C 20, rserie C 20, fechad D 8, rut C 11, tc N 10,3, moneda C 1, rs C 40, "
    "iva1 N 17,2, neto1..neto9 N 17,2, total N 17,2, snumero C 20, sfecha D 8, fechav D 8";

const std::vector<WorkTable>& workTables() {
    static const std::vector<WorkTable> tables = {
        {"tmpsbco",
         "empresa C 20, montos N 17,2, monto N 17,2, montod N 17,2, cuenta C 10, nombre C 30, origen C 2, "
         "moneda C 1, bctacte C 20, bancoef C 2, bancomo C 1"},
        {"tmplr",
         "corr N 4, glosa C 30, vou N 4, t C 2, tl C 1, serie C 10, numero C 20, doc C 2, fechad D 8, fechav D 8, "
         "rut C 11, tc N 10,5, moneda C 1, rs C 40, neto1 N 17,2, neto2 N 17,2, ih N 17,2, it N 17,2, "
         "total N 17,2"},
        {"tmplc", kLcLv},
        {"tmplv", kLcLv},
        {"tmpbc",
         "cuenta C 10, nombre C 40, bd C 1, monto N 17,2, saldoa N 17,2, movd N 17,2, movh N 17,2, estado C 1"},
        {"tmpbg2",
         "cuenta C 10, nombre C 40, monto N 17,2, cuenta2 C 10, nombre2 C 40, monto2 N 17,2, cta22 C 4, "
         "cta2 C 4, sbs C 6, sbs2 C 6"},
        {"tmpbg", "cuenta C 10, nombre C 40, monto N 17,2, cta2 C 4, cta3 C 100, sbs C 6"},
        {"tmpbt",
         "cuenta C 10, nombre C 30, debito credito deudor acreedor activo pasivo perdida ganancia perfun ganfun "
         "N 17,2, origen C 2, rnf C 1"},
        {"tmpcb",
         "vou N 4, debe N 17,2, haber N 17,2, glosa C 30, t C 2, fecha D 8, mesv C 2, mesc C 2, saldo N 17,2, "
         "serie C 10, numero C 20, doc C 2, rut C 11, rs C 40, fechav D 8, moneda C 1, ecar C 1, tipo C 1"},
        {"tmpldr",
         "cuenta C 10, debe N 17,2, haber N 17,2, nombre C 30, t C 2, origen C 20, mesv C 2"},
        {"tmpcon",
         "vou N 4, debe N 17,2, haber N 17,2, glosa C 30, t C 2, mesv C 2, debed N 17,2, haberd N 17,2"},
        {"tmpldo",
         "vou N 4, t C 2, cuenta C 10, nombre C 30, debe N 17,2, haber N 17,2, glosa C 30, fecha D 8, mesv C 2, "
         "serie C 10, numero C 20, doc C 2, fechad D 8, fechav D 8, rut C 11, rs C 40, tc N 10,5, moneda C 1, "
         "fe C 4, rfecha D 8, rtdoc C 2, rnumero C 20"},
        {"tmplmg",
         "cuenta C 10, cuenta2 C 10, debe N 17,2, haber N 17,2, glosa C 30, t C 2, mesv C 2, nombre C 30, "
         "origen C 15"},
        {"tmplma",
         "vou N 4, cuenta C 10, debe N 17,2, haber N 17,2, glosa C 30, t C 2, fecha D 8, mesv C 2, "
         "msaldo N 17,2, saldo N 17,2, serie C 10, numero C 20, doc C 2, tdoc C 1, fechad D 8, rut C 11, "
         "rs C 40, tc N 10,5, fechav D 8, moneda C 1, mesc C 2, fe C 4, ecar C 1, mpago C 3, nombre C 30, "
         "bancoef C 3, bctacte C 30, neto N 17,2, neto2 N 17,2, neto3 N 15,2, debeD N 17,2, haberD N 17,2, "
         "msaldoD N 17,2, saldoD N 17,2"},
        {"tmplcb",
         "vou N 4, cuenta C 10, debe N 17,2, haber N 17,2, glosa C 30, t C 2, fecha D 8, saldo N 17,2, "
         "serie C 10, numero C 20, doc C 2, fechad D 8, fechav D 8, fe C 4"},
        {"tmpldg", kLdg},
        {"tmpadp",
         std::string(kLdg) +
             ", clase9 C 10, debed N 17,2, haberd N 17,2, saldos N 17,2, saldod N 17,2, mesc C 2, conci C 1, "
             "dif C 1, nombre C 30"},
        {"tmplds",
         "t C 2, vou N 4, cuenta C 10, glosa C 40, fecha D 8, "
         "c10 c12 c16 c20 c21 c33 c34 c38 c39 c4011d c4011c c4017d c4017c c402 c42 c46 c50 c58 c59 c60 c61 c62 "
         "c63 c64 c65 c66 c67 c68 c69 c96 c97 c70 c75 c76 c77 c79 N 17,2"},
        {"tmplda",
         "vou N 4, mesv C 2, cuenta C 10, nombre C 30, debe N 17,2, haber N 17,2, glosa C 30, t C 2, tonom C 20, "
         "fecha D 8, serie C 10, numero C 20, doc C 2, fechad D 8, fechav D 8, rut C 11, rs C 40, tc N 10,5, "
         "moneda C 1, fe C 4, rfecha D 8, rtdoc C 2, rnumero C 20"},
        {"tmpag",
         "cuenta C 10, codigo C 11, nombre C 30, bd C 1, m90..m99 N 17,2, monto N 17,2, fecha D 8, "
         "periodo C 30, total N 17,2"},
        {"tmptxt", "ltxt C 240"},
        // The counterparty listing: the counterparty's fields as wide as in zdr_pc, the type
        // written as its name, the credit days and the identity document label.
        {"tmpctac",
         "rut C 11, rs C 40, nom1 C 20, nom2 C 20, ape1 C 20, ape2 C 20, tipo C 20, di C 60, fono C 20, "
         "codigo C 11, aten C 30, dcred C 2, arut C 11, ars C 40, adi C 60, afono C 20, vend C 10, tdoc C 13"},
    };
    return tables;
}

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// "neto1..neto9" -> neto1, neto2, ... neto9; any other name stays as it is.
void expandNames(const std::string& word, std::vector<std::string>& out) {
    std::size_t dots = word.find("..");
    if (dots == std::string::npos) {
        out.push_back(word);
        return;
    }
    auto split = [](const std::string& s, std::string& stem, int& n) {
        std::size_t i = s.size();
        while (i > 0 && std::isdigit(static_cast<unsigned char>(s[i - 1]))) --i;
        if (i == s.size()) throw std::logic_error("work table range without a number: " + s);
        stem = s.substr(0, i);
        n = std::stoi(s.substr(i));
    };
    std::string firstStem, lastStem;
    int first = 0, last = 0;
    split(word.substr(0, dots), firstStem, first);
    split(word.substr(dots + 2), lastStem, last);
    if (firstStem != lastStem || last < first) throw std::logic_error("bad work table range: " + word);
    for (int n = first; n <= last; ++n) out.push_back(firstStem + std::to_string(n));
}

std::vector<store::FieldDef> parseFields(const std::string& text) {
    std::vector<store::FieldDef> fields;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(", ", start);
        if (end == std::string::npos) end = text.size();
        std::istringstream in(text.substr(start, end - start));
        std::vector<std::string> words;
        for (std::string w; in >> w;) words.push_back(w);
        if (words.size() < 3) throw std::logic_error("bad work table field: " + text.substr(start, end - start));
        const std::string& type = words[words.size() - 2];
        const std::string& size = words.back();
        store::Type t;
        if (type == "C") t = store::Type::Char;
        else if (type == "N") t = store::Type::Num;
        else if (type == "D") t = store::Type::Date;
        else if (type == "L") t = store::Type::Logic;
        else throw std::logic_error("bad work table field type: " + type);
        std::size_t comma = size.find(',');
        int width = std::stoi(size.substr(0, comma));
        int decimals = comma == std::string::npos ? 0 : std::stoi(size.substr(comma + 1));
        std::vector<std::string> names;
        for (std::size_t i = 0; i + 2 < words.size(); ++i) expandNames(words[i], names);
        for (const std::string& n : names) fields.push_back({upper(n), t, width, decimals});
        start = end == text.size() ? end : end + 2;
    }
    return fields;
}

}  // namespace

platform::Status CREATMP(Context& ctx, const std::string& folder) {
    (void)ctx;  // the work folder is the same for every company
    platform::Result<fs::path> where = platform::toHost(folder);
    if (!where) return where.status();
    const fs::path dir = where.value();
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) {
        if (!fs::is_directory(dir.parent_path(), ec))
            return platform::Status::failure("No se puede crear la carpeta de trabajo " + folder +
                                             ": no existe la carpeta que la contiene.");
        if (!fs::create_directory(dir, ec) && !fs::is_directory(dir))
            return platform::Status::failure("No se puede crear la carpeta de trabajo " + folder + ": " +
                                             ec.message());
    }
    platform::Status result;
    for (const WorkTable& t : workTables()) {
        try {
            store::Store::createTable((dir / (std::string(t.name) + ".dbf")).string(), parseFields(t.fields));
        } catch (const store::StoreError& e) {
            // A table that another program has open keeps its contents; it is recreated at the
            // next selection that finds it free.
            if (e.kind() == store::ErrorKind::Exclusive) continue;
            if (result) result = platform::Status::failure(e.what());
        }
    }
    return result;
}

}  // namespace app

#include "platform/paths.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace platform {
namespace fs = std::filesystem;

namespace {

std::optional<fs::path> g_startFolder;

bool isSeparator(char c) { return c == '\\' || c == '/'; }
bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// A text as shown in a message: control characters written as \xNN.
std::string shown(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(c));
      out += escaped;
    } else {
      out += c;
    }
  }
  return out;
}

constexpr std::string_view kBadPath = "Ruta no válida";
constexpr std::string_view kBadFileName = "Nombre de archivo no válido";

Status refused(std::string_view heading, std::string_view text, std::string_view reason) {
  return Status::failure(std::string(heading) + " \"" + shown(text) + "\": " + std::string(reason) +
                         ".");
}

// Why a path component cannot be stored, or empty when it can.
std::string_view componentProblem(std::string_view component) {
  if (component == "..") return "no puede contener \"..\"";
  for (char c : component) {
    if (static_cast<unsigned char>(c) < 0x20) return "contiene caracteres de control";
    if (std::string_view("<>:\"|?*").find(c) != std::string_view::npos)
      return "contiene un carácter no permitido (< > : \" | ? *)";
  }
  return {};
}

enum class Root { startFolder, drive, host };

struct ParsedPath {
  Root root = Root::startFolder;
  char drive = 0;  // lower case, for Root::drive
  std::vector<std::string> components;
};

Result<ParsedPath> parse(std::string_view path) {
  ParsedPath parsed;
  std::string_view rest = path;
  if (rest.size() >= 2 && isAsciiLetter(rest[0]) && rest[1] == ':') {
    parsed.root = Root::drive;
    parsed.drive = lowerAscii(rest[0]);
    rest.remove_prefix(2);
  } else if (rest.size() >= 2 && isSeparator(rest[0]) && isSeparator(rest[1])) {
    return refused(kBadPath, path, "las rutas de red no están admitidas");
  } else if (!rest.empty() && rest[0] == '/') {
    parsed.root = Root::host;
  } else if (!rest.empty() && rest[0] == '\\') {
    parsed.root = Root::drive;
    parsed.drive = 'c';
  }
  while (!rest.empty()) {
    std::size_t end = 0;
    while (end < rest.size() && !isSeparator(rest[end])) ++end;
    const std::string_view component = rest.substr(0, end);
    rest.remove_prefix(end < rest.size() ? end + 1 : end);
    if (component.empty() || component == ".") continue;
    if (const std::string_view problem = componentProblem(component); !problem.empty())
      return refused(kBadPath, path, problem);
    parsed.components.emplace_back(component);
  }
  return parsed;
}

// The drive folder named by QRX_DRIVE_<letter>, when that variable is set.
std::optional<fs::path> configuredDriveFolder(char letter) {
  const std::string variable = std::string("QRX_DRIVE_") + upperAscii(letter);
  const char* value = std::getenv(variable.c_str());
  if (value == nullptr || *value == '\0') return std::nullopt;
  const fs::path folder(value);
  return folder.is_absolute() ? folder : startFolder() / folder;
}

fs::path defaultDriveFolder(char letter) {
  return startFolder() / (std::string("drive_") + lowerAscii(letter));
}

// The folder of a drive that a path is about to use. A default drive folder is there like a
// disk, so it is made when first needed; if it cannot be made, the operations on the path say so.
fs::path driveFolderInUse(char letter) {
  if (std::optional<fs::path> configured = configuredDriveFolder(letter)) return *configured;
  const fs::path folder = defaultDriveFolder(letter);
  std::error_code ignored;
  fs::create_directory(folder, ignored);
  return folder;
}

fs::path rootFolder(const ParsedPath& parsed) {
  switch (parsed.root) {
    case Root::host:
      return "/";
    case Root::drive:
      return driveFolderInUse(parsed.drive);
    case Root::startFolder:
      break;
  }
  return startFolder();
}

// Folds a name for comparison: ASCII letters and the Latin-1 capitals À..Þ (UTF-8 C3 80..C3 9E,
// the sign × aside) become lower case.
std::string folded(std::string_view name) {
  std::string out(name);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const auto c = static_cast<unsigned char>(out[i]);
    if (c >= 'A' && c <= 'Z') {
      out[i] = static_cast<char>(c - 'A' + 'a');
    } else if (c == 0xC3 && i + 1 < out.size()) {
      const auto next = static_cast<unsigned char>(out[i + 1]);
      if (next >= 0x80 && next <= 0x9E && next != 0x97) out[i + 1] = static_cast<char>(next + 0x20);
      ++i;
    }
  }
  return out;
}

// The name under which `name` exists in `folder` when only its case differs; the first such
// name in byte order, so the choice does not depend on the directory's order.
std::optional<std::string> spellingOnDisk(const fs::path& folder, std::string_view name) {
  const std::string wanted = folded(name);
  std::optional<std::string> found;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string candidate = it->path().filename().string();
    if (folded(candidate) == wanted && (!found || candidate < *found)) found = std::move(candidate);
  }
  return found;
}

fs::path lookUp(fs::path path, const std::vector<std::string>& components) {
  bool inExistingFolder = true;
  for (const std::string& component : components) {
    if (inExistingFolder) {
      std::error_code ec;
      if (fs::exists(path / component, ec)) {
        path /= component;
        continue;
      }
      if (std::optional<std::string> spelling = spellingOnDisk(path, component)) {
        path /= *spelling;
        continue;
      }
      inExistingFolder = false;
    }
    path /= component;
  }
  return path;
}

// Length in bytes of the UTF-8 character that starts at text[i].
std::size_t characterLength(std::string_view text, std::size_t i) {
  std::size_t length = 1;
  while (i + length < text.size() && (static_cast<unsigned char>(text[i + length]) & 0xC0) == 0x80)
    ++length;
  return length;
}

bool wildcardMatch(std::string_view name, std::string_view pattern) {
  constexpr std::size_t none = std::string_view::npos;
  std::size_t n = 0, p = 0;
  std::size_t starInPattern = none, starInName = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starInPattern = p++;
      starInName = n;
    } else if (p < pattern.size() && pattern[p] == '?') {
      n += characterLength(name, n);
      ++p;
    } else if (p < pattern.size() && pattern[p] == name[n]) {
      ++n;
      ++p;
    } else if (starInPattern != none) {
      // Let the last "*" take one more character and retry from there.
      starInName += characterLength(name, starInName);
      n = starInName;
      p = starInPattern + 1;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

fs::path startFolder() { return g_startFolder ? *g_startFolder : fs::current_path(); }

void setStartFolder(fs::path folder) { g_startFolder = std::move(folder); }

void resetStartFolder() { g_startFolder.reset(); }

fs::path driveFolder(char letter) {
  return configuredDriveFolder(letter).value_or(defaultDriveFolder(letter));
}

Result<fs::path> toHost(std::string_view path) {
  Result<ParsedPath> parsed = parse(path);
  if (!parsed) return parsed.status();
  return lookUp(rootFolder(parsed.value()), parsed.value().components);
}

Status validateCompanyFolder(std::string_view typed) {
  const std::size_t first = typed.find_first_not_of(' ');
  if (first == std::string_view::npos) return Status::failure("Debe indicar la carpeta de la empresa.");
  const std::string_view folder = typed.substr(first, typed.find_last_not_of(' ') - first + 1);
  return parse(folder).status();
}

Status validateFileName(std::string_view name) {
  if (name.empty() || name == ".") return refused(kBadFileName, name, "está vacío");
  for (char c : name) {
    if (isSeparator(c)) return refused(kBadFileName, name, "no puede incluir carpetas");
  }
  if (const std::string_view problem = componentProblem(name); !problem.empty())
    return refused(kBadFileName, name, problem);
  return {};
}

bool namesEqualIgnoringCase(std::string_view a, std::string_view b) { return folded(a) == folded(b); }

bool matchesPattern(std::string_view name, std::string_view pattern) {
  const std::string foldedName = folded(name);
  const std::string foldedPattern = folded(pattern);
  const std::string_view p = foldedPattern;
  return wildcardMatch(foldedName, p) ||
         (p.size() >= 2 && p.substr(p.size() - 2) == ".*" &&
          wildcardMatch(foldedName, p.substr(0, p.size() - 2)));
}

}  // namespace platform

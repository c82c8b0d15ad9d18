#include "output/text_writers.h"

#include <unistd.h>

#include <cerrno>

#include "output/system_error.h"
#include "platform/files.h"

namespace output {

std::vector<store::FieldDef> textTableFields() {
  return {store::FieldDef{"LTXT", store::Type::Char, kLineFileWidth, 0}};
}

namespace {

std::string_view trimRight(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

std::string_view trim(std::string_view s) {
  s = trimRight(s);
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return s;
}

platform::Status removeOld(const std::string& path) {
  if (::unlink(path.c_str()) != 0 && errno != ENOENT)
    return detail::systemFailure("No se puede borrar el archivo anterior", path, errno);
  return {};
}

// Calls line(text) for every record that is not deleted, in record order; stops at a failure.
template <class F>
platform::Status eachRecord(store::WorkArea& txt, F&& line) {
  store::Field ltxt = txt.field("LTXT");
  const std::uint32_t count = txt.recCount();
  platform::Status result;
  for (std::uint32_t r = 1; r <= count && result; ++r) {
    txt.go(r);
    if (txt.eof() || txt.deleted()) continue;
    result = line(r, txt.text(ltxt));
  }
  return result;
}

template <class F>
platform::Status withTxt(store::Store& store, F&& write) {
  platform::Status result;
  try {
    result = write(store.area("txt"));
  } catch (...) {
    store.close("txt");
    throw;
  }
  store.close("txt");
  return result;
}

}  // namespace

platform::Status G_TXT(store::WorkArea& txt, const std::string& path) {
  if (auto s = removeOld(path); !s) return s;
  std::string out;
  auto s = eachRecord(txt, [&](std::uint32_t recno, std::string_view text) -> platform::Status {
    std::string_view kept = trimRight(text);
    if (kept.size() > static_cast<std::size_t>(kFixedLineWidth))
      return platform::Status::failure(
          "El registro " + std::to_string(recno) + " del texto tiene " + std::to_string(kept.size()) +
          " caracteres y la línea del archivo \"" + path + "\" admite " + std::to_string(kFixedLineWidth) +
          "; el archivo no se ha escrito");
    out += kept;
    out.append(static_cast<std::size_t>(kFixedLineWidth) - kept.size(), ' ');
    out += "\r\n";
    return {};
  });
  if (!s) return s;
  if (!out.empty()) out.push_back('\x1A');
  return detail::writeReplacing(path, out);
}

platform::Status G_TXT2(store::WorkArea& txt, const std::string& scratchPath, const std::string& finalPath) {
  if (auto s = removeOld(scratchPath); !s) return s;
  std::string out;
  auto s = eachRecord(txt, [&](std::uint32_t recno, std::string_view text) -> platform::Status {
    std::string_view kept = trim(text);
    if (kept.empty()) return {};
    if (kept.size() > static_cast<std::size_t>(kLineFileWidth))
      return platform::Status::failure(
          "El registro " + std::to_string(recno) + " del texto tiene " + std::to_string(kept.size()) +
          " caracteres y la línea del archivo \"" + scratchPath + "\" admite " + std::to_string(kLineFileWidth) +
          "; el archivo no se ha escrito");
    out += kept;
    out.append(static_cast<std::size_t>(kLineFileWidth) - kept.size(), ' ');
    out += "\r\n";
    return {};
  });
  if (!s) return s;
  if (auto w = detail::writeReplacing(scratchPath, out); !w) return w;
  return platform::copyFile(scratchPath, finalPath);
}

platform::Status G_TXT(store::Store& store, const std::string& path) {
  return withTxt(store, [&](store::WorkArea& txt) { return G_TXT(txt, path); });
}

platform::Status G_TXT2(store::Store& store, const std::string& scratchPath, const std::string& finalPath) {
  return withTxt(store, [&](store::WorkArea& txt) { return G_TXT2(txt, scratchPath, finalPath); });
}

}  // namespace output

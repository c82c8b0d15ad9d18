#pragma once

// Paths as the program stores them, and where they live on the host.
//
// The program keeps paths as Windows-style texts ("C:\QRX2012", "c:\QRX2012\tmp",
// RUTA + "\zdr_plan", "reportes\var") in its tables and globals. toHost() is the one place
// where such a text becomes a host path:
//
//   - "reportes\var"         relative: under the start folder;
//   - "C:\QRX2012"           drive letter: under the drive's folder (driveFolder());
//   - "C:QRX2012"            the same as "C:\QRX2012" (drives have no current folder here);
//   - "\QRX2012"             rooted without a drive: drive C, the drive the program starts from;
//   - "/home/ana/empresas"   POSIX absolute, as a user may type it: used as it is.
//
// Backslashes and slashes both separate components; empty and "." components are dropped.
// Existing files and folders are found whatever the case of their names, as on the original
// platform: the exact spelling is preferred, otherwise the first matching name in byte order.
// Components that do not exist yet are kept as given, so new files and folders get the
// spelling the program uses, inside existing folders spelt as they are on disk.
//
// Paths are UTF-8 texts. Case is ignored for ASCII letters and for the accented Latin letters
// of Spanish names (Á/á, Ñ/ñ, Ü/ü ...).
//
// Refused (the result names the path and the reason): "..", control characters (NUL
// included), the characters < > : " | ? * inside a component (a drive letter's colon aside),
// and network paths ("\\server\share").

#include <filesystem>
#include <string_view>

#include "platform/status.h"

namespace platform {

// The folder the program started in: the current directory unless a test has set another.
// The program itself never changes its current directory. Set it before other threads start.
std::filesystem::path startFolder();
void setStartFolder(std::filesystem::path folder);
void resetStartFolder();

// The host folder of a drive letter (either case):
//   - the environment variable QRX_DRIVE_<letter> (QRX_DRIVE_C, QRX_DRIVE_D, ...) when it is set
//     and not empty; a relative value is taken under the start folder;
//   - otherwise <start folder>/drive_<letter>, e.g. <start folder>/drive_c. This default folder
//     is created the first time toHost() maps a path on that drive, so "C:\QRX2012" and
//     "c:\QRX2012\tmp" work in a fresh start folder. A folder named by the variable is never
//     created: when it is missing, the operations on it fail.
std::filesystem::path driveFolder(char letter);

// The host path of a stored path, or why it is refused.
Result<std::filesystem::path> toHost(std::string_view path);

// For the screens: checks a company folder as a user typed it (surrounding blanks ignored).
// Refuses a blank folder and everything toHost() refuses.
Status validateCompanyFolder(std::string_view typed);

// Checks a bare file name, without any folder part (an archive entry, a file name built from
// user data).
Status validateFileName(std::string_view name);

// Name comparison with the platform's case rules.
bool namesEqualIgnoringCase(std::string_view a, std::string_view b);

// DOS wildcard match, ignoring case: "*" any run of characters, "?" one character. A pattern
// that ends in ".*" matches as well without that ending, so "*.*" matches every name and
// "zdr*.*" matches "zdr_plan" as well as "zdr_plan.dbf".
bool matchesPattern(std::string_view name, std::string_view pattern);

}  // namespace platform

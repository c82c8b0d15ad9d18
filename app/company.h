// Companies: the table of company tables with their aliases and orders, the
// company selection (SELEEMP) that prepares a new folder from the template sets
// or from another company, the automatic index rebuild (U_MANT2), the shared
// opening of every company table and the global values taken from the company's
// parameter record.
#pragma once

#include <string>
#include <vector>

#include "app/context.h"
#include "platform/status.h"

namespace app {

struct IndexDef {
    const char* file;  // without extension, in the company folder
    const char* key;
    const char* forCondition;  // "" for none
};

struct CompanyTable {
    const char* file;   // without extension, in the company folder
    const char* alias;
    std::vector<IndexDef> indexes;  // in attach order; the first controls
};

// The company tables in their opening order (the registry `empresa` is opened
// before them).
const std::vector<CompanyTable>& companyTables();

// The thirteen files a company folder is filled with (template sets `datos`/`datos2`).
const std::vector<std::string>& templateFiles();

// Program path of a file in a folder: folder + "\" + name.
std::string inFolder(const std::string& folder, const std::string& name);
// Host path of a program path (throws store::StoreError with the platform's message
// when the path is refused).
std::string host(const std::string& programPath);
// True when the table (".dbf" added) exists.
bool tableExists(const std::string& programPath);

// Opens the registry `empresa` of the start folder shared as `emp` (natural order,
// first visible record), creating it with the company "DEMO" when it is missing.
// False (the user told why) when it cannot be opened.
bool openRegistry(Context& ctx);

// Selects the company of the current `emp` record. `logo` (the request 33 of the
// registry screen) shows the company's picture in the main window. False when the
// selection returned without opening a company (the previous one, if any, is open
// again).
bool SELEEMP(Context& ctx, bool logo);

// Opens every company table of ctx.RUTA shared with its index files, after the
// registry. On failure nothing is left open and the message names the table.
platform::Status openCompany(Context& ctx);

// The automatic index rebuild of the company in ctx.RUTA (all tables exclusive):
// removes invalid records, packs, rebuilds every index, packs the registry, then
// opens the company as openCompany() does.
platform::Status U_MANT2(Context& ctx);

// The global values taken from the parameter record `var`, and WTIT.
void loadCompanyGlobals(Context& ctx);

// The picture the main window shows for the open company: VAR24 + ".jpg" when that
// file exists in the start folder, otherwise "qrx2012.jpg".
std::string companyPicture(Context& ctx);

// The backup warning for the open company, or "" when none applies.
std::string backupWarning(const Context& ctx, const std::string& folder, const store::Date& fbackup,
                          const std::string& workingYear, const store::Date& today);

// The title of the backup warnings.
inline constexpr const char* kBackupWarningTitle = "CUIDADO NO CUENTA CON UNA COPIA DE SEGURIDAD ACTUALIZADA";

// The work folder, the same for every company.
inline constexpr const char* kWorkFolder = "c:\\QRX2012\\tmp";

// Creates the work folder when missing (its parent must exist) and every work table
// in it, replacing existing ones. A work table that another program on this machine
// has open is left as it is.
platform::Status CREATMP(Context& ctx, const std::string& folder);

}  // namespace app

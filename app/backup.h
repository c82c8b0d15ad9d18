// The backup of the open company into a ZIP archive of the start folder (BACKUP,
// ZIPFILES) and the restore of such an archive into a company folder (RESTAURA).
#pragma once

#include <string>

#include "app/context.h"
#include "platform/clock.h"

namespace app {

// The archive name of a backup: the screen name without surrounding blanks, a blank and
// the date as dd-mm-yyyy, then ".ZIP", e.g. "ACME 09-12-2012.ZIP" (UTF-8). Characters that
// cannot be part of a file name, and folder separators, become "_", so that the archive
// always lands in the start folder.
std::string backupArchiveName(const std::string& screenName, const platform::Date& day);

// Packs every "zdr*" file of the company folder into the day's archive (closing all tables
// first) and, once the archive is complete, records today in FBACKUP. A failure is shown
// to the user and records nothing; the day's earlier archive then stays as it was. True
// when the archive was written.
bool ZIPFILES(Context& ctx);

// The backup: ZIPFILES and the final message "El Sistema Retornara a Windows". The
// caller closes the main window afterwards.
bool BACKUP(Context& ctx);

// The restore: the user picks an archive of the start folder and a company folder (new
// or existing). A folder with a table held by another program, or the company open here,
// is refused; a folder that already holds a company is replaced only after the user
// confirms. The folder is added to the registry when it is not there yet, and its
// indexes are rebuilt at its next selection. True when the tables were restored.
bool RESTAURA(Context& ctx);

}  // namespace app

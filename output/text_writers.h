#pragma once

// The text files of the tax exports, written from the text work table `tmptxt` (alias "txt"),
// one record per line in field LTXT.

#include <string>
#include <vector>

#include "platform/status.h"
#include "store/dbf.h"
#include "store/store.h"

namespace output {

// Fields of the text work table: LTXT C 512, wide enough for the 512-character lines of the
// electronic books as well as the 240-character fixed-width lines.
std::vector<store::FieldDef> textTableFields();

constexpr int kFixedLineWidth = 240;
constexpr int kLineFileWidth = 512;

// Fixed-width file at `path` (a host path): every record that is not deleted, in record order,
// as LTXT padded with blanks to 240 characters, then CR LF; one end-of-file byte 0x1A after the
// last line, none when there is no line. An existing file is deleted first. A record whose text
// is longer than 240 characters (trailing blanks aside) fails the whole file, naming the record.
platform::Status G_TXT(store::WorkArea& txt, const std::string& path);

// Line file at `scratchPath` (a host path, the name in the company folder): every record that
// is not deleted and whose LTXT is not blank, in record order, as LTXT without surrounding
// blanks padded to 512 characters, then CR LF; no end-of-file byte. Then the file is copied to
// `finalPath` (a stored or host path), replacing it. When the file cannot be written nothing is
// copied; an existing file at `scratchPath` is deleted first in any case.
platform::Status G_TXT2(store::WorkArea& txt, const std::string& scratchPath, const std::string& finalPath);

// The same over the work area "txt" of the store, which is closed afterwards whatever the
// outcome.
platform::Status G_TXT(store::Store& store, const std::string& path);
platform::Status G_TXT2(store::Store& store, const std::string& scratchPath, const std::string& finalPath);

}  // namespace output

#pragma once

// Starting other programs. A program is started without a shell (its arguments reach it as
// they are, whatever characters they hold) and without waiting for it: it runs in a session
// of its own, is not a child of this program (so it never lingers as a zombie), and does not
// inherit this program's open files, so the locks on the company tables stay with us.
// Only starting can fail here; what the started program does later is its own affair.

#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace platform {

// Starts argv[0] (a path, or a name looked up on PATH) with the given arguments.
Status startProgram(const std::vector<std::string>& argv);

// Starts the first calculator found on PATH of: gnome-calculator, kcalc, galculator, mate-calc,
// xcalc, qalculate-gtk.
Status startCalculator();

// Opens an existing file (a stored path) with the desktop's default program for it (xdg-open).
Status openDocument(std::string_view path);

}  // namespace platform

// The program's own small pictures, drawn by code: the toolbar buttons, bitmap
// buttons in dialogs and the window icon.
#pragma once

#include <string>

#include <QIcon>
#include <QPixmap>

namespace ui::qt {

// A picture for the image name the screens use ("ON", "calendar", "chimenea",
// "aDisco", "calc", "printer", "mantencion", "pie", "Salir", "pencil"); any other
// name gets a plain tile with its first letter. Names are matched ignoring case.
QPixmap drawIcon(const std::string& name, int size);
QIcon icon(const std::string& name);
QIcon programIcon();

}  // namespace ui::qt

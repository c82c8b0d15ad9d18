// The screen patterns that many screens share, built once with their captions
// and control numbers: the master-table screen, the search prompt, the picker
// with incremental search, the report consultation screen and the pieces of
// the report selection dialogs.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "store/store.h"
#include "ui/backend.h"
#include "ui/dialog.h"

namespace ui {

// ---- master-table screen: browse 181 with buttons 170 171 200 210 240 127
struct MasterScreen {
    std::string dialog = "Archivos";
    std::string caption = "MANTENIMIENTO DE ARCHIVOS";
    std::string title;  // label 172
    store::WorkArea* area = nullptr;
    std::vector<Column> columns;
    // The screen's actions; one left empty shows its button disabled.
    std::function<void(bool isNew)> edit;  // Enter, double click (false); Insert, 170 (true)
    std::function<void()> remove;          // Delete, 171
    std::function<void()> search;          // 200
    std::function<void()> print;           // 210
    std::function<void()> exportXls;       // 127
    // Extra declarations (more buttons, an edit strip) before the dialog runs.
    std::function<void(Dialog&)> extend;
};

// Runs the screen; returns when it is closed (240, Escape or the close control).
void runMasterScreen(const MasterScreen& screen);

// The search prompt of the master screens: turns soft seek on (it stays on), asks
// "Buscar por" with the prompt, and on confirmation seeks the typed text, blank-filled
// to width, in the table's current order. True when the user confirmed.
bool searchPrompt(store::Store& store, store::WorkArea& area, const std::string& prompt, int width,
                  bool upper = false);

// ---- picker with incremental search
struct Picker {
    std::string caption = "Selecion de Registros";
    store::WorkArea* area = nullptr;  // the picker's work table, in the order searched
    std::vector<Column> columns;
    // Characters that feed the search: those above 31, up to maxSearchKey.
    int maxSearchKey = 255;
    std::function<void()> take;  // Enter or double click on a row
};

// Shows the picker; true when a row was taken (Escape or closing takes nothing).
// The search text only grows: each character, upper-cased, is appended and sought with
// the store's soft-seek setting.
bool runPicker(const Picker& picker);

// ---- report consultation screen IMPRESION ("CONSULTA")
struct Total {
    int id;
    Binding value;  // a number with its picture, or a text caption
    std::string picture;
};

struct Consultation {
    std::string dialog = "IMPRESION";
    std::string caption = "CONSULTA";
    std::string title;       // 172
    std::string label;       // 175 ("" hides it)
    store::WorkArea* area = nullptr;  // the report's work table; closed when the screen closes
    std::vector<Column> columns;
    std::vector<Total> totals;  // display fields 173, 174, 176..180, 182, 183 (or the register pairs)
    std::function<void()> exportXls;  // 127
    std::function<void()> print;      // 210
    std::function<void()> enter;      // Enter / double click on a row (drill-down), optional
    bool closeAreaOnExit = true;
};

void runConsultation(store::Store& store, const Consultation& screen);

// ---- pieces of the report selection dialogs
// Radio group "Moneda": options "Local" (1) and "Dólares" (2) bound to `currency`.
void addCurrency(Dialog& d, int groupId, int localId, int dollarsId, int& currency);
// Radio group "Periodo": "Mensual" (1) and "Acumulado" (2) bound to the report period `ma`.
void addPeriod(Dialog& d, int groupId, int monthlyId, int cumulativeId, int& ma);
// Buttons 175 "OK" (runs accept) and 176 "Cancela" (ends without running it).
void addAcceptCancel(Dialog& d, std::function<void()> accept);

}  // namespace ui

// Small screens of each kind, declared the way the program declares its own, for
// the window tests and the pictures.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "store/value.h"
#include "ui/dialog.h"

namespace demo {

// A master-record form: code with a VALID, fields enabled by WHEN, a radio group
// mapped to letters, two interlocked check boxes, a combo, a spinner, a date and an
// amount, two frames, OK / Cancela.
struct Form {
    std::string code = std::string(10, ' ');
    std::string name = std::string(40, ' ');
    std::string level = "B";
    bool debit = false, credit = false;
    int currency = 1;
    int month = 3;
    store::Date date;
    store::Decimal rate;
    store::Decimal opening;
    int validRuns = 0;
    std::unique_ptr<ui::Dialog> d;
    Form();
};

// A browse over an array with the master-screen buttons; the keys it gets are logged.
struct List {
    struct Row {
        std::string code, name;
        store::Decimal amount;
    };
    std::vector<Row> rows;
    std::shared_ptr<ui::ArraySource> source;
    std::shared_ptr<ui::Browse> browse;
    std::vector<std::string> keys;  // "enter", "insert", "delete", "dbl", "char:x", "end"
    bool takeEnd = false;           // the handler uses End (closes), otherwise End goes to the last row
    std::unique_ptr<ui::Dialog> d;
    explicit List(int count = 40);
    std::string current() const;  // code of the current row
};

// The report selection dialog: two radio frames side by side, a combo, OK / Cancela.
struct Selection {
    int currency = 1, period = 2, origin = 1;
    std::unique_ptr<ui::Dialog> d;
    Selection();
};

// The consultation screen: title, browse, frames of totals, export/print/exit.
struct Consultation {
    std::vector<List::Row> rows;
    std::shared_ptr<ui::ArraySource> source;
    std::unique_ptr<ui::Dialog> d;
    store::Decimal debit, credit;
    Consultation();
};

// A confirmation with only OK / Cancel.
struct Confirm {
    std::unique_ptr<ui::Dialog> d;
    Confirm();
};

}  // namespace demo

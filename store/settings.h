// The store-wide settings under which every table operation runs.
#pragma once

#include <functional>

#include "store/date.h"

namespace store {

struct Settings {
    bool deletedHidden = true;     // records marked deleted are skipped everywhere
    bool softSeek = false;         // a failed seek stops on the next greater key
    bool exact = false;            // text '=' compares whole texts (trailing blanks aside)
    bool exclusiveDefault = true;  // an open without an explicit mode is exclusive
    int epoch = 1970;              // two-digit years read from text fall in epoch..epoch+99
    std::function<Date()> today;   // the date() of expressions; the system date when empty
};

Date systemToday();

}  // namespace store

// Small helpers over table texts and today's date shared by the application's screens.
#pragma once

#include <string>
#include <string_view>

#include "store/date.h"

namespace app {

// The text without blanks on either side.
std::string alltrim(std::string_view s);
// The text without its trailing blanks.
std::string rtrim(std::string_view s);
// Today's date (the platform clock, fixed in tests) as the tables hold dates.
store::Date today();

}  // namespace app

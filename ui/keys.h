// Keyboard facts the screens' rules ask about.
#pragma once

namespace ui::keys {

// "Was the last key Escape?": true after the close control, Escape, or a cancel button;
// false once a field is left or a button pressed normally.
bool lastEscape();
void setLastEscape(bool v);

}  // namespace ui::keys

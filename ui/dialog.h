// Screens, declared once and shown by any backend. A dialog is a set of
// controls addressed by number, each with its label, bound value, picture,
// VALID rule (refuse the value, keep the focus) and WHEN rule (enabled while it
// holds, re-evaluated as values change). All screen behaviour lives here; a
// backend only shows the state and reports what the user did.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/binding.h"
#include "ui/browse.h"
#include "ui/picture.h"

namespace ui {

enum class ControlKind { Label, Edit, Display, Spinner, Combo, Radio, Check, Button, Browse, Frame };

struct RadioOption {
    int id;
    std::string caption;
    store::Value code;  // the value the group's binding takes when this option is chosen
};

// Layout hints for the backends: controls of one row side by side, rows top to bottom,
// a group drawn as a labelled frame.
struct Place {
    int row = -1;  // -1: after the previous control
    std::string group;
    int span = 1;
};

struct Control {
    int id = 0;
    ControlKind kind = ControlKind::Label;
    std::string label;  // caption, prompt or static text (UTF-8)
    Binding value;
    std::string picture;
    std::function<bool()> valid;
    std::function<bool()> when;
    std::function<void()> action;  // button press; combo, radio or check change
    int min = 0, max = 0;          // spinner range
    std::vector<std::string> items;  // combo entries
    bool comboByText = false;        // combo bound to the entry text instead of its position (1-based)
    std::vector<RadioOption> options;
    std::shared_ptr<Browse> browse;
    std::string icon;  // bitmap buttons
    bool visible = true;
    bool readOnly = false;
    bool cancel = false;  // pressing it ends the dialog without running VALID, like Escape
    Place place;

    // fluent declaration
    Control& Valid(std::function<bool()> f) { valid = std::move(f); return *this; }
    Control& When(std::function<bool()> f) { when = std::move(f); return *this; }
    Control& Action(std::function<void()> f) { action = std::move(f); return *this; }
    Control& Picture(std::string p) { picture = std::move(p); return *this; }
    Control& Row(int r) { place.row = r; return *this; }
    Control& Group(std::string g) { place.group = std::move(g); return *this; }
    Control& Hidden() { visible = false; return *this; }
    Control& ReadOnly() { readOnly = true; return *this; }
};

class Dialog {
public:
    Dialog(std::string name, std::string caption) : name_(std::move(name)), caption_(std::move(caption)) {}

    const std::string& name() const { return name_; }
    const std::string& caption() const { return caption_; }
    void setCaption(std::string c) { caption_ = std::move(c); }

    // ---- declaration, one line per control
    Control& label(int id, std::string text);
    Control& frame(int id, std::string text);
    Control& edit(int id, std::string label, Binding value, std::string picture = {});
    Control& display(int id, std::string label, Binding value, std::string picture = {});
    Control& spinner(int id, std::string label, Binding value, int min, int max, std::string picture = {});
    Control& combo(int id, std::string label, std::vector<std::string> items, Binding value, bool byText = false);
    Control& radio(int id, std::string label, std::vector<RadioOption> options, Binding value);
    Control& check(int id, std::string label, Binding value);
    Control& button(int id, std::string caption, std::function<void()> action = {});
    Control& browse(int id, std::shared_ptr<Browse> b);
    void initialFocus(int id) { initialFocus_ = id; }
    // A refusal to close through the close control (Escape included); true lets it close.
    std::function<bool()> canClose;

    // ---- runtime, called by the screen's own actions
    void end(int result);
    bool ended() const { return ended_; }
    int result() const { return result_; }
    void focus(int id);
    void refresh(int id);  // re-reads the bound value (after a lookup wrote it)
    void refreshAll();
    void show(int id, bool visible);
    void setLabel(int id, std::string text);

    // ---- runtime, called by a backend for what the user did
    void start();  // loads every control from its binding, evaluates WHEN, places the focus
    // Typing into an edit field: the text shown while editing (filtered by the picture).
    void type(int id, std::string_view utf8);
    // Moving the focus to another control: the field being left is taken (its text is read
    // through the picture into the binding, then its VALID runs). False, with the focus kept,
    // when the text or the VALID refuses it.
    bool moveFocus(int id);
    // A button, radio option or check box was pressed; a combo entry (0-based) was chosen.
    bool press(int id);
    bool choose(int id, int index);
    bool key(int browseId, Key k, char32_t ch = 0);
    // Tab / Shift+Tab and Enter in a field: the field is taken, then the focus goes to the
    // next (or previous) control available once its value is in, in declaration order.
    // False, with the focus kept, when the field refuses.
    bool advance(bool forward = true);
    // A click on a visible row of a browse (0 = the top line); false when the field being
    // left refuses.
    bool clickRow(int browseId, int line);
    // The close control or Escape: ends with result 0 unless canClose refuses.
    bool close();
    // Called from a VALID that refuses, to say why (shown by the backend); a VALID that
    // refuses without calling it refuses silently.
    void refuse(std::string text) { refusal_ = std::move(text); }

    // ---- state for a backend to show
    const std::vector<Control>& controls() const { return controls_; }
    Control* find(int id);
    const Control* find(int id) const;
    Control& at(int id);  // throws when absent
    int focused() const { return focus_; }
    bool enabled(int id) const;
    bool visible(int id) const;
    std::string text(int id) const;  // what the control shows now (UTF-8)
    int selected(int id) const;      // combo entry (0-based), radio option index; -1 when none
    bool checked(int id) const;
    const std::string& lastRefusal() const { return refusal_; }
    // Bumped on every change of state, so a backend knows when to redraw.
    unsigned revision() const { return revision_; }

private:
    struct State {
        std::string buffer;  // edit text as shown, UTF-8
        bool enabled = true;
        bool dirty = false;  // typed since it was loaded
    };
    Control& add(Control c);
    Control& make(int id, ControlKind kind, std::string label, Binding value = {});
    State& state(int id);
    const State* stateOf(int id) const;
    void load(Control& c);
    bool take(Control& c);  // buffer -> binding, then VALID
    bool leaveFor(int id);
    void evaluateWhen();
    bool focusable(const Control& c) const;
    Control* owner(int optionId);  // the radio group of an option id
    const RadioOption* option(int id, const Control** group) const;

    std::string name_, caption_;
    std::vector<Control> controls_;
    std::vector<std::pair<int, State>> states_;
    int initialFocus_ = 0;
    int focus_ = 0;
    bool ended_ = false;
    int result_ = 0;
    std::string refusal_;
    unsigned revision_ = 0;
};

}  // namespace ui

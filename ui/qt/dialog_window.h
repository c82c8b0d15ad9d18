// The window of one neutral dialog. It is laid out from the declarations:
//
// - Each control has a row: its Place.row, or the row after the previous
//   control's. Rows run top to bottom; the controls of a row stand side by side
//   in a grid of (prompt, field) column pairs, so the prompts and fields of
//   consecutive rows line up. A Place.span widens a control over more pairs;
//   a static text alone in its row takes the whole width.
// - Controls with the same Place.group go into one labelled frame, placed at the
//   row of its first member; frames that start on the same row stand side by side.
//   A Frame control whose caption (or number) names the group gives the frame its
//   caption, so setLabel and show reach it; a Frame without members is drawn empty.
// - A radio group is a labelled box of its options (the frame itself when it is
//   the only member of a group).
// - A browse takes the whole width and the spare height, at its row.
// - Buttons form the bottom row, right-aligned, in declaration order. A button
//   that shares an explicit row with other controls, or belongs to a group, stays
//   there instead (a "Help" button beside a field). The dialog's refusals show at
//   the left of the bottom row.
//
// The window only shows the dialog's state and reports what the user did: every
// change goes through ui::Dialog, and after each one the widgets are brought up
// to date when the dialog's revision moved.
#pragma once

#include <exception>
#include <map>
#include <string>
#include <vector>

#include <QDialog>
#include <QHash>

#include "ui/dialog.h"

class QButtonGroup;
class QGridLayout;
class QGroupBox;
class QLabel;
class QVBoxLayout;

namespace ui::qt {

class BrowseView;

class DialogWindow : public QDialog {
public:
    // `live`: a window the user works in (run); otherwise a still picture of the
    // dialog's current state that reacts to nothing (snapshots). The dialog must
    // have been started.
    explicit DialogWindow(ui::Dialog& d, bool live = true, QWidget* parent = nullptr);
    ~DialogWindow() override;

    ui::Dialog& dialog() const { return d_; }

    // Brings every widget up to date with the dialog; without `force` only when its
    // revision changed. Closes the window when the dialog has ended.
    void sync(bool force = false);
    // Shows the window modally until the dialog ends; rethrows what an action threw.
    int runModal();
    // Gives the window its natural size (within the screen for a live window).
    void fitToScreen();

    // The widget of a control or a radio option (nullptr when it has none): the
    // line edit, spin box, combo box, check box, button, radio button, static
    // text, frame or browse view.
    QWidget* widgetOf(int id) const;
    // The prompt beside an edit, display, spinner or combo.
    QLabel* promptOf(int id) const;
    BrowseView* browseOf(int id) const;
    // Where refusals are shown.
    QLabel* statusLine() const { return status_; }

protected:
    void reject() override;  // Escape
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    struct Shown {
        const Control* control = nullptr;
        QWidget* widget = nullptr;  // what the control is drawn with
        QLabel* prompt = nullptr;
        QWidget* focus = nullptr;  // what takes the keyboard focus
        QButtonGroup* buttons = nullptr;  // radio groups
        std::vector<QWidget*> options;
        bool ownTitle = true;  // a radio box captioned by its own label (not by its frame's)
    };

    void build();
    QWidget* makeWidget(const Control& c, Shown& s, QWidget* parent);
    QGroupBox* makeRadioBox(const Control& c, Shown& s, const QString& title, QWidget* parent);
    void placeRow(QGridLayout* grid, int gridRow, const std::vector<const Control*>& items, QWidget* parent);
    void registerFocus(QWidget* w, int id);
    void syncControl(Shown& s);
    void syncFocus();
    void finish();
    int controlOf(QObject* widget) const;
    Shown* shown(int id);
    const Shown* shown(int id) const;

    // Runs what the user did through the dialog, then shows the new state; an
    // exception ends the window and is rethrown by runModal.
    template <class F>
    void act(F&& f);

    bool focusArrived(int id);  // false: refused, the focus went back
    void moveOn(bool forward);  // Tab, Shift+Tab, Enter in a field
    void refused();

    ui::Dialog& d_;
    bool live_;
    std::map<int, Shown> shown_;            // by control number
    std::map<int, int> optionOwner_;        // radio option -> its group
    QHash<QObject*, int> focusIds_;
    std::vector<QWidget*> tabChain_;
    QLabel* status_ = nullptr;
    QLabel* heading_ = nullptr;
    unsigned seen_ = 0;
    bool synced_ = false;
    int depth_ = 0;         // inside act()
    bool syncing_ = false;  // inside sync(): focus moved by Qt, not by the user
    bool finishing_ = false;
    std::exception_ptr error_;
};

}  // namespace ui::qt

// The browse widget over an array: rows for the height it has, keys and clicks to
// the screen's handler, navigation through the Browse, the relative scroll bar.
#include <gtest/gtest.h>

#include <stdexcept>

#include <QHeaderView>
#include <QLabel>
#include <QWheelEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include "demo_screens.h"
#include "qt_helpers.h"
#include "ui/backend.h"
#include "ui/binding.h"
#include "ui/qt/browse_view.h"
#include "ui/qt/dialog_window.h"

using ui::qt::BrowseView;
using ui::qt::DialogWindow;

namespace {

class ListWindow : public ::testing::Test {
protected:
    void open(int rows = 40) {
        l = std::make_unique<demo::List>(rows);
        l->d->start();
        w = std::make_unique<DialogWindow>(*l->d);
        w->fitToScreen();
        qtest::showActive(w.get());
        v = w->browseOf(181);
        ASSERT_NE(v, nullptr);
    }
    void TearDown() override { w.reset(); }
    void press(int key, const QString& text = {}) { qtest::key(v->table(), key, Qt::NoModifier, text); }
    QString cell(int row, int col) { return v->model()->index(row, col).data().toString(); }
    int selectedRow() { return v->table()->selectionModel()->currentIndex().row(); }
    QPoint rowPoint(int row) {
        QRect r = v->table()->visualRect(v->model()->index(row, 1));
        return r.center();
    }

    std::unique_ptr<demo::List> l;
    std::unique_ptr<DialogWindow> w;
    BrowseView* v = nullptr;
};

TEST_F(ListWindow, ShowsTheRowsThatFitItsHeight) {
    open();
    EXPECT_EQ(QApplication::focusWidget(), v->table());
    int rows = v->model()->rowCount();
    EXPECT_GE(rows, 5);
    EXPECT_EQ(rows, l->browse->height());
    EXPECT_EQ(rows, v->capacity());
    EXPECT_EQ(cell(0, 0), "10");
    EXPECT_EQ(cell(0, 1), "CAJA");
    EXPECT_EQ(cell(1, 2), "7,919.11");
    EXPECT_EQ(cell(3, 2), "");  // @Z
    EXPECT_EQ(v->model()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Descripción");
    auto align = [&](int row, int col) {
        return v->model()->index(row, col).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask;
    };
    EXPECT_EQ(align(1, 2), Qt::AlignRight);  // amounts right-aligned
    EXPECT_EQ(align(1, 1), Qt::AlignLeft);
    EXPECT_EQ(selectedRow(), 0);
    // taller window, more rows
    w->resize(w->width(), w->height() + 10 * v->rowHeight());
    qtest::pump();
    EXPECT_GE(v->model()->rowCount(), rows + 9);
    EXPECT_EQ(v->model()->rowCount(), l->browse->height());
    // the browse takes the window's width
    EXPECT_GT(v->width(), w->width() - 40);
}

TEST_F(ListWindow, NavigationKeysMoveThroughTheBrowse) {
    open();
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    EXPECT_EQ(l->current(), "19");
    EXPECT_EQ(selectedRow(), 3);
    EXPECT_EQ(l->browse->currentLine(), 3);
    press(Qt::Key_Up);
    EXPECT_EQ(l->current(), "16");
    int h = l->browse->height();
    press(Qt::Key_PageDown);
    EXPECT_EQ(l->current(), std::to_string(10 + 3 * (2 + h - 1)));
    EXPECT_EQ(cell(selectedRow(), 0).toStdString(), l->current());
    press(Qt::Key_Home);
    EXPECT_EQ(l->current(), "10");
    EXPECT_EQ(selectedRow(), 0);
    EXPECT_EQ(v->scrollBar()->value(), v->scrollBar()->minimum());
    press(Qt::Key_End);  // not taken by this screen: the last row
    EXPECT_EQ(l->current(), std::to_string(10 + 3 * 39));
    EXPECT_EQ(cell(v->model()->rowCount() - 1, 0).toStdString(), l->current());
    EXPECT_EQ(selectedRow(), v->model()->rowCount() - 1);
    EXPECT_EQ(v->scrollBar()->value(), v->scrollBar()->maximum());
    press(Qt::Key_PageUp);
    EXPECT_EQ(v->scrollBar()->value(), (v->scrollBar()->minimum() + v->scrollBar()->maximum()) / 2);
    EXPECT_TRUE(l->keys.empty());
}

TEST_F(ListWindow, ScreenKeysReachTheHandler) {
    open();
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    press(Qt::Key_Insert);
    press(Qt::Key_Delete);
    press(Qt::Key_A, "a");
    press(Qt::Key_4, "4");
    EXPECT_EQ(l->keys, (std::vector<std::string>{"enter", "insert", "delete", "char:a", "char:4"}));
    EXPECT_EQ(l->current(), "13");
    EXPECT_TRUE(w->isVisible());
}

TEST_F(ListWindow, ClicksChooseTheRowAndDoubleClickActs) {
    open();
    qtest::click(v->table()->viewport(), rowPoint(4));
    EXPECT_EQ(l->current(), "22");
    EXPECT_EQ(selectedRow(), 4);
    qtest::doubleClick(v->table()->viewport(), rowPoint(2));
    EXPECT_EQ(l->current(), "16");
    EXPECT_EQ(l->keys, (std::vector<std::string>{"dbl"}));
}

TEST_F(ListWindow, WheelAndScrollBarMoveTheBrowse) {
    open();
    QPoint p = rowPoint(1);
    QWheelEvent wheel(QPointF(p), QPointF(v->table()->viewport()->mapToGlobal(p)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(v->table()->viewport(), &wheel);
    qtest::pump();
    EXPECT_EQ(l->current(), "19");  // three rows down
    v->scrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    qtest::pump();
    EXPECT_EQ(l->current(), "22");
    v->scrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    qtest::pump();
    EXPECT_EQ(l->current(), std::to_string(10 + 3 * 39));
    EXPECT_EQ(v->scrollBar()->value(), v->scrollBar()->maximum());
    v->scrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    qtest::pump();
    EXPECT_EQ(l->current(), "10");
}

TEST_F(ListWindow, ButtonsAndWhen) {
    open();
    EXPECT_FALSE(w->widgetOf(210)->isEnabled());
    static_cast<QPushButton*>(w->widgetOf(170))->click();
    qtest::pump();
    EXPECT_EQ(l->keys, (std::vector<std::string>{"b170"}));
    EXPECT_EQ(QApplication::focusWidget(), v->table());  // a button press does not take the focus away
}

TEST_F(ListWindow, EmptyBrowse) {
    open(0);
    EXPECT_EQ(v->model()->rowCount(), 0);
    EXPECT_FALSE(v->scrollBar()->isEnabled());
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    EXPECT_EQ(l->keys, (std::vector<std::string>{"enter"}));  // the screen decides what Enter does on nothing
    l->rows.push_back({"99", "NUEVA", store::Decimal(5)});
    l->browse->refresh();
    v->reload();
    EXPECT_EQ(v->model()->rowCount(), 1);
    EXPECT_EQ(cell(0, 0), "99");
}

TEST(BrowseRun, EndTakenByTheScreenClosesIt) {
    demo::List l;
    l.takeEnd = true;
    qtest::whenModalTitled("MANTENIMIENTO DE ARCHIVOS", [](QWidget* m) {
        auto* v = static_cast<DialogWindow*>(m)->browseOf(181);
        qtest::key(v->table(), Qt::Key_Down);
        qtest::key(v->table(), Qt::Key_End);
    });
    EXPECT_EQ(ui::run(*l.d), 240);
    EXPECT_EQ(l.keys, (std::vector<std::string>{"end"}));
    EXPECT_EQ(l.current(), "13");
}

TEST(BrowseRun, EscapeOnTheBrowseClosesTheScreen) {
    demo::List l;
    qtest::whenModalTitled("MANTENIMIENTO DE ARCHIVOS", [](QWidget* m) {
        qtest::key(static_cast<DialogWindow*>(m)->browseOf(181)->table(), Qt::Key_Escape);
    });
    EXPECT_EQ(ui::run(*l.d), 0);
    EXPECT_TRUE(l.keys.empty());
}

TEST(BrowseRun, ATableThatFailsToReadEndsTheRunWithItsError) {
    bool broken = false;
    auto src = std::make_shared<ui::ArraySource>([] { return std::size_t(50); });
    auto b = std::make_shared<ui::Browse>(src, std::vector<ui::Column>{{"N.º", [src, &broken] {
        if (broken && src->index() > 3) throw std::runtime_error("error de lectura en zdr_vou.dbf");
        return store::Value(static_cast<long long>(src->index()));
    }, ""}});
    ui::Dialog d("big", "LISTA");
    d.browse(181, b);
    qtest::whenModalTitled("LISTA", [&](QWidget* m) {
        broken = true;
        qtest::key(static_cast<DialogWindow*>(m)->browseOf(181)->table(), Qt::Key_Down);
    });
    EXPECT_THROW(ui::run(d), std::runtime_error);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(BrowseRun, AMillionRowsOpenAtOnce) {
    std::size_t n = 1000000;
    auto src = std::make_shared<ui::ArraySource>([n] { return n; });
    auto b = std::make_shared<ui::Browse>(
        src, std::vector<ui::Column>{{"N.º", [src] { return store::Value(static_cast<long long>(src->index()) + 1); }, ""}});
    ui::Dialog d("big", "LISTA GRANDE");
    d.browse(181, b);
    d.start();
    DialogWindow w(d);
    w.fitToScreen();
    qtest::showActive(&w);
    auto* v = w.browseOf(181);
    qtest::key(v->table(), Qt::Key_End);
    EXPECT_EQ(src->index(), n - 1);
    int last = v->model()->rowCount() - 1;
    EXPECT_EQ(v->model()->index(last, 0).data().toString(), "1000000");
    qtest::key(v->table(), Qt::Key_Up);
    EXPECT_EQ(src->index(), n - 2);
}

// A field that refuses to be left keeps the focus when the browse is clicked.
TEST(BrowseRun, ClickOnTheBrowseRespectsValid) {
    demo::List l;
    std::string code(4, ' ');
    l.d->edit(300, "Buscar:", ui::bindText(code, 4)).Row(0).Valid([&] {
        if (code.rfind("xx", 0) != 0) return true;
        l.d->refuse("Código inválido");
        return false;
    });
    l.d->initialFocus(300);
    l.d->start();
    DialogWindow w(*l.d);
    w.fitToScreen();
    qtest::showActive(&w);
    auto* edit = static_cast<QLineEdit*>(w.widgetOf(300));
    ASSERT_EQ(QApplication::focusWidget(), edit);
    qtest::type(edit, "xx");
    auto* v = w.browseOf(181);
    QRect r = v->table()->visualRect(v->model()->index(3, 1));
    qtest::click(v->table()->viewport(), r.center());
    EXPECT_EQ(QApplication::focusWidget(), edit);
    EXPECT_EQ(l.d->focused(), 300);
    EXPECT_EQ(l.current(), "10");  // the row did not move
    EXPECT_FALSE(w.statusLine()->text().isEmpty());
    edit->selectAll();
    qtest::type(edit, "ab");
    qtest::click(v->table()->viewport(), r.center());
    EXPECT_EQ(QApplication::focusWidget(), v->table());
    EXPECT_EQ(l.current(), "19");
    EXPECT_EQ(code, "ab  ");
}

}  // namespace

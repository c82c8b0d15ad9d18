// The dialog window over the form demo: layout, typing, VALID, WHEN, radio, check,
// combo, spinner, Escape, results, nesting and errors, all through the widgets.
#include <gtest/gtest.h>

#include <stdexcept>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QTimer>

#include "demo_screens.h"
#include "qt_helpers.h"
#include "ui/backend.h"
#include "ui/keys.h"
#include "ui/qt/dialog_window.h"

using ui::qt::DialogWindow;

namespace {

class FormWindow : public ::testing::Test {
protected:
    void SetUp() override {
        f.d->start();
        w = std::make_unique<DialogWindow>(*f.d);
        w->fitToScreen();
        qtest::showActive(w.get());
    }
    void TearDown() override { w.reset(); }

    template <class T>
    T* widget(int id) {
        auto* t = dynamic_cast<T*>(w->widgetOf(id));
        EXPECT_NE(t, nullptr) << "control " << id;
        return t;
    }
    QWidget* focus() { return QApplication::focusWidget(); }
    QPoint at(int id) { return w->widgetOf(id)->mapTo(w.get(), QPoint(0, 0)); }
    void typeCode(const QString& code) {
        auto* e = widget<QLineEdit>(173);
        e->setFocus();
        qtest::pump();
        qtest::type(e, code);
    }

    demo::Form f;
    std::unique_ptr<DialogWindow> w;
};

TEST_F(FormWindow, BuildsOneWidgetPerDeclaration) {
    auto* code = widget<QLineEdit>(173);
    EXPECT_EQ(code->maxLength(), 10);
    EXPECT_EQ(widget<QLineEdit>(174)->maxLength(), 40);
    EXPECT_EQ(w->promptOf(173)->text(), "Cuenta:");
    EXPECT_EQ(w->promptOf(185)->text(), "Saldo inicial:");
    auto* spin = widget<QSpinBox>(177);
    EXPECT_EQ(spin->minimum(), 0);
    EXPECT_EQ(spin->maximum(), 13);
    EXPECT_EQ(spin->value(), 3);
    auto* combo = widget<QComboBox>(178);
    EXPECT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(combo->itemText(1), "Dólares");
    EXPECT_TRUE(widget<QRadioButton>(182)->isChecked());
    EXPECT_FALSE(widget<QRadioButton>(184)->isChecked());
    EXPECT_EQ(widget<QRadioButton>(183)->text(), "Sub cuenta");
    EXPECT_EQ(widget<QCheckBox>(121)->text(), "Deudor");
    EXPECT_EQ(widget<QPushButton>(175)->text(), "OK");
    EXPECT_EQ(widget<QLabel>(190)->text(), "La descripción se habilita al ingresar la cuenta.");
    EXPECT_EQ(widget<QLineEdit>(180)->text(), "0.000");
    EXPECT_EQ(widget<QLineEdit>(180)->alignment() & Qt::AlignRight, Qt::AlignRight);
    EXPECT_EQ(widget<QLineEdit>(185)->text(), "");  // @Z: zero shows blank
    EXPECT_EQ(widget<QLineEdit>(179)->text(), "");  // the empty date
    EXPECT_EQ(w->windowTitle(), "MANTENIMIENTO PLAN DE CUENTAS");
    EXPECT_EQ(focus(), code);  // the initial focus
    QStringList frames;
    for (QGroupBox* g : w->findChildren<QGroupBox*>()) frames << g->title();
    EXPECT_TRUE(frames.contains("Nivel"));
    EXPECT_TRUE(frames.contains("Naturaleza del saldo"));
    EXPECT_EQ(frames.count("Nivel"), 1);  // the radio group is drawn as its frame, not boxed twice
}

TEST_F(FormWindow, LaysOutRowsPairsFramesAndButtons) {
    // prompts and fields of consecutive rows line up
    EXPECT_EQ(at(173).x(), at(174).x());
    EXPECT_EQ(at(178).x(), at(179).x());
    EXPECT_EQ(w->promptOf(173)->mapTo(w.get(), QPoint()).x(), w->promptOf(178)->mapTo(w.get(), QPoint()).x());
    // controls of one row stand side by side
    EXPECT_NEAR(at(178).y(), at(177).y(), 6);
    EXPECT_GT(at(177).x(), at(178).x() + w->widgetOf(178)->width());
    EXPECT_EQ(at(177).x(), at(180).x());  // the second pairs line up too
    // rows go down in order
    EXPECT_LT(at(173).y(), at(174).y());
    EXPECT_LT(at(174).y(), at(182).y());
    EXPECT_LT(at(182).y(), at(178).y());
    EXPECT_LT(at(179).y(), at(185).y());
    // frames that start on the same row stand side by side
    QWidget* nivel = w->widgetOf(181);
    QWidget* saldo = w->widgetOf(121)->parentWidget();
    EXPECT_NEAR(nivel->mapTo(w.get(), QPoint()).y(), saldo->mapTo(w.get(), QPoint()).y(), 2);
    EXPECT_LT(nivel->mapTo(w.get(), QPoint()).x(), saldo->mapTo(w.get(), QPoint()).x());
    // the buttons form the bottom row, right-aligned, in declaration order
    for (int id : {173, 174, 177, 178, 179, 180, 185, 190}) EXPECT_GT(at(175).y(), at(id).y()) << id;
    EXPECT_NEAR(at(175).y(), at(176).y(), 2);
    EXPECT_LT(at(175).x(), at(176).x());
    EXPECT_GT(at(176).x() + w->widgetOf(176)->width(), w->width() - 30);
    // small fields stay small
    EXPECT_LT(w->widgetOf(173)->width(), w->widgetOf(174)->width() / 2);
}

TEST_F(FormWindow, ValidRefusalKeepsTheFocusOnTheField) {
    auto* code = widget<QLineEdit>(173);
    ASSERT_EQ(focus(), code);
    qtest::key(code, Qt::Key_Tab);
    EXPECT_EQ(focus(), code);
    EXPECT_EQ(f.d->focused(), 173);
    EXPECT_GE(f.validRuns, 1);
    EXPECT_FALSE(w->statusLine()->text().isEmpty());
    EXPECT_EQ(w->statusLine()->text().toStdString(), f.d->lastRefusal());
    qtest::save(w.get(), "form-refusal");

    // a click elsewhere is refused the same way, and the radio does not change
    widget<QRadioButton>(184)->click();
    qtest::pump();
    EXPECT_EQ(f.level, "B");
    EXPECT_TRUE(widget<QRadioButton>(182)->isChecked());
    EXPECT_FALSE(widget<QRadioButton>(184)->isChecked());
    EXPECT_EQ(focus(), code);

    // focus moved by Qt itself (a click into another field) comes back
    auto* rate = widget<QLineEdit>(180);
    rate->setFocus(Qt::MouseFocusReason);
    qtest::pump();
    EXPECT_EQ(focus(), code);
    EXPECT_EQ(f.d->focused(), 173);

    // with a value the field is left, and the next field (enabled by it) gets the focus
    qtest::type(code, "10a");
    EXPECT_EQ(code->text(), "10A");  // the picture makes capitals
    qtest::key(code, Qt::Key_Tab);
    EXPECT_EQ(f.code, "10A       ");
    EXPECT_EQ(focus(), w->widgetOf(174));
    EXPECT_EQ(f.d->focused(), 174);
    EXPECT_TRUE(w->statusLine()->text().isEmpty());
}

TEST_F(FormWindow, InvalidNumberIsRefused) {
    typeCode("10");
    auto* rate = widget<QLineEdit>(180);
    rate->setFocus(Qt::MouseFocusReason);
    qtest::pump();
    ASSERT_EQ(f.d->focused(), 180);
    qtest::type(rate, "1.2.3");
    qtest::key(rate, Qt::Key_Tab);
    EXPECT_EQ(focus(), rate);
    EXPECT_EQ(f.d->focused(), 180);
    EXPECT_FALSE(w->statusLine()->text().isEmpty());
    rate->selectAll();
    qtest::type(rate, "3.5125");
    qtest::key(rate, Qt::Key_Backtab);
    EXPECT_EQ(f.rate, store::Decimal::of("3.513"));
    EXPECT_EQ(rate->text(), "3.513");  // shown again through the picture
    EXPECT_EQ(f.d->focused(), 179);    // Shift+Tab went back one
}

TEST_F(FormWindow, WhenEnablesAndDisablesAsValuesChange) {
    EXPECT_FALSE(w->widgetOf(174)->isEnabled());
    EXPECT_FALSE(w->promptOf(174)->isEnabled());
    EXPECT_FALSE(w->widgetOf(121)->isEnabled());
    EXPECT_FALSE(w->widgetOf(185)->isEnabled());
    typeCode("4011");
    EXPECT_FALSE(w->widgetOf(174)->isEnabled());  // re-evaluated when the field is taken
    widget<QRadioButton>(184)->click();  // Registro
    qtest::pump();
    EXPECT_EQ(f.level, "R");
    EXPECT_EQ(f.code, "4011      ");
    EXPECT_TRUE(w->widgetOf(174)->isEnabled());
    EXPECT_TRUE(w->widgetOf(121)->isEnabled());
    EXPECT_TRUE(w->widgetOf(122)->isEnabled());
    EXPECT_TRUE(w->widgetOf(185)->isEnabled());
    EXPECT_EQ(f.d->focused(), 181);
    EXPECT_EQ(focus(), w->widgetOf(184));  // the focus follows the dialog onto the option

    widget<QCheckBox>(121)->click();
    qtest::pump();
    EXPECT_TRUE(f.debit);
    EXPECT_TRUE(widget<QCheckBox>(121)->isChecked());
    EXPECT_FALSE(w->widgetOf(122)->isEnabled());  // interlocked
    widget<QCheckBox>(121)->click();
    qtest::pump();
    EXPECT_FALSE(f.debit);
    EXPECT_TRUE(w->widgetOf(122)->isEnabled());

    widget<QRadioButton>(182)->click();  // Balance
    qtest::pump();
    EXPECT_EQ(f.level, "B");
    EXPECT_FALSE(w->widgetOf(121)->isEnabled());
    EXPECT_FALSE(w->widgetOf(122)->isEnabled());
    EXPECT_FALSE(w->widgetOf(185)->isEnabled());
    EXPECT_FALSE(w->promptOf(185)->isEnabled());
}

TEST_F(FormWindow, ComboSpinnerAndDateGoThroughTheDialog) {
    typeCode("10");
    // Tab order follows the declarations: 173 174 181 121 122 178 177 179 180 185
    qtest::key(nullptr, Qt::Key_Tab);  // -> 174
    qtest::key(nullptr, Qt::Key_Tab);  // -> radio
    EXPECT_EQ(f.d->focused(), 181);
    qtest::key(nullptr, Qt::Key_Tab);  // 121 and 122 are disabled -> combo
    EXPECT_EQ(f.d->focused(), 178);
    auto* combo = widget<QComboBox>(178);
    EXPECT_EQ(focus(), combo);
    qtest::key(combo, Qt::Key_Down);
    EXPECT_EQ(f.currency, 2);
    EXPECT_EQ(combo->currentIndex(), 1);

    qtest::key(combo, Qt::Key_Return);  // Enter moves on like Tab
    auto* spin = widget<QSpinBox>(177);
    EXPECT_EQ(focus(), spin);
    qtest::key(spin, Qt::Key_Up);
    EXPECT_EQ(spin->value(), 4);
    qtest::key(spin, Qt::Key_Tab);
    EXPECT_EQ(f.month, 4);

    auto* date = widget<QLineEdit>(179);
    EXPECT_EQ(focus(), date);
    qtest::type(date, "15/03/12");
    qtest::key(date, Qt::Key_Tab);
    EXPECT_EQ(f.date, *store::Date::fromYmd(2012, 3, 15));
    EXPECT_EQ(date->text(), "15/03/2012");
}

TEST_F(FormWindow, ProgrammaticChangesReachTheWidgets) {
    typeCode("10");
    f.d->focus(180);
    f.d->show(185, false);
    f.d->setLabel(174, "Nombre:");
    f.rate = store::Decimal::of("3.25");
    f.d->refresh(180);
    w->sync();
    qtest::pump();
    EXPECT_EQ(focus(), w->widgetOf(180));
    EXPECT_FALSE(w->widgetOf(185)->isVisible());
    EXPECT_FALSE(w->promptOf(185)->isVisible());
    EXPECT_EQ(w->promptOf(174)->text(), "Nombre:");
    EXPECT_EQ(widget<QLineEdit>(180)->text(), "3.250");
    f.d->show(185, true);
    w->sync();
    EXPECT_TRUE(w->widgetOf(185)->isVisible());
}

TEST(DialogLayout, FramesCaptionedByTheirControl) {
    std::string a(10, ' '), b(10, ' ');
    ui::Dialog d("ASISTENTE", "INGRESO DE DOCUMENTOS");
    d.frame(150, "Doc. Ref / SPOT").Row(0);
    d.edit(151, "Número:", ui::bindText(a, 10)).Row(0).Group("Doc. Ref / SPOT");
    d.edit(152, "Serie:", ui::bindText(b, 10)).Row(0).Group("Doc. Ref / SPOT");
    d.frame(160, "PDB").Row(1);  // present, nothing inside
    d.button(166, " Help TC").Row(2);
    d.edit(167, "T.C.:", ui::bindText(b, 10)).Row(2);
    d.button(175, "OK");
    d.start();
    DialogWindow w(d);
    w.fitToScreen();
    qtest::showActive(&w);
    auto* box = dynamic_cast<QGroupBox*>(w.widgetOf(150));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->title(), "Doc. Ref / SPOT");
    EXPECT_TRUE(box->isAncestorOf(w.widgetOf(151)));
    EXPECT_TRUE(box->isAncestorOf(w.widgetOf(152)));
    EXPECT_NE(dynamic_cast<QGroupBox*>(w.widgetOf(160)), nullptr);
    qtest::save(&w, "frames");
    d.setLabel(150, "Referencia");
    d.show(160, false);
    w.sync();
    EXPECT_EQ(box->title(), "Referencia");
    EXPECT_FALSE(w.widgetOf(160)->isVisible());
    // a button that shares a row with a field stays beside it; the others go to the bottom
    auto y = [&](int id) { return w.widgetOf(id)->mapTo(&w, QPoint()).y(); };
    EXPECT_NEAR(y(166), y(167), 6);
    EXPECT_GT(y(175), y(167) + 10);
}

TEST(DialogLayout, TallFormsScrollInsideTheScreen) {
    std::vector<std::string> values(40, std::string(10, ' '));
    ui::Dialog d("DATOSI", "PARAMETROS ACTUALIZACION DE MONEDA EXTRANJERA");
    for (int i = 0; i < 40; ++i) d.edit(100 + i, "Campo " + std::to_string(i + 1) + ":", ui::bindText(values[i], 10)).Row(i);
    d.button(175, "OK");
    d.start();
    DialogWindow w(d);
    w.fitToScreen();
    qtest::showActive(&w);
    QRect screen = w.screen()->availableGeometry();
    EXPECT_LE(w.height(), screen.height());
    EXPECT_NE(w.findChild<QScrollArea*>(), nullptr);
    EXPECT_TRUE(w.widgetOf(175)->isVisible());
    EXPECT_LE(w.widgetOf(175)->mapTo(&w, QPoint()).y() + w.widgetOf(175)->height(), w.height());
}

// ---------------------------------------------------------------- run()

TEST(DialogRun, EscapeClosesWithResultZero) {
    demo::Form f;
    ui::keys::setLastEscape(false);
    qtest::whenModalTitled("MANTENIMIENTO PLAN DE CUENTAS", [](QWidget* m) { qtest::key(m->focusWidget(), Qt::Key_Escape); });
    EXPECT_EQ(ui::run(*f.d), 0);
    EXPECT_TRUE(ui::keys::lastEscape());
    EXPECT_EQ(f.validRuns, 0);  // Escape does not validate
}

TEST(DialogRun, CloseControlRefusedKeepsTheWindowOpen) {
    demo::Form f;
    int asked = 0;
    f.d->canClose = [&] { return ++asked > 2; };
    qtest::whenModalTitled("MANTENIMIENTO PLAN DE CUENTAS", [&](QWidget* m) {
        qtest::key(m->focusWidget(), Qt::Key_Escape);
        EXPECT_TRUE(m->isVisible());
        m->close();  // the close control
        EXPECT_TRUE(m->isVisible());
        EXPECT_EQ(asked, 2);
        m->close();
    });
    EXPECT_EQ(ui::run(*f.d), 0);
    EXPECT_EQ(asked, 3);
}

TEST(DialogRun, OkEndsWithItsNumberAndTheValuesTyped) {
    demo::Form f;
    qtest::whenModalTitled("MANTENIMIENTO PLAN DE CUENTAS", [](QWidget* m) {
        auto* dw = static_cast<DialogWindow*>(m);
        qtest::type(dw->widgetOf(173), "4011");
        static_cast<QPushButton*>(dw->widgetOf(175))->click();
    });
    EXPECT_EQ(ui::run(*f.d), 175);
    EXPECT_EQ(f.code, "4011      ");
    EXPECT_FALSE(ui::keys::lastEscape());
}

TEST(DialogRun, OkIsRefusedWhileTheFieldIsInvalid) {
    demo::Form f;
    bool stillOpen = false;
    qtest::whenModalTitled("MANTENIMIENTO PLAN DE CUENTAS", [&](QWidget* m) {
        auto* dw = static_cast<DialogWindow*>(m);
        static_cast<QPushButton*>(dw->widgetOf(175))->click();  // code blank: VALID refuses
        qtest::pump();
        stillOpen = m->isVisible();
        EXPECT_EQ(QApplication::focusWidget(), dw->widgetOf(173));
        static_cast<QPushButton*>(dw->widgetOf(176))->click();  // Cancela needs no VALID
    });
    EXPECT_EQ(ui::run(*f.d), 176);
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(ui::keys::lastEscape());
}

TEST(DialogRun, NestedDialogsRunOnTopOfEachOther) {
    demo::Confirm inner;
    int innerResult = -1;
    ui::Dialog outer("DATOSVOU", "DATOS DEL VOUCHER");
    std::string glosa(30, ' ');
    outer.edit(174, "Glosa:", ui::bindText(glosa, 30));
    outer.button(187, " Help TC", [&] { innerResult = ui::run(*inner.d); });
    outer.button(240, "Salir", [&] { outer.end(240); });
    qtest::whenModalTitled("DATOS DEL VOUCHER", [&](QWidget* m) {
        qtest::whenModalTitled("Procesar Mantenimiento de Archivos", [&](QWidget* in) {
            EXPECT_NE(in, m);
            static_cast<QPushButton*>(static_cast<DialogWindow*>(in)->widgetOf(175))->click();
        });
        static_cast<QPushButton*>(static_cast<DialogWindow*>(m)->widgetOf(187))->click();
        // back in the outer window once the inner one ended
        EXPECT_EQ(innerResult, 175);
        EXPECT_TRUE(m->isVisible());
        static_cast<QPushButton*>(static_cast<DialogWindow*>(m)->widgetOf(240))->click();
    });
    EXPECT_EQ(ui::run(outer), 240);
    EXPECT_EQ(innerResult, 175);
}

TEST(DialogRun, AnErrorInAnActionLeavesRunAsAnException) {
    ui::Dialog d("x", "FALLA");
    d.button(175, "OK", [] { throw std::runtime_error("archivo dañado"); });
    qtest::whenModalTitled("FALLA", [](QWidget* m) {
        static_cast<QPushButton*>(static_cast<DialogWindow*>(m)->widgetOf(175))->click();
    });
    try {
        ui::run(d);
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "archivo dañado");
    }
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace

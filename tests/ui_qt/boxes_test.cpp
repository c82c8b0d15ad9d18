// Message, yes/no and choice boxes, the input box, the transient notice, the lock
// wait and the cursors, answered through the windows they open.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "qt_helpers.h"
#include "ui/keys.h"
#include "ui/qt/boxes.h"
#include "ui/qt/qt_backend.h"

namespace {

ui::qt::QtBackend& be() { return qtest::backend(); }

bool isBox(QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; }

void clickLater(const QString& text, std::string picture = {}) {
    qtest::whenModal(isBox, [text, picture](QWidget* m) {
        if (!picture.empty()) qtest::save(m, picture);
        QAbstractButton* b = qtest::button(m, text);
        ASSERT_NE(b, nullptr) << text.toStdString();
        b->click();
    });
}

TEST(Boxes, MessageKindsTitlesAndTexts) {
    struct Case {
        ui::Box kind;
        QMessageBox::Icon icon;
    };
    for (Case c : {Case{ui::Box::Plain, QMessageBox::NoIcon}, Case{ui::Box::Info, QMessageBox::Information},
                   Case{ui::Box::Alert, QMessageBox::Warning}, Case{ui::Box::Stop, QMessageBox::Critical}}) {
        QMessageBox::Icon seen = QMessageBox::NoIcon;
        QString title, text;
        qtest::whenModal(isBox, [&](QWidget* m) {
            auto* box = qobject_cast<QMessageBox*>(m);
            seen = box->icon();
            title = box->windowTitle();
            text = box->text();
            if (c.kind == ui::Box::Alert) qtest::save(m, "box-alert");
            qtest::button(m, "Aceptar")->click();
        });
        ui::keys::setLastEscape(true);
        be().message(c.kind, "Atención", "Esta cuenta tiene movimiento\nsegunda línea");
        EXPECT_EQ(seen, c.icon);
        EXPECT_EQ(title, "Atención");
        EXPECT_EQ(text, "Esta cuenta tiene movimiento\nsegunda línea");
        EXPECT_FALSE(ui::keys::lastEscape());
    }
}

TEST(Boxes, MessageClosedWithEscape) {
    qtest::whenModal(isBox, [](QWidget* m) { qtest::key(m, Qt::Key_Escape); });
    be().message(ui::Box::Plain, "", "Debe ingresar una Código para que el registro se valide");
    EXPECT_TRUE(ui::keys::lastEscape());
}

TEST(Boxes, YesNoWithItsDefault) {
    QString defaultText;
    qtest::whenModal(isBox, [&](QWidget* m) {
        defaultText = qobject_cast<QMessageBox*>(m)->defaultButton()->text();
        qtest::save(m, "box-yesno");
        qtest::button(m, "&Sí")->click();
    });
    EXPECT_TRUE(be().yesNo(" ", "¿ Está seguro de querer borrar estos Voucher ?", false));
    EXPECT_EQ(defaultText, "&No");
    EXPECT_FALSE(ui::keys::lastEscape());

    qtest::whenModal(isBox, [&](QWidget* m) {
        defaultText = qobject_cast<QMessageBox*>(m)->defaultButton()->text();
        qtest::button(m, "&No")->click();
    });
    EXPECT_FALSE(be().yesNo("", "Por Código", true));
    EXPECT_EQ(defaultText, "&Sí");

    // Enter takes the default
    qtest::whenModal(isBox, [](QWidget* m) { qtest::key(m, Qt::Key_Return); });
    EXPECT_FALSE(be().yesNo("", "LA RUTA NO EXISTE SE PROCEDERA A CREARLA", false));
    qtest::whenModal(isBox, [](QWidget* m) { qtest::key(m, Qt::Key_Return); });
    EXPECT_TRUE(be().yesNo("", "LA RUTA NO EXISTE SE PROCEDERA A CREARLA", true));
}

TEST(Boxes, YesNoEscapedIsNo) {
    qtest::whenModal(isBox, [](QWidget* m) { qtest::key(m, Qt::Key_Escape); });
    EXPECT_FALSE(be().yesNo("", "¿ Seguro ?", true));
    EXPECT_TRUE(ui::keys::lastEscape());
}

TEST(Boxes, ChoiceReturnsTheButtonOrZero) {
    std::vector<std::string> four = {"Balance", "Re.Naturaleza", "Re.Función", "Ratios"};
    QStringList shown;
    qtest::whenModal(isBox, [&](QWidget* m) {
        for (QAbstractButton* b : qobject_cast<QMessageBox*>(m)->buttons()) shown << b->text();
        qtest::save(m, "box-choice");
        qtest::button(m, "Re.Función")->click();
    });
    EXPECT_EQ(be().choice(" ", "Listar", four), 3);
    EXPECT_EQ(shown.size(), 4);
    EXPECT_TRUE(shown.contains("Ratios"));
    EXPECT_FALSE(ui::keys::lastEscape());

    qtest::whenModal(isBox, [](QWidget* m) { m->close(); });  // the close control
    EXPECT_EQ(be().choice("Seleccionar", "Tipo de Operación", {"Registrar Documento", "Cancelar Documento"}), 0);
    EXPECT_TRUE(ui::keys::lastEscape());

    qtest::whenModal(isBox, [](QWidget* m) { qtest::key(m, Qt::Key_Escape); });
    EXPECT_EQ(be().choice(" ", "PROCEDE CON APERTURA", {"Si", "No"}), 0);

    clickLater("OK");
    EXPECT_EQ(be().choice("Attention", "DOCUMENTO DUPLICADO EN LIBROS", {"OK"}), 1);
}

ui::qt::InputBox* inputBox(QWidget* w) { return dynamic_cast<ui::qt::InputBox*>(w); }

TEST(Boxes, InputTextThroughThePicture) {
    QString initial;
    qtest::whenModal([](QWidget* w) { return inputBox(w); }, [&](QWidget* m) {
        auto* box = inputBox(m);
        initial = box->field()->text();
        box->field()->selectAll();
        qtest::type(box->field(), "caja chica");
        EXPECT_EQ(box->field()->text(), "CAJA C");  // upper case, six characters
        qtest::save(m, "box-input");
        qtest::button(m, "&Aceptar")->click();
    });
    auto v = be().input("Buscar por", "Código", store::Value("AB    "), 6, 0, "@!");
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(initial, "AB");
    EXPECT_EQ(v->text(), "CAJA C");
    EXPECT_FALSE(ui::keys::lastEscape());
}

TEST(Boxes, InputKeepsAccentsAsTableText) {
    qtest::whenModal([](QWidget* w) { return inputBox(w); }, [](QWidget* m) {
        qtest::type(inputBox(m)->field(), "Peña");
        qtest::key(inputBox(m)->field(), Qt::Key_Return);
    });
    auto v = be().input("Buscar por", "R.Social", store::Value(std::string(30, ' ')), 30, 0, "");
    ASSERT_TRUE(v.has_value());
    ASSERT_EQ(v->text().size(), 30u);
    EXPECT_EQ(v->text().substr(0, 4), std::string("Pe\xF1" "a"));  // Windows-1252, as the tables hold it
}

TEST(Boxes, InputDate) {
    QString initial;
    qtest::whenModal([](QWidget* w) { return inputBox(w); }, [&](QWidget* m) {
        auto* f = inputBox(m)->field();
        initial = f->text();
        f->selectAll();
        qtest::type(f, "01/02/11");
        qtest::button(m, "&Aceptar")->click();
    });
    auto v = be().input("Buscar por", "Fecha", store::Value(*store::Date::fromYmd(2012, 3, 15)), 10, 0, "");
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(initial, "15/03/2012");
    ASSERT_TRUE(v->isDate());
    EXPECT_EQ(v->date(), *store::Date::fromYmd(2011, 2, 1));
}

TEST(Boxes, InputNumberRefusesBadTextThenCancels) {
    bool stayed = false;
    QString error, initial;
    qtest::whenModal([](QWidget* w) { return inputBox(w); }, [&](QWidget* m) {
        auto* box = inputBox(m);
        initial = box->field()->text();
        box->field()->selectAll();
        qtest::type(box->field(), "12.3.4");
        qtest::button(m, "&Aceptar")->click();
        qtest::pump();
        stayed = m->isVisible();
        error = box->errorLine()->text();
        qtest::button(m, "&Cancelar")->click();
    });
    auto v = be().input("Limite", "Monto", store::Value(store::Decimal(0)), 12, 2, "");
    EXPECT_FALSE(v.has_value());
    EXPECT_TRUE(stayed);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(initial, "0.00");
    EXPECT_TRUE(ui::keys::lastEscape());

    qtest::whenModal([](QWidget* w) { return inputBox(w); }, [](QWidget* m) {
        inputBox(m)->field()->selectAll();
        qtest::type(inputBox(m)->field(), "1,500.256");
        qtest::key(inputBox(m)->field(), Qt::Key_Enter);
    });
    v = be().input("Limite", "Monto", store::Value(store::Decimal(0)), 12, 2, "");
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(v->num(), store::Decimal::of("1500.26"));
}

TEST(Boxes, TransientNoticeClosesItself) {
    QString text;
    bool frameless = false;
    qtest::whenModal([](QWidget* w) { return w->findChild<QLabel*>("aviso") != nullptr; }, [&](QWidget* m) {
        text = m->findChild<QLabel*>("aviso")->text();
        frameless = m->windowFlags() & Qt::FramelessWindowHint;
        qtest::save(m, "transient");
    });
    be().transient("", " Procesando Plan de Cuentas", 0.2);
    EXPECT_EQ(text, "Procesando Plan de Cuentas");
    EXPECT_TRUE(frameless);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

ui::qt::LockNotice* notice(QWidget* w) { return dynamic_cast<ui::qt::LockNotice*>(w); }

TEST(Boxes, LockPauseCanBeAbandoned) {
    bool offered = false;
    qtest::whenModal([](QWidget* w) { return notice(w); }, [&](QWidget* m) {
        offered = notice(m)->stopButton()->isVisible();
        qtest::save(m, "lock-wait");
        notice(m)->stopButton()->click();
    });
    EXPECT_FALSE(be().pause(60, true));  // would wait a minute if the button did nothing
    EXPECT_TRUE(offered);
}

TEST(Boxes, LockPauseEndsEarlyOnAKey) {
    bool offered = true;
    qtest::whenModal([](QWidget* w) { return notice(w); }, [&](QWidget* m) {
        offered = notice(m)->stopButton()->isVisible();
        qtest::key(m, Qt::Key_Space, Qt::NoModifier, " ");
    });
    EXPECT_TRUE(be().pause(60, false));
    EXPECT_FALSE(offered);
    // the notice stays up for the next retry, and goes when another window opens
    auto lockNotice = [] {
        for (QWidget* t : QApplication::topLevelWidgets())
            if (notice(t)) return t;
        return static_cast<QWidget*>(nullptr);
    };
    ASSERT_NE(lockNotice(), nullptr);
    EXPECT_TRUE(lockNotice()->isVisible());
    bool visibleUnderBox = true;
    qtest::whenModal(isBox, [&](QWidget* m) {
        visibleUnderBox = lockNotice()->isVisible();
        qtest::button(m, "Aceptar")->click();
    });
    be().message(ui::Box::Plain, "", "Registro obtenido");
    EXPECT_FALSE(visibleUnderBox);
}

TEST(Boxes, LockPauseRunsOut) {
    EXPECT_TRUE(be().pause(0.01, true));
    EXPECT_TRUE(be().pause(0, false));
}

TEST(Boxes, WaitCursorAndBeep) {
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    be().waitCursor(true);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    be().waitCursor(false);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    be().waitCursor(false);  // unbalanced: harmless
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    be().beep();
}

}  // namespace

// The report windows on Qt's offscreen platform: the preview shows every page and
// offers the PDF, the designer edits, checks and saves a template with its live
// preview.
#include "output/report/preview_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QEventLoop>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "support/files.h"

namespace {

using store::Type;
using store::Value;

// Runs `step` on the modal window once it is up (the windows under test run their own loops).
void whenModal(std::function<void(QWidget*)> step, QWidget* under = nullptr) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, step, under] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || w == under) return;
        timer->stop();
        timer->deleteLater();
        step(w);
    });
    timer->start(20);
}

// Lets the window's own timers run for a while.
void wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class ReportWindows : public ::testing::Test {
protected:
    void SetUp() override {
        store::Store::createTable(dir.file("data"), {{"CUENTA", Type::Char, 10, 0}, {"DES", Type::Char, 30, 0}});
        data = st.use(dir.file("data"), "vou2", false);
        for (int i = 0; i < 150; ++i) {
            ASSERT_TRUE(data->appendBlank());
            data->put("CUENTA", Value(std::to_string(1000 + i)));
            data->put("DES", Value("CUENTA " + std::to_string(i)));
        }
        run = [this](const report::Template& t) {
            data->goTop();
            return report::layout(t, *data, nullptr);
        };
    }
    testsupport::TempDir dir;
    store::Store st;
    store::WorkArea* data = nullptr;
    std::function<report::Document(const report::Template&)> run;
};

const char* const kTemplate = "band pageheader\n  text \"Cuenta\" at 0 width 20 bold\nband detail\n"
                              "  field data.CUENTA at 0 width 20\n  field data.DES at 20 width 50\n";

TEST_F(ReportWindows, ThePreviewShowsEveryPageAndOffersThePdf) {
    report::Document doc = run(report::parseTemplate(kTemplate, "t.qrt"));
    ASSERT_GE(doc.pages.size(), 2u);
    int pages = -1;
    bool pdf = false;
    QString title;
    whenModal([&](QWidget* w) {
        auto* dlg = qobject_cast<QPrintPreviewDialog*>(w);
        ASSERT_NE(dlg, nullptr);
        title = dlg->windowTitle();
        auto* view = dlg->findChild<QPrintPreviewWidget*>();
        QApplication::processEvents();
        pages = view ? view->pageCount() : -1;
        pdf = dlg->findChild<QAction*>() != nullptr;
        for (QAction* a : dlg->findChildren<QAction*>())
            if (a->text() == QStringLiteral("Guardar PDF")) pdf = true;
        dlg->reject();
    });
    report::QtReportViewer().preview("t", doc);
    EXPECT_EQ(title, QStringLiteral("Diseñador Taviron"));
    EXPECT_EQ(pages, static_cast<int>(doc.pages.size()));
    EXPECT_TRUE(pdf);
}

TEST_F(ReportWindows, TheDesignerStartsEmptyChecksAndSavesTheTemplate) {
    const std::string path = dir.file("nuevo.qrt");
    QString faulty, good;
    int pagesShown = 0;
    bool fieldsOffered = false;
    whenModal([&](QWidget* w) {
        auto* editor = w->findChild<QPlainTextEdit*>("plantilla");
        auto* status = w->findChild<QLabel*>("estado");
        auto* view = w->findChild<QPrintPreviewWidget*>("vista");
        auto* fields = w->findChild<QListWidget*>("campos");
        ASSERT_TRUE(editor && status && view && fields);
        EXPECT_TRUE(editor->toPlainText().isEmpty());
        fieldsOffered = fields->count() == 2 && fields->item(0)->text() == QStringLiteral("data.CUENTA");
        editor->setPlainText(QStringLiteral("band detail\n  field data.NOHAY at 0 width 10\n"));
        wait(600);  // the live preview follows the text after a pause
        faulty = status->text();
        editor->setPlainText(QString::fromUtf8(kTemplate));
        wait(600);
        good = status->text();
        pagesShown = view->pageCount();
        w->findChild<QPushButton*>("guardar")->click();
        w->findChild<QPushButton*>("cerrar")->click();  // saved: closes without asking
    });
    report::DesignFields f{{"CUENTA", "DES"}, {}};
    report::QtReportViewer().design(path, "nuevo", f, run);
    EXPECT_TRUE(fieldsOffered);
    EXPECT_NE(faulty.indexOf(QStringLiteral("nuevo.qrt:2")), -1) << faulty.toStdString();
    EXPECT_NE(good.indexOf(QStringLiteral("correcta")), -1) << good.toStdString();
    EXPECT_GE(pagesShown, 2);
    EXPECT_EQ(readFile(path), kTemplate);
}

TEST_F(ReportWindows, ClosingTheDesignerWithChangesAsks) {
    const std::string path = dir.file("t.qrt");
    testsupport::writeFile(path, kTemplate);
    bool asked = false;
    whenModal([&](QWidget* w) {
        auto* editor = w->findChild<QPlainTextEdit*>("plantilla");
        EXPECT_EQ(editor->toPlainText().toStdString(), kTemplate);
        editor->appendPlainText(QStringLiteral("# cambio"));
        whenModal(
            [&](QWidget* box) {
                auto* m = qobject_cast<QMessageBox*>(box);
                ASSERT_NE(m, nullptr);
                asked = m->text().contains(QStringLiteral("Guardar los cambios"));
                m->button(QMessageBox::No)->click();
            },
            w);
        w->findChild<QPushButton*>("cerrar")->click();
    });
    report::QtReportViewer().design(path, "t", {}, run);
    EXPECT_TRUE(asked);
    EXPECT_EQ(readFile(path), kTemplate);  // "No" keeps the file as it was
}

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

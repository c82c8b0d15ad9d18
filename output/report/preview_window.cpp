#include "output/report/preview_window.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "output/report/paint.h"
#include "output/report/pdf.h"

namespace report {

QString reportWindowTitle() { return QStringLiteral("Diseñador Taviron"); }

void printDocument(QPrinter& printer, const Document& doc) {
    printer.setFullPage(true);  // the layout has placed every text inside its margins
    printer.setPageLayout(pageLayout(doc));
    printer.setDocName(QString::fromStdString(doc.name));
    QPainter painter;
    if (!painter.begin(&printer)) return;
    const double unit = printer.resolution() / 25.4;
    int from = printer.fromPage(), to = printer.toPage();
    bool first = true;
    for (std::size_t p = 0; p < doc.pages.size(); ++p) {
        int number = static_cast<int>(p) + 1;
        if (from > 0 && (number < from || number > to)) continue;
        if (!first) printer.newPage();
        first = false;
        paintPage(painter, doc, p, unit);
    }
    painter.end();
}

namespace {

// "Guardar PDF" on a preview: asks where, then writes the document there.
void savePdfAs(QWidget* parent, const std::string& name, const Document& doc) {
    QString file = QFileDialog::getSaveFileName(parent, QStringLiteral("Guardar como PDF"),
                                                QString::fromStdString(name) + QStringLiteral(".pdf"),
                                                QStringLiteral("Documentos PDF (*.pdf)"));
    if (file.isEmpty()) return;
    if (!file.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) file += QStringLiteral(".pdf");
    try {
        writePdf(doc, file.toStdString());
    } catch (const std::runtime_error& e) {
        QMessageBox::warning(parent, reportWindowTitle(), QString::fromStdString(e.what()));
    }
}

void addPdfAction(QPrintPreviewDialog& dlg, const std::string& name, const Document& doc) {
    if (QToolBar* bar = dlg.findChild<QToolBar*>()) {
        bar->addSeparator();
        QAction* act = bar->addAction(QStringLiteral("Guardar PDF"));
        act->setObjectName(QStringLiteral("guardarPdf"));
        act->setToolTip(QStringLiteral("Guardar el reporte como documento PDF"));
        QObject::connect(act, &QAction::triggered, &dlg, [&dlg, name, &doc] { savePdfAs(&dlg, name, doc); });
    }
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The designer: the template text on the left, its fields below, the live preview on
// the right; "Guardar" writes the template under its name.
class Designer : public QDialog {
public:
    Designer(QWidget* parent, std::string path, const std::string& name, const DesignFields& fields,
             std::function<Document(const Template&)> run)
        : QDialog(parent), path_(std::move(path)), run_(std::move(run)) {
        setObjectName(QStringLiteral("disenador"));
        setWindowTitle(reportWindowTitle() + QStringLiteral(" - ") + QString::fromStdString(name));
        resize(1200, 800);
        editor_ = new QPlainTextEdit(this);
        editor_->setObjectName(QStringLiteral("plantilla"));
        editor_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        editor_->setLineWrapMode(QPlainTextEdit::NoWrap);
        editor_->setPlaceholderText(QStringLiteral(
            "Plantilla vacía. Ejemplo:\n\nband pageheader\n  text \"{var.VAR30}\" at 0 width 60 bold\n"
            "  text \"Página {page}\" at 80 width 20 align right\nband detail\n"
            "  field data.CUENTA at 0 width 20\n\nDoble clic en un campo de la lista lo agrega."));
        editor_->setPlainText(QString::fromUtf8(readFile(path_)));
        fields_ = new QListWidget(this);
        fields_->setObjectName(QStringLiteral("campos"));
        for (const auto& f : fields.data) fields_->addItem(QStringLiteral("data.") + QString::fromStdString(f));
        for (const auto& f : fields.var) fields_->addItem(QStringLiteral("var.") + QString::fromStdString(f));
        connect(fields_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
            editor_->insertPlainText(QStringLiteral("  field ") + item->text() + QStringLiteral(" at 0 width 20\n"));
        });
        status_ = new QLabel(this);
        status_->setObjectName(QStringLiteral("estado"));
        status_->setWordWrap(true);

        printer_.setFullPage(true);
        view_ = new QPrintPreviewWidget(&printer_, this);
        view_->setObjectName(QStringLiteral("vista"));
        connect(view_, &QPrintPreviewWidget::paintRequested, this,
                [this](QPrinter* p) { printDocument(*p, doc_); });

        auto* left = new QSplitter(Qt::Vertical);
        left->addWidget(editor_);
        left->addWidget(fields_);
        left->setStretchFactor(0, 4);
        auto* split = new QSplitter(Qt::Horizontal);
        split->addWidget(left);
        split->addWidget(view_);
        split->setStretchFactor(1, 1);

        auto* buttons = new QDialogButtonBox(this);
        save_ = buttons->addButton(QStringLiteral("Guardar"), QDialogButtonBox::AcceptRole);
        save_->setObjectName(QStringLiteral("guardar"));
        QPushButton* show = buttons->addButton(QStringLiteral("Vista previa"), QDialogButtonBox::ActionRole);
        show->setObjectName(QStringLiteral("vistaPrevia"));
        QPushButton* close = buttons->addButton(QStringLiteral("Cerrar"), QDialogButtonBox::RejectRole);
        close->setObjectName(QStringLiteral("cerrar"));
        // the box's roles would close the dialog: each button does its own work
        disconnect(buttons, nullptr, this, nullptr);
        connect(save_, &QPushButton::clicked, this, [this] { save(); });
        connect(show, &QPushButton::clicked, this, [this, name] {
            QtReportViewer(this).preview(name, doc_);
        });
        connect(close, &QPushButton::clicked, this, [this] { reject(); });

        auto* layout = new QVBoxLayout(this);
        layout->addWidget(split, 1);
        layout->addWidget(status_);
        layout->addWidget(buttons);

        timer_.setSingleShot(true);
        timer_.setInterval(400);
        connect(&timer_, &QTimer::timeout, this, [this] { refresh(); });
        connect(editor_, &QPlainTextEdit::textChanged, this, [this] { timer_.start(); });
        editor_->document()->setModified(false);
        refresh();
    }

    // Lays the text out again; a faulty template keeps the last good preview.
    void refresh() {
        try {
            Template tpl = parseTemplate(editor_->toPlainText().toStdString(), path_);
            doc_ = run_(tpl);
            status_->setText(QStringLiteral("Plantilla correcta: %1 página(s).").arg(doc_.pages.size()));
            status_->setStyleSheet(QString());
        } catch (const TemplateError& e) {
            status_->setText(QString::fromStdString(e.what()));
            status_->setStyleSheet(QStringLiteral("color: #b00020;"));
        } catch (const std::exception& e) {
            status_->setText(QString::fromStdString(e.what()));
            status_->setStyleSheet(QStringLiteral("color: #b00020;"));
        }
        view_->updatePreview();
    }

    bool save() {
        QSaveFile file(QString::fromStdString(path_));  // written whole or not at all
        QByteArray text = editor_->toPlainText().toUtf8();
        if (!text.isEmpty() && !text.endsWith('\n')) text += '\n';
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
            QMessageBox::warning(this, reportWindowTitle(),
                                 QStringLiteral("No se pudo guardar la plantilla %1: %2")
                                     .arg(QString::fromStdString(path_), file.errorString()));
            return false;
        }
        editor_->document()->setModified(false);
        status_->setText(QStringLiteral("Plantilla guardada en %1").arg(QString::fromStdString(path_)));
        return true;
    }

    void reject() override {
        if (editor_->document()->isModified()) {
            auto answer = QMessageBox::question(this, reportWindowTitle(),
                                                QStringLiteral("¿Guardar los cambios de la plantilla?"),
                                                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            if (answer == QMessageBox::Cancel) return;
            if (answer == QMessageBox::Yes && !save()) return;
        }
        QDialog::reject();
    }

private:
    std::string path_;
    std::function<Document(const Template&)> run_;
    Document doc_;
    QPrinter printer_{QPrinter::HighResolution};
    QPlainTextEdit* editor_;
    QListWidget* fields_;
    QLabel* status_;
    QPrintPreviewWidget* view_;
    QPushButton* save_;
    QTimer timer_;
};

}  // namespace

void QtReportViewer::preview(const std::string& name, const Document& doc) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    printer.setPageLayout(pageLayout(doc));
    printer.setDocName(QString::fromStdString(name));
    QPrintPreviewDialog dlg(&printer, parent_ ? parent_ : QApplication::activeWindow());
    dlg.setObjectName(QStringLiteral("vistaPreviaReporte"));
    dlg.setWindowTitle(reportWindowTitle());
    QObject::connect(&dlg, &QPrintPreviewDialog::paintRequested, &dlg, [&doc](QPrinter* p) { printDocument(*p, doc); });
    addPdfAction(dlg, name, doc);
    dlg.resize(1000, 800);
    dlg.exec();
}

void QtReportViewer::design(const std::string& path, const std::string& name, const DesignFields& fields,
                            const std::function<Document(const Template&)>& run) {
    Designer dlg(parent_ ? parent_ : QApplication::activeWindow(), path, name, fields, run);
    dlg.exec();
}

}  // namespace report

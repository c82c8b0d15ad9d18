#include "output/qt/print_service.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStringList>

#include "output/system_error.h"

namespace output::qt {

// What the jobs of a PDF target share: the base name and how many files were written.
struct PdfState {
  std::string base;
  int written = 0;
};

namespace {

QString qs(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::string std8(const QString& s) { return s.toUtf8().toStdString(); }

// The file of the n-th job (1-based) of a PDF target: "x.pdf", "x-2.pdf", ...
std::string numberedFile(const std::string& base, int n) {
  if (n <= 1) return base;
  std::size_t slash = base.find_last_of('/');
  std::size_t dot = base.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot == slash + 1)
    return base + "-" + std::to_string(n);
  return base.substr(0, dot) + "-" + std::to_string(n) + base.substr(dot);
}

// The margins of a PDF page: the printable area lies 10 mm inside each edge of an A4 sheet.
constexpr double kPdfMargin = 10.0;

bool fixedPitchName(const QString& face) {
  static const char* const kNames[] = {"courier", "mono", "consol", "lucida console", "fixedsys",
                                       "terminal", "typewriter"};
  for (const char* n : kNames)
    if (face.contains(QLatin1String(n), Qt::CaseInsensitive)) return true;
  return false;
}

// The installed family for a face: the face itself when installed (whatever its case), a
// fixed-pitch family for a fixed-pitch face that is missing, otherwise the face as given (the
// font system then puts its own substitute).
QString resolveFamily(const QString& face) {
  const QStringList families = QFontDatabase::families();
  for (const QString& f : families)
    if (f.compare(face, Qt::CaseInsensitive) == 0) return f;
  if (!fixedPitchName(face)) return face;
  static const char* const kFixed[] = {"Liberation Mono", "DejaVu Sans Mono", "Noto Sans Mono",
                                       "Noto Mono", "FreeMono", "Nimbus Mono PS"};
  for (const char* want : kFixed)
    for (const QString& f : families)
      if (f.compare(QLatin1String(want), Qt::CaseInsensitive) == 0) return f;
  for (const QString& f : families)
    if (QFontDatabase::isFixedPitch(f)) return f;
  return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
}

class QtPrintDevice : public PrintDevice {
 public:
  // printer: ready for the printer target; nullptr for the PDF target (pdf set). problem: a
  // failure known beforehand, reported by open().
  QtPrintDevice(std::unique_ptr<QPrinter> printer, std::shared_ptr<PdfState> pdf, std::string problem)
      : printer_(std::move(printer)), pdf_(std::move(pdf)), problem_(std::move(problem)) {}

  ~QtPrintDevice() override { discard(); }

  platform::Status open(const std::string& documentName) override {
    if (!problem_.empty()) return platform::Status::failure(problem_);
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
      return platform::Status::failure("No se puede imprimir: el programa no tiene su parte gráfica iniciada.");
    if (pdf_) {
      target_ = numberedFile(pdf_->base, pdf_->written + 1);
      auto temp = detail::createTemp(target_);
      if (!temp) return temp.status();
      temp_ = std::move(temp).value();
      ::close(temp_.fd);
      temp_.fd = -1;
      printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
      printer_->setOutputFormat(QPrinter::PdfFormat);
      printer_->setOutputFileName(qs(temp_.name));
      printer_->setPageSize(QPageSize(QPageSize::A4));
      printer_->setPageOrientation(QPageLayout::Portrait);
      printer_->setPageMargins(QMarginsF(kPdfMargin, kPdfMargin, kPdfMargin, kPdfMargin), QPageLayout::Millimeter);
    }
    printer_->setDocName(qs(documentName));
    printer_->setCreator(QStringLiteral("QRX2012"));
    area_ = printer_->pageRect(QPrinter::DevicePixel).toRect();
    if (area_.width() <= 0 || area_.height() <= 0) {
      dropTemp();
      return platform::Status::failure("La impresora no informa el tamaño de su página.");
    }
    return {};
  }

  int pageWidth() const override { return area_.width(); }
  int pageHeight() const override { return area_.height(); }

  platform::Status addFont(const std::string& face, double points) override {
    const QString name = qs(face).trimmed();
    QFont font(resolveFamily(name));
    font.setPointSizeF(points);
    if (fixedPitchName(name)) {
      font.setStyleHint(QFont::TypeWriter);
      font.setFixedPitch(true);
    }
    fonts_.push_back(font);
    return {};
  }

  platform::Status beginPage() override {
    if (!painter_.isActive()) {
      if (!painter_.begin(printer_.get())) return failed(pdf_ ? "No se puede escribir la impresión en el archivo \"" + target_ + "\"."
                                                          : "No se puede iniciar la impresión en \"" + printerName() + "\".");
      defaultFont_ = painter_.font();
    } else if (!printer_->newPage()) {
      return failed("No se puede comenzar una página nueva en \"" + destination() + "\".");
    }
    return {};
  }

  platform::Status text(int x, int y, std::string_view utf8, int font) override {
    painter_.setFont(font >= 0 && font < static_cast<int>(fonts_.size()) ? fonts_[static_cast<std::size_t>(font)]
                                                                      : defaultFont_);
    const int ascent = painter_.fontMetrics().ascent();
    painter_.drawText(QPoint(x, y + ascent),
                      QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
    return {};
  }

  platform::Status endPage() override { return {}; }

  platform::Status finish() override {
    if (!painter_.isActive()) {  // no pages: nothing to send
      dropTemp();
      return {};
    }
    if (!painter_.end() || printer_->printerState() == QPrinter::Error)
      return failed("No se puede terminar la impresión en \"" + destination() + "\".");
    if (pdf_) {
      if (::rename(temp_.name.c_str(), target_.c_str()) != 0) {
        int error = errno;
        dropTemp();
        return detail::systemFailure("No se puede escribir la impresión en el archivo", target_, error);
      }
      temp_.name.clear();
      ++pdf_->written;
    }
    return {};
  }

  void discard() override {
    if (painter_.isActive()) {
      printer_->abort();
      painter_.end();
    }
    dropTemp();
  }

 private:
  std::string printerName() const { return printer_ ? std8(printer_->printerName()) : std::string(); }
  std::string destination() const { return pdf_ ? target_ : printerName(); }

  platform::Status failed(std::string message) {
    discard();
    return platform::Status::failure(std::move(message));
  }

  void dropTemp() { detail::dropTemp(temp_); }

  std::unique_ptr<QPrinter> printer_;
  std::shared_ptr<PdfState> pdf_;
  std::string problem_;
  std::string target_;
  detail::TempFile temp_;
  QPainter painter_;
  QRect area_;
  std::vector<QFont> fonts_;
  QFont defaultFont_;
};

}  // namespace

bool hasDisplay() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return false;
  const QString platform = QGuiApplication::platformName();
  return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal") &&
         platform != QLatin1String("minimalegl");
}

QtPrintService::QtPrintService(std::string pdfFile, Target target) : pdfFile_(std::move(pdfFile)), target_(target) {}

QtPrintService::~QtPrintService() = default;

bool QtPrintService::printsToPdf() const {
  switch (target_) {
    case Target::Pdf: return true;
    case Target::Printer: return false;
    case Target::Automatic: return !hasDisplay();
  }
  return false;
}

std::string QtPrintService::nextPdfFile() const {
  return numberedFile(pdfFile_, (pdfState_ ? pdfState_->written : 0) + 1);
}

std::string QtPrintService::chosenPrinter() const { return chosen_ ? std8(chosen_->printerName()) : std::string(); }

platform::Result<bool> QtPrintService::choosePrinter() {
  if (printsToPdf()) {
    if (pdfFile_.empty())
      return platform::Status::failure("No hay una pantalla para elegir la impresora.");
    return platform::Status::failure("No hay impresora que elegir: las impresiones se escriben en el archivo \"" +
                                     nextPdfFile() + "\".");
  }
  if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
    return platform::Status::failure("No hay una pantalla para elegir la impresora.");
  if (QPrinterInfo::availablePrinterNames().isEmpty())
    return platform::Status::failure("No hay ninguna impresora instalada.");
  auto printer = chosen_ ? std::make_unique<QPrinter>(QPrinterInfo::printerInfo(chosen_->printerName()),
                                                      QPrinter::HighResolution)
                         : std::make_unique<QPrinter>(QPrinter::HighResolution);
  if (chosen_) {
    printer->setPageLayout(chosen_->pageLayout());
    printer->setCopyCount(chosen_->copyCount());
    printer->setDuplex(chosen_->duplex());
    printer->setColorMode(chosen_->colorMode());
  }
  QPrintDialog dialog(printer.get(), QApplication::activeWindow());
  dialog.setWindowTitle(QStringLiteral("Selección de Impresora"));
  dialog.setOptions(QAbstractPrintDialog::PrintShowPageSize);
  if (dialog.exec() != QDialog::Accepted) return false;
  chosen_ = std::move(printer);
  return true;
}

std::unique_ptr<PrintDevice> QtPrintService::newDevice() {
  if (printsToPdf()) {
    if (pdfFile_.empty())
      return std::make_unique<QtPrintDevice>(
          nullptr, nullptr, "No hay una pantalla desde la que imprimir ni un archivo donde escribir la impresión.");
    if (!pdfState_) pdfState_ = std::make_shared<PdfState>();
    pdfState_->base = pdfFile_;
    return std::make_unique<QtPrintDevice>(nullptr, pdfState_, std::string());
  }
  const QStringList available = QPrinterInfo::availablePrinterNames();
  if (available.isEmpty())
    return std::make_unique<QtPrintDevice>(nullptr, nullptr, "No hay ninguna impresora instalada.");
  std::unique_ptr<QPrinter> printer;
  if (chosen_) {
    const QString name = chosen_->printerName();
    if (!available.contains(name))
      return std::make_unique<QtPrintDevice>(nullptr, nullptr, "La impresora \"" + std8(name) + "\" no está disponible.");
    printer = std::make_unique<QPrinter>(QPrinterInfo::printerInfo(name), QPrinter::HighResolution);
    printer->setPageLayout(chosen_->pageLayout());
    printer->setCopyCount(chosen_->copyCount());
    printer->setDuplex(chosen_->duplex());
    printer->setColorMode(chosen_->colorMode());
  } else {
    const QPrinterInfo standard = QPrinterInfo::defaultPrinter();
    if (standard.isNull())
      return std::make_unique<QtPrintDevice>(nullptr, nullptr, "No hay una impresora predeterminada; elija una con \"Selección de Impresora\".");
    printer = std::make_unique<QPrinter>(standard, QPrinter::HighResolution);
  }
  return std::make_unique<QtPrintDevice>(std::move(printer), nullptr, std::string());
}

}  // namespace output::qt

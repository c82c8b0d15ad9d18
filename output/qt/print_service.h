#pragma once

// The print service on Qt: jobs go to a printer through QPrinter and QPainter, or, where there
// is no display to print from, into a PDF file.
//
// Printer target: the printer chosen in the selection dialog (remembered while the service
// lives) or else the system's default printer. PDF target: A4 portrait pages with a printable
// area 10 mm inside each edge, in the file named when the service is made; the first job writes that file, the following jobs of the same service write the same
// name with "-2", "-3", ... before the extension, so that no job replaces another's pages. Each
// file is written under a temporary name next to it and appears only when its job ends.
//
// Needs a QGuiApplication for the jobs and a QApplication for the selection dialog.

#include <memory>
#include <string>

#include "output/printer.h"

class QPrinter;

namespace output::qt {

struct PdfState;

class QtPrintService : public PrintService {
 public:
  enum class Target {
    Automatic,  // the printer when there is a display, else the PDF file
    Printer,
    Pdf,
  };

  explicit QtPrintService(std::string pdfFile = {}, Target target = Target::Automatic);
  ~QtPrintService() override;

  platform::Result<bool> choosePrinter() override;
  std::unique_ptr<PrintDevice> newDevice() override;

  // Whether the jobs go to the PDF file (decided at every job for the automatic target).
  bool printsToPdf() const;
  // The file the next job writes on the PDF target.
  std::string nextPdfFile() const;
  // The printer chosen in the dialog; empty while none was chosen.
  std::string chosenPrinter() const;

 private:
  std::string pdfFile_;
  Target target_;
  std::shared_ptr<PdfState> pdfState_;
  std::unique_ptr<QPrinter> chosen_;
};

// Whether the program runs with a display on which a dialog can be shown.
bool hasDisplay();

}  // namespace output::qt

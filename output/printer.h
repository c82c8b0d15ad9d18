#pragma once

// Direct page printing: the print job with which a voucher sheet goes straight to the printer,
// and the choice of the printer (the toolbar's printer button).
//
// A job runs in this order: begin(document name) -> resolutions and fonts -> for each page
// startPage(), say()..., endPage() -> end(), which sends the pages. Positions are in device
// units of the printable area, the origin at its top left corner; a text's position is the top
// left corner of its first character. Texts are UTF-8 (table bytes are converted by the caller).
//
// The job does not draw by itself: it asks the installed print service for a device (the Qt
// one prints on the chosen or default printer, or writes a PDF file when there is no display)
// and keeps the order of the calls. Every failure comes back as a Spanish message; after a
// failure the job is closed and every later call returns that same failure.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace output {

// The drawing side of one job, provided by a print service. The job calls it in order only:
// open, then pageWidth/pageHeight/addFont at any time, beginPage/text.../endPage per page, and
// finish or discard at the end.
class PrintDevice {
 public:
  virtual ~PrintDevice() = default;

  // Finds the printer (or the target file) and names the job; shows no dialog.
  virtual platform::Status open(const std::string& documentName) = 0;
  // Size of the printable area in device units.
  virtual int pageWidth() const = 0;
  virtual int pageHeight() const = 0;
  // Adds a font; fonts are numbered from 0 in the order added.
  virtual platform::Status addFont(const std::string& face, double points) = 0;
  virtual platform::Status beginPage() = 0;
  // font: a number given by addFont, or -1 for the printer's default font.
  virtual platform::Status text(int x, int y, std::string_view utf8, int font) = 0;
  virtual platform::Status endPage() = 0;
  // Sends the pages; a job without pages sends nothing. On failure nothing is sent and what
  // was drawn is dropped.
  virtual platform::Status finish() = 0;
  // Drops what was drawn; nothing is sent.
  virtual void discard() = 0;
};

class PrintService {
 public:
  virtual ~PrintService() = default;
  // The system's printer selection dialog; the printer chosen serves the jobs that follow, for
  // the rest of the session. true when a printer was chosen, false when the dialog was cancelled.
  virtual platform::Result<bool> choosePrinter() = 0;
  // A device for a new job.
  virtual std::unique_ptr<PrintDevice> newDevice() = 0;
};

// The service in force; installed once at start-up (or by a test). nullptr uninstalls.
void installPrintService(std::shared_ptr<PrintService> service);
bool hasPrintService();

// The toolbar's printer selection, through the installed service.
platform::Result<bool> choosePrinter();

// A font created for one job; valid only in that job.
class PrintFont {
 public:
  PrintFont() = default;

 private:
  friend class PrintJob;
  PrintFont(unsigned long job, int index) : job_(job), index_(index) {}
  unsigned long job_ = 0;
  int index_ = -1;
};

class PrintJob {
 public:
  // A job on a device of the installed service.
  PrintJob();
  // A job on the given device (nullptr: no device, begin() fails).
  explicit PrintJob(std::unique_ptr<PrintDevice> device);
  ~PrintJob();  // a job that was not ended is dropped: nothing is sent
  PrintJob(const PrintJob&) = delete;
  PrintJob& operator=(const PrintJob&) = delete;

  // Starts the job under the document name, without a print dialog.
  platform::Status begin(const std::string& documentName);

  // Height and width of the page's printable area in device units; 0 when the job is not open.
  int verticalResolution() const;
  int horizontalResolution() const;

  // A font bound to this job, such as face "COURIER NEW" at 8 points. A face that is not
  // installed is replaced by a similar one (a fixed-pitch face for a fixed-pitch name).
  platform::Result<PrintFont> createFont(const std::string& face, double points);

  platform::Status startPage();
  // The text at row (vertical) and column (horizontal), in device units; without a font, in
  // the printer's default font.
  platform::Status say(int row, int column, std::string_view text,
                       std::optional<PrintFont> font = std::nullopt);
  platform::Status endPage();
  // Ends the open page, if any, and sends the job.
  platform::Status end();

  bool isOpen() const { return state_ == State::Open || state_ == State::InPage; }
  int pagesStarted() const { return pages_; }

 private:
  enum class State { Idle, Open, InPage, Ended, Failed };
  platform::Status fail(platform::Status failure);
  platform::Status check(bool needPage) const;

  std::unique_ptr<PrintDevice> device_;
  State state_ = State::Idle;
  platform::Status failure_;
  unsigned long serial_;
  int fonts_ = 0;
  int pages_ = 0;
};

}  // namespace output

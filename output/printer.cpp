#include "output/printer.h"

#include <atomic>
#include <utility>

namespace output {

namespace {

std::shared_ptr<PrintService>& installed() {
  static std::shared_ptr<PrintService> service;
  return service;
}

std::atomic<unsigned long> nextSerial{1};

const char* const kNoService = "No hay un servicio de impresión instalado.";

}  // namespace

void installPrintService(std::shared_ptr<PrintService> service) { installed() = std::move(service); }

bool hasPrintService() { return installed() != nullptr; }

platform::Result<bool> choosePrinter() {
  if (!installed()) return platform::Status::failure(kNoService);
  return installed()->choosePrinter();
}

PrintJob::PrintJob() : PrintJob(installed() ? installed()->newDevice() : nullptr) {}

PrintJob::PrintJob(std::unique_ptr<PrintDevice> device)
    : device_(std::move(device)), serial_(nextSerial++) {}

PrintJob::~PrintJob() {
  if (isOpen() && device_) device_->discard();
}

platform::Status PrintJob::fail(platform::Status failure) {
  if (isOpen() && device_) device_->discard();
  state_ = State::Failed;
  failure_ = failure;
  return failure;
}

platform::Status PrintJob::check(bool needPage) const {
  switch (state_) {
    case State::Failed: return failure_;
    case State::Idle: return platform::Status::failure("La impresión no ha comenzado.");
    case State::Ended: return platform::Status::failure("La impresión ya terminó.");
    case State::Open:
      if (needPage) return platform::Status::failure("No hay una página abierta en la impresión.");
      return {};
    case State::InPage: return {};
  }
  return {};
}

platform::Status PrintJob::begin(const std::string& documentName) {
  if (state_ == State::Failed) return failure_;
  if (state_ != State::Idle) return platform::Status::failure("La impresión ya comenzó.");
  if (!device_) return fail(platform::Status::failure(kNoService));
  platform::Status opened = device_->open(documentName);
  if (!opened) {
    // the device never opened: nothing to drop
    state_ = State::Failed;
    failure_ = opened;
    return opened;
  }
  state_ = State::Open;
  return {};
}

int PrintJob::verticalResolution() const { return isOpen() ? device_->pageHeight() : 0; }

int PrintJob::horizontalResolution() const { return isOpen() ? device_->pageWidth() : 0; }

platform::Result<PrintFont> PrintJob::createFont(const std::string& face, double points) {
  if (platform::Status s = check(false); !s) return s;
  if (face.find_first_not_of(' ') == std::string::npos)
    return platform::Status::failure("Falta el nombre de la fuente.");
  if (!(points > 0) || points > 1000)
    return platform::Status::failure("El tamaño de la fuente debe estar entre 0 y 1000 puntos.");
  if (platform::Status s = device_->addFont(face, points); !s) return fail(s);
  return PrintFont(serial_, fonts_++);
}

platform::Status PrintJob::startPage() {
  if (platform::Status s = check(false); !s) return s;
  if (state_ == State::InPage)
    return platform::Status::failure("La página anterior de la impresión no ha terminado.");
  if (platform::Status s = device_->beginPage(); !s) return fail(s);
  state_ = State::InPage;
  ++pages_;
  return {};
}

platform::Status PrintJob::say(int row, int column, std::string_view text,
                               std::optional<PrintFont> font) {
  if (platform::Status s = check(true); !s) return s;
  int index = -1;
  if (font) {
    if (font->job_ != serial_ || font->index_ < 0 || font->index_ >= fonts_)
      return platform::Status::failure("La fuente no pertenece a esta impresión.");
    index = font->index_;
  }
  if (platform::Status s = device_->text(column, row, text, index); !s) return fail(s);
  return {};
}

platform::Status PrintJob::endPage() {
  if (platform::Status s = check(true); !s) return s;
  if (platform::Status s = device_->endPage(); !s) return fail(s);
  state_ = State::Open;
  return {};
}

platform::Status PrintJob::end() {
  if (platform::Status s = check(false); !s) return s;
  if (state_ == State::InPage) {
    if (platform::Status s = endPage(); !s) return s;
  }
  platform::Status sent = device_->finish();
  if (!sent) {
    // finish() has released what it held
    state_ = State::Failed;
    failure_ = sent;
    return sent;
  }
  state_ = State::Ended;
  return {};
}

}  // namespace output

// The order of a print job's calls, on a device that records what reaches it.
#include "output/printer.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Log {
    std::vector<std::string> calls;
    std::string failOn;  // the call that fails, by name
    std::string joined() const {
        std::string out;
        for (const auto& c : calls) out += c + ";";
        return out;
    }
};

class RecordingDevice : public output::PrintDevice {
public:
    explicit RecordingDevice(std::shared_ptr<Log> log) : log_(std::move(log)) {}
    platform::Status open(const std::string& name) override { return note("open " + name, "open"); }
    int pageWidth() const override { return 1320; }
    int pageHeight() const override { return 660; }
    platform::Status addFont(const std::string& face, double points) override {
        return note("font " + face + " " + std::to_string(static_cast<int>(points)), "font");
    }
    platform::Status beginPage() override { return note("page", "page"); }
    platform::Status text(int x, int y, std::string_view t, int font) override {
        return note("text " + std::to_string(x) + "," + std::to_string(y) + " " + std::string(t) + " f" +
                        std::to_string(font),
                    "text");
    }
    platform::Status endPage() override { return note("endpage", "endpage"); }
    platform::Status finish() override { return note("finish", "finish"); }
    void discard() override { log_->calls.push_back("discard"); }

private:
    platform::Status note(std::string call, const std::string& kind) {
        log_->calls.push_back(std::move(call));
        if (log_->failOn == kind) return platform::Status::failure("falla de " + kind);
        return {};
    }
    std::shared_ptr<Log> log_;
};

class RecordingService : public output::PrintService {
public:
    std::shared_ptr<Log> log = std::make_shared<Log>();
    int chosen = 0;
    platform::Result<bool> choosePrinter() override { return ++chosen == 1; }
    std::unique_ptr<output::PrintDevice> newDevice() override { return std::make_unique<RecordingDevice>(log); }
};

struct Installed {
    std::shared_ptr<RecordingService> service = std::make_shared<RecordingService>();
    Installed() { output::installPrintService(service); }
    ~Installed() { output::installPrintService(nullptr); }
};

}  // namespace

TEST(PrintJob, AWholeJobReachesTheDeviceInOrder) {
    Installed in;
    {
        output::PrintJob job;
        EXPECT_EQ(job.verticalResolution(), 0);
        ASSERT_TRUE(job.begin("IMPRESION"));
        EXPECT_EQ(job.verticalResolution(), 660);
        EXPECT_EQ(job.horizontalResolution(), 1320);
        auto courier = job.createFont("COURIER NEW", 8);
        ASSERT_TRUE(courier) << courier.message();
        ASSERT_TRUE(job.startPage());
        ASSERT_TRUE(job.say(0, 0, "EMPRESA"));
        ASSERT_TRUE(job.say(80, 110, "1011", courier.value()));
        ASSERT_TRUE(job.endPage());
        ASSERT_TRUE(job.startPage());
        ASSERT_TRUE(job.say(90, 10, "Tot."));
        ASSERT_TRUE(job.end());  // ends the open page too
        EXPECT_EQ(job.pagesStarted(), 2);
        EXPECT_FALSE(job.isOpen());
    }
    EXPECT_EQ(in.service->log->joined(),
              "open IMPRESION;font COURIER NEW 8;page;text 0,0 EMPRESA f-1;text 110,80 1011 f0;endpage;page;"
              "text 10,90 Tot. f-1;endpage;finish;");
}

TEST(PrintJob, CallsOutOfOrderAreRefusedWithAMessage) {
    // Each case: what to do before the checked call, the checked call, and the message expected.
    using Step = std::function<platform::Status(output::PrintJob&)>;
    auto begin = [](output::PrintJob& j) { return j.begin("IMPRESION"); };
    auto page = [](output::PrintJob& j) { return j.startPage(); };
    auto say = [](output::PrintJob& j) { return j.say(1, 1, "x"); };
    auto endPage = [](output::PrintJob& j) { return j.endPage(); };
    auto end = [](output::PrintJob& j) { return j.end(); };
    auto font = [](output::PrintJob& j) { return j.createFont("COURIER NEW", 8).status(); };
    struct Case {
        const char* name;
        std::vector<Step> before;
        Step call;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"page before begin", {}, page, "La impresión no ha comenzado."},
        {"text before begin", {}, say, "La impresión no ha comenzado."},
        {"font before begin", {}, font, "La impresión no ha comenzado."},
        {"end before begin", {}, end, "La impresión no ha comenzado."},
        {"begin twice", {begin}, begin, "La impresión ya comenzó."},
        {"text outside a page", {begin}, say, "No hay una página abierta en la impresión."},
        {"end of a page not started", {begin}, endPage, "No hay una página abierta en la impresión."},
        {"page inside a page", {begin, page}, page, "La página anterior de la impresión no ha terminado."},
        {"text after the end", {begin, page, end}, say, "La impresión ya terminó."},
        {"end twice", {begin, end}, end, "La impresión ya terminó."},
        {"begin after the end", {begin, end}, begin, "La impresión ya comenzó."},
    };
    for (const Case& c : cases) {
        Installed in;
        output::PrintJob job;
        for (const Step& s : c.before) ASSERT_TRUE(s(job)) << c.name;
        platform::Status got = c.call(job);
        EXPECT_FALSE(got.ok()) << c.name;
        EXPECT_EQ(got.message(), c.message) << c.name;
    }
}

TEST(PrintJob, FontsAreCheckedAndBoundToTheirJob) {
    Installed in;
    output::PrintJob first, second;
    ASSERT_TRUE(first.begin("IMPRESION"));
    ASSERT_TRUE(second.begin("IMPRESION"));
    EXPECT_EQ(first.createFont("   ", 8).message(), "Falta el nombre de la fuente.");
    EXPECT_FALSE(first.createFont("COURIER NEW", 0).ok());
    EXPECT_FALSE(first.createFont("COURIER NEW", -8).ok());
    auto mine = first.createFont("COURIER NEW", 8);
    ASSERT_TRUE(mine);
    ASSERT_TRUE(second.startPage());
    platform::Status foreign = second.say(1, 1, "x", mine.value());
    EXPECT_EQ(foreign.message(), "La fuente no pertenece a esta impresión.");
    EXPECT_EQ(second.say(1, 1, "x", output::PrintFont()).message(), "La fuente no pertenece a esta impresión.");
    EXPECT_TRUE(second.isOpen());  // a refused call does not end the job
}

TEST(PrintJob, ADeviceFailureClosesTheJobAndKeepsItsMessage) {
    for (const char* kind : {"open", "font", "page", "text", "finish"}) {
        Installed in;
        in.service->log->failOn = kind;
        output::PrintJob job;
        platform::Status last;
        last = job.begin("IMPRESION");
        if (last) last = job.createFont("COURIER NEW", 8).status();
        if (last) last = job.startPage();
        if (last) last = job.say(5, 5, "x");
        if (last) last = job.end();
        ASSERT_FALSE(last.ok()) << kind;
        const std::string expected = std::string("falla de ") + kind;
        EXPECT_EQ(last.message(), expected);
        EXPECT_FALSE(job.isOpen()) << kind;
        EXPECT_EQ(job.verticalResolution(), 0) << kind;
        EXPECT_EQ(job.startPage().message(), expected) << kind;
        EXPECT_EQ(job.end().message(), expected) << kind;
        const std::string calls = in.service->log->joined();
        // what was drawn is dropped, unless the device never opened or dropped it itself
        const bool dropped = calls.find("discard") != std::string::npos;
        EXPECT_EQ(dropped, std::string(kind) != "open" && std::string(kind) != "finish") << kind << ": " << calls;
    }
}

TEST(PrintJob, AJobNotEndedIsDroppedAndAJobWithoutPagesEndsCleanly) {
    Installed in;
    {
        output::PrintJob job;
        ASSERT_TRUE(job.begin("IMPRESION"));
        ASSERT_TRUE(job.startPage());
    }
    EXPECT_EQ(in.service->log->joined(), "open IMPRESION;page;discard;");
    in.service->log->calls.clear();
    output::PrintJob empty;
    ASSERT_TRUE(empty.begin("IMPRESION"));
    EXPECT_TRUE(empty.end());
    EXPECT_EQ(empty.pagesStarted(), 0);
    EXPECT_EQ(in.service->log->joined(), "open IMPRESION;finish;");
}

TEST(PrintJob, WithoutAServiceTheCallsSayWhy) {
    output::installPrintService(nullptr);
    EXPECT_FALSE(output::hasPrintService());
    output::PrintJob job;
    EXPECT_EQ(job.begin("IMPRESION").message(), "No hay un servicio de impresión instalado.");
    EXPECT_EQ(job.startPage().message(), "No hay un servicio de impresión instalado.");
    EXPECT_EQ(output::choosePrinter().message(), "No hay un servicio de impresión instalado.");
}

TEST(PrintJob, ThePrinterChoiceGoesToTheInstalledService) {
    Installed in;
    auto first = output::choosePrinter();
    ASSERT_TRUE(first);
    EXPECT_TRUE(first.value());
    auto second = output::choosePrinter();
    ASSERT_TRUE(second);
    EXPECT_FALSE(second.value());
    EXPECT_EQ(in.service->chosen, 2);
}

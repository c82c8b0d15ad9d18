// The Qt print service on the offscreen platform: jobs written as PDF files and read back with
// poppler's tools (pdfinfo, pdftotext, pdffonts).
#include "output/qt/print_service.h"

#include <gtest/gtest.h>

#include "support/readers.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <QPrinterInfo>

#include "support/files.h"

namespace {

using testsupport::run;

namespace fs = std::filesystem;
using output::qt::QtPrintService;


std::string quoted(const std::string& path) { return "'" + path + "'"; }

struct Word {
    int page;
    double xMin, yMin, xMax, yMax;
    std::string text;
};

struct Boxes {
    std::vector<std::pair<double, double>> pages;  // width, height in points
    std::vector<Word> words;
    const Word* find(const std::string& text, int page) const {
        for (const Word& w : words)
            if (w.text == text && w.page == page) return &w;
        return nullptr;
    }
};

// Every word of the file with its box, as pdftotext -bbox reports them.
Boxes boxes(const std::string& pdf) {
    Boxes b;
    const std::string html = run("pdftotext -bbox " + quoted(pdf) + " -");
    static const std::regex page(R"re(<page width="([0-9.]+)" height="([0-9.]+)">)re");
    static const std::regex word(
        R"re(<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="([0-9.]+)" yMax="([0-9.]+)">([^<]*)</word>)re");
    std::istringstream lines(html);
    std::string line;
    std::smatch m;
    while (std::getline(lines, line)) {
        if (std::regex_search(line, m, page)) b.pages.emplace_back(std::stod(m[1]), std::stod(m[2]));
        else if (std::regex_search(line, m, word))
            b.words.push_back({static_cast<int>(b.pages.size()), std::stod(m[1]), std::stod(m[2]), std::stod(m[3]),
                               std::stod(m[4]), m[5]});
    }
    return b;
}

std::vector<std::string> pagesText(const std::string& pdf) {
    std::string text = run("pdftotext -layout " + quoted(pdf) + " -");
    std::vector<std::string> pages;
    std::size_t start = 0, ff;
    while ((ff = text.find('\f', start)) != std::string::npos) {
        pages.push_back(text.substr(start, ff - start));
        start = ff + 1;
    }
    return pages;
}

std::string infoField(const std::string& pdf, const std::string& field) {
    std::smatch m;
    const std::string info = run("pdfinfo " + quoted(pdf));
    if (std::regex_search(info, m, std::regex(field + R"(:\s+([^\n]*))"))) return m[1];
    return "(" + field + " missing) " + info;
}

struct Installed {
    std::shared_ptr<QtPrintService> service;
    explicit Installed(std::shared_ptr<QtPrintService> s) : service(std::move(s)) {
        output::installPrintService(service);
    }
    ~Installed() { output::installPrintService(nullptr); }
};

// The voucher grid: 66 rows by 132 columns over the printable area, counted from 1.
struct Grid {
    int v, h;
    int row(int r) const { return (r - 1) * v / 66; }
    int col(int c) const { return (c - 1) * h / 132; }
};

}  // namespace

TEST(QtPrint, TwoPagesOfTextsReadBackFromThePdf) {
    testsupport::TempDir dir;
    const std::string pdf = dir.file("voucher.pdf");
    Installed in(std::make_shared<QtPrintService>(pdf));
    ASSERT_TRUE(in.service->printsToPdf());  // offscreen: no display to print from

    output::PrintJob job;
    platform::Status begun = job.begin("IMPRESION");
    ASSERT_TRUE(begun) << begun.message();
    const Grid g{job.verticalResolution(), job.horizontalResolution()};
    // a portrait page of at least 150 device units per inch
    EXPECT_GT(g.h, 150 * 7);
    EXPECT_GT(g.v, 150 * 10);
    EXPECT_GT(static_cast<double>(g.h) / g.v, 0.6);
    EXPECT_LT(static_cast<double>(g.h) / g.v, 0.8);
    auto courierResult = job.createFont("COURIER NEW", 8);
    ASSERT_TRUE(courierResult) << courierResult.message();
    const output::PrintFont courier = courierResult.value();

    ASSERT_TRUE(job.startPage());
    ASSERT_TRUE(job.say(g.row(1), g.col(1), "COMERCIAL SUR S.A."));
    ASSERT_TRUE(job.say(g.row(3), g.col(20), "COMPROBANTES DE 01 COMPRAS NACION # 0001 DEL 15/01/2012"));
    ASSERT_TRUE(job.say(g.row(9), g.col(1), "1011", courier));
    ASSERT_TRUE(job.say(g.row(9), g.col(12), "1,500.00", courier));
    ASSERT_TRUE(job.say(g.row(9), g.col(116), "FINAL1", courier));
    ASSERT_TRUE(job.say(g.row(10), g.col(1), "iiiiiiiiii", courier));
    ASSERT_TRUE(job.say(g.row(11), g.col(1), "WWWWWWWWWW", courier));
    ASSERT_TRUE(job.say(g.row(12), g.col(1), "Compañía", courier));
    ASSERT_TRUE(job.endPage());
    ASSERT_TRUE(job.startPage());
    ASSERT_TRUE(job.say(g.row(1), g.col(1), "COMERCIAL SUR S.A."));
    ASSERT_TRUE(job.say(g.row(9), g.col(1), "Tot.S/. :", courier));
    ASSERT_TRUE(job.say(g.row(15), g.col(5), "Revisado Por:", courier));
    ASSERT_TRUE(job.endPage());
    EXPECT_FALSE(fs::exists(pdf));  // the file appears when the job is sent
    platform::Status sent = job.end();
    ASSERT_TRUE(sent) << sent.message();
    ASSERT_TRUE(fs::exists(pdf));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);  // no temporary left

    EXPECT_EQ(infoField(pdf, "Pages"), "2");
    EXPECT_EQ(infoField(pdf, "Title"), "IMPRESION");

    const std::vector<std::string> pages = pagesText(pdf);
    ASSERT_EQ(pages.size(), 2u);
    const std::string& p1 = pages[0];
    const std::string& p2 = pages[1];
    for (const char* want : {"COMERCIAL SUR S.A.", "COMPROBANTES DE 01 COMPRAS NACION # 0001 DEL 15/01/2012", "1011",
                             "1,500.00", "FINAL1", "Compañía"})
        EXPECT_NE(p1.find(want), std::string::npos) << want << "\n" << p1;
    for (const char* want : {"COMERCIAL SUR S.A.", "Tot.S/. :", "Revisado Por:"})
        EXPECT_NE(p2.find(want), std::string::npos) << want << "\n" << p2;
    EXPECT_EQ(p1.find("Revisado"), std::string::npos);
    EXPECT_EQ(p2.find("1,500.00"), std::string::npos);
    // rows top to bottom; the texts of row 9 on one line, left to right
    EXPECT_LT(p1.find("COMERCIAL"), p1.find("COMPROBANTES"));
    EXPECT_LT(p1.find("COMPROBANTES"), p1.find("1011"));
    const std::size_t r9 = p1.find("1011");
    const std::size_t eol = p1.find('\n', r9);
    EXPECT_LT(p1.find("1,500.00"), eol);
    EXPECT_LT(p1.find("FINAL1"), eol);
    EXPECT_LT(p1.find("1,500.00"), p1.find("FINAL1"));
    EXPECT_LT(p2.find("Tot.S/."), p2.find("Revisado"));

    // Positions: one scale (points per device unit) must explain the columns and the rows.
    const Boxes b = boxes(pdf);
    ASSERT_EQ(b.pages.size(), 2u);
    const Word* account = b.find("1011", 1);
    const Word* last = b.find("FINAL1", 1);
    const Word* thin = b.find("iiiiiiiiii", 1);
    const Word* wide = b.find("WWWWWWWWWW", 1);
    const Word* company = b.find("COMERCIAL", 1);
    const Word* total = b.find("Tot.S/.", 2);
    const Word* signed_ = b.find("Revisado", 2);
    ASSERT_TRUE(account && last && thin && wide && company && total && signed_);
    const double scale = (last->xMin - account->xMin) / (g.col(116) - g.col(1));
    EXPECT_GT(scale, 0);
    EXPECT_LE(scale * g.h, b.pages[0].first + 0.5);  // the printable area fits the page
    EXPECT_LE(scale * g.v, b.pages[0].second + 0.5);
    EXPECT_NEAR(company->xMin, account->xMin, 1.0);                                  // both at column 1
    EXPECT_NEAR(signed_->xMin - total->xMin, scale * (g.col(5) - g.col(1)), 1.0);    // columns 1 -> 5
    EXPECT_NEAR(wide->yMin - account->yMin, scale * (g.row(11) - g.row(9)), 1.0);    // rows 9 -> 11
    EXPECT_NEAR(signed_->yMin - total->yMin, scale * (g.row(15) - g.row(9)), 1.0);   // rows 9 -> 15
    EXPECT_NEAR(total->yMin, account->yMin, 1.0);                                    // row 9 on both pages
    EXPECT_GT(account->yMin, company->yMin);
    // the printable area of the PDF page lies 10 mm inside each edge of an A4 sheet, and a text
    // stands below and right of its position: row 1, column 1 is the top left corner of the area
    const double margin = 10.0 / 25.4 * 72;
    EXPECT_NEAR(b.pages[0].first, 595.3, 0.5);
    EXPECT_NEAR(b.pages[0].second, 841.9, 0.5);
    EXPECT_NEAR(scale * g.h, b.pages[0].first - 2 * margin, 1.0);
    EXPECT_NEAR(scale * g.v, b.pages[0].second - 2 * margin, 1.0);
    EXPECT_NEAR(company->xMin, margin, 1.5);
    EXPECT_NEAR(company->yMin, margin, 1.5);
    EXPECT_NEAR(account->yMin, margin + scale * g.row(9), 1.5);
    // fixed pitch at 8 points: ten thin and ten wide letters are equally wide, 10 x 0.6 x 8 points
    EXPECT_NEAR(thin->xMax - thin->xMin, wide->xMax - wide->xMin, 0.5);
    EXPECT_NEAR(wide->xMax - wide->xMin, 48.0, 4.0);
    EXPECT_GT(account->yMax - account->yMin, 6.0);
    EXPECT_LT(account->yMax - account->yMin, 12.0);

    const std::string fonts = run("pdffonts " + quoted(pdf));
    EXPECT_TRUE(std::regex_search(fonts, std::regex("Mono|Courier", std::regex::icase))) << fonts;
}

TEST(QtPrint, AnUnwritableTargetGivesTheMessageAndNoFile) {
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("plain"), "x");
    struct Case {
        std::string pdf;
        std::string message;
    };
    const std::vector<Case> cases = {
        {dir.file("missing/voucher.pdf"),
         "No se puede crear el archivo \"" + dir.file("missing/voucher.pdf") + "\": la carpeta no existe"},
        {dir.file("plain/voucher.pdf"),
         "No se puede crear el archivo \"" + dir.file("plain/voucher.pdf") + "\": una parte de la ruta no es una carpeta"},
    };
    for (const Case& c : cases) {
        Installed in(std::make_shared<QtPrintService>(c.pdf));
        output::PrintJob job;
        platform::Status begun = job.begin("IMPRESION");
        EXPECT_FALSE(begun.ok()) << c.pdf;
        EXPECT_EQ(begun.message(), c.message);
        EXPECT_EQ(job.startPage().message(), c.message);
        EXPECT_EQ(job.say(0, 0, "x").message(), c.message);
        EXPECT_EQ(job.end().message(), c.message);
        EXPECT_EQ(job.verticalResolution(), 0);
        EXPECT_FALSE(fs::exists(c.pdf));
    }
}

TEST(QtPrint, AJobWithoutPagesOrNotEndedWritesNothing) {
    testsupport::TempDir dir;
    Installed in(std::make_shared<QtPrintService>(dir.file("voucher.pdf")));
    {
        output::PrintJob empty;
        ASSERT_TRUE(empty.begin("IMPRESION"));
        EXPECT_GT(empty.verticalResolution(), 0);
        platform::Status ended = empty.end();
        EXPECT_TRUE(ended) << ended.message();
    }
    {
        output::PrintJob dropped;
        ASSERT_TRUE(dropped.begin("IMPRESION"));
        ASSERT_TRUE(dropped.startPage());
        ASSERT_TRUE(dropped.say(0, 0, "PERDIDO"));
    }
    EXPECT_TRUE(fs::is_empty(dir.path()));
    EXPECT_EQ(in.service->nextPdfFile(), dir.file("voucher.pdf"));  // neither job took the name
}

TEST(QtPrint, EachJobOfTheSessionWritesItsOwnFile) {
    testsupport::TempDir dir;
    Installed in(std::make_shared<QtPrintService>(dir.file("voucher.pdf"), QtPrintService::Target::Pdf));
    for (const char* sheet : {"VOUCHER 0002", "VOUCHER 0007"}) {
        output::PrintJob job;
        ASSERT_TRUE(job.begin("IMPRESION"));
        ASSERT_TRUE(job.startPage());
        ASSERT_TRUE(job.say(100, 100, sheet));
        ASSERT_TRUE(job.end());
    }
    EXPECT_EQ(in.service->nextPdfFile(), dir.file("voucher-3.pdf"));
    const std::vector<std::pair<std::string, std::string>> files = {{"voucher.pdf", "VOUCHER 0002"},
                                                                    {"voucher-2.pdf", "VOUCHER 0007"}};
    for (const auto& [name, text] : files) {
        const std::vector<std::string> pages = pagesText(dir.file(name));
        ASSERT_EQ(pages.size(), 1u) << name;
        EXPECT_NE(pages[0].find(text), std::string::npos) << name << ": " << pages[0];
    }
}

TEST(QtPrint, WithoutADisplayThePrinterCannotBeChosen) {
    testsupport::TempDir dir;
    Installed in(std::make_shared<QtPrintService>(dir.file("voucher.pdf")));
    auto chosen = output::choosePrinter();
    ASSERT_FALSE(chosen.ok());
    EXPECT_EQ(chosen.message(), "No hay impresora que elegir: las impresiones se escriben en el archivo \"" +
                                    dir.file("voucher.pdf") + "\".");
    EXPECT_EQ(in.service->chosenPrinter(), "");

    Installed nowhere(std::make_shared<QtPrintService>());
    EXPECT_EQ(output::choosePrinter().message(), "No hay una pantalla para elegir la impresora.");
    output::PrintJob job;
    EXPECT_EQ(job.begin("IMPRESION").message(),
              "No hay una pantalla desde la que imprimir ni un archivo donde escribir la impresión.");
}

TEST(QtPrint, WithoutPrintersThePrinterTargetSaysSo) {
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        GTEST_SKIP() << "this machine has printers; a job would really print";
    Installed in(std::make_shared<QtPrintService>(std::string(), QtPrintService::Target::Printer));
    EXPECT_FALSE(in.service->printsToPdf());
    EXPECT_EQ(output::choosePrinter().message(), "No hay ninguna impresora instalada.");
    output::PrintJob job;
    EXPECT_EQ(job.begin("IMPRESION").message(), "No hay ninguna impresora instalada.");
    EXPECT_EQ(job.startPage().message(), "No hay ninguna impresora instalada.");
}

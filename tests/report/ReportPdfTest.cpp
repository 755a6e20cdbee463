#include "app/data/ShiftExport.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace quelby {
namespace {

// The text of each page of a PDF file as pdftotext reads it; none when it cannot.
std::vector<std::string> PdfPages(const std::filesystem::path& pdf) {
    const auto text = pdf.string() + ".txt";
    if (std::system(("pdftotext '" + pdf.string() + "' '" + text + "'").c_str()) != 0) return {};
    std::vector<std::string> pages;
    const std::string all = test::ReadWholeFile(text);
    for (std::size_t start = 0, end = 0; (end = all.find('\f', start)) != std::string::npos;
         start = end + 1)
        pages.push_back(all.substr(start, end - start));
    return pages;
}

bool Has(const std::string& page, const std::string& text) {
    return page.find(text) != std::string::npos;
}

// quelby-cli writes both from the defaults, without a display: the report on legal paper in
// two pages, read back with pdftotext.
TEST(ReportPdf, cliWritesExportAndReportOfTheDefaults) {
    // install-deps.sh installs pdftotext (poppler-utils): without it this test fails, never skips.
    ASSERT_EQ(std::system("pdftotext -v >/dev/null 2>&1"), 0) << "pdftotext is missing";
    test::TempFolder folder;
    const auto txt = folder.path() / "shift.txt";
    const auto pdf = folder.path() / "cli.pdf";
    const std::string cli = QUELBY_CLI_PROGRAM;
    ASSERT_EQ(std::system((cli + " export - '" + txt.string() + "'").c_str()), 0);
    EXPECT_EQ(test::ReadWholeFile(txt), ShiftExportText(BuildDefaultData(), {}));
    // Nothing but the tool's own words: no remark of Qt's about the missing runtime folder.
    const auto err = folder.path() / "err.txt";
    const std::string report = " report - '" + pdf.string() + "' legal 2>'" + err.string() + "'";
    const std::string bare = "env -u DISPLAY -u QT_QPA_PLATFORM -u XDG_RUNTIME_DIR ";
    ASSERT_EQ(std::system((bare + cli + report).c_str()), 0);
    EXPECT_EQ(test::ReadWholeFile(err), "");
    const auto pages = PdfPages(pdf);
    ASSERT_EQ(pages.size(), 2u);
    // Where each text goes is the report layout's test; here that both pages are drawn.
    for (const char* text : {"QUELBY Report: [unnamed]", "CH17:", "Page 1"})
        EXPECT_TRUE(Has(pages[0], text)) << text;
    EXPECT_TRUE(Has(pages[1], "C. Last (previous) Shift Data"));

    // Without a paper named, the locale's: Letter where US units are used, A4 elsewhere.
    const auto info = folder.path() / "info.txt";
    for (const auto& [locale, size] : {std::pair{"en_US.UTF-8", "(letter)"},
                                       std::pair{"de_DE.UTF-8", "(A4)"}}) {
        const std::string run = "env -u DISPLAY -u QT_QPA_PLATFORM -u LC_MEASUREMENT LC_ALL=" +
                                std::string(locale) + " " + cli + " report - '" + pdf.string() +
                                "' && pdfinfo '" + pdf.string() + "' > '" + info.string() + "'";
        ASSERT_EQ(std::system(run.c_str()), 0) << locale;
        EXPECT_NE(test::ReadWholeFile(info).find(size), std::string::npos)
            << locale << ": " << test::ReadWholeFile(info);
    }
}

} // namespace
} // namespace quelby

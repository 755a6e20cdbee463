#include "app/data/GeneralDate.h"
#include "app/data/PrintedReport.h"
#include "app/data/ReportSurface.h"
#include "sim/ManualClock.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quelby {
namespace {

// A page of known metrics that records every call. A character is size/128 inch wide and a
// line size/64 inch high (12 points: 0.09375 and 0.1875), so positions add up exactly.
struct RecordingSurface : ReportSurface {
    struct Text {
        int page;
        double x, y;
        std::string text;
        ReportFont font;
    };
    struct Line {
        double x1, y1, x2, y2;
    };

    explicit RecordingSurface(double pageHeight) : height(pageHeight) {}
    double printableWidth() const override { return 8.0; }
    double printableHeight() const override { return height; }
    void setFont(const ReportFont& newFont) override { font = newFont; }
    double textWidth(const std::string& text) const override {
        return static_cast<double>(text.size()) * font.size / 128;
    }
    double textHeight(const std::string&) const override { return font.size / 64; }
    void drawText(double x, double y, const std::string& text) override {
        texts.push_back({page, x, y, text, font});
    }
    void drawLine(double x1, double y1, double x2, double y2) override {
        lines.push_back({x1, y1, x2, y2});
    }
    int pageNumber() const override { return page; }
    void newPage() override { ++page; }
    void endDocument() override { ++ends; }

    const Text* find(const std::string& text) const {
        const auto found = std::find_if(texts.begin(), texts.end(),
                                        [&](const Text& entry) { return entry.text == text; });
        return found == texts.end() ? nullptr : &*found;
    }
    std::vector<std::string> textsOnPage(int onPage) const {
        std::vector<std::string> result;
        for (const auto& entry : texts)
            if (entry.page == onPage) result.push_back(entry.text);
        return result;
    }

    double height;
    ReportFont font;
    std::vector<Text> texts;
    std::vector<Line> lines;
    int page = 1;
    int ends = 0;
};

constexpr double kTallPage = 14.0; // the whole set-up document fits
const std::string kSectionD = "D. PLS Configuration & Channel Setpoints";

struct ReportRun {
    explicit ReportRun(double height, MachineData data = BuildDefaultData()) : surface(height) {
        PrintReport(surface, clock, data, "[unnamed]");
    }
    bool onPage(const std::string& text, int page) const {
        const auto* found = surface.find(text);
        return found && found->page == page;
    }
    bool hasFooter(int page) const {
        const auto texts = surface.textsOnPage(page);
        return std::count(texts.begin(), texts.end(), "Page " + std::to_string(page)) == 1;
    }
    sim::ManualClock clock;
    RecordingSurface surface;
};

TEST(ReportLayout, defaultsOnTallPaperFillOnePageEachDocument) {
    ReportRun run(kTallPage);
    const auto& s = run.surface;
    ASSERT_EQ(s.page, 2);
    EXPECT_EQ(s.ends, 1);
    // Header: centred less half the margin, a rule one title height under it.
    const auto* title = s.find("QUELBY Report: [unnamed]");
    EXPECT_DOUBLE_EQ(title->x, (8.0 - 24 * 0.09375 - 0.5) / 2);
    EXPECT_DOUBLE_EQ(title->y, 0.1);
    EXPECT_EQ(title->font, (ReportFont{"Times", 12, true}));
    const auto& rule = s.lines.front();
    EXPECT_DOUBLE_EQ(rule.y1, 0.1 + 2 * 0.1875);
    EXPECT_EQ(std::vector<double>({rule.x1, rule.x2, rule.y2}),
              std::vector<double>({0.5, 7.5, rule.y1}));
    // Page 1 ends with the footer; the shift data page has none.
    EXPECT_TRUE(run.onPage(kSectionD, 1));
    EXPECT_TRUE(run.hasFooter(1));
    const auto* page = s.find("Page 1");
    EXPECT_DOUBLE_EQ(page->y, kTallPage - 10.0 / 64 - 0.1);
    EXPECT_DOUBLE_EQ(page->x, 8.0 - 0.5 - 6 * 10.0 / 128);
    EXPECT_EQ(page->font, (ReportFont{"Times", 10}));
    EXPECT_DOUBLE_EQ(s.find(GeneralDateText(run.clock.now()))->y, page->y);
    EXPECT_EQ(s.textsOnPage(2).front(), "QUELBY Report: [unnamed]");
    EXPECT_TRUE(run.onPage("Data Collection Counts (shift data)", 2));
    EXPECT_FALSE(run.hasFooter(2));
}

// Section D needs room for 29 item lines and 0.9 inch under the current position; when it
// is missing, D goes to a page of its own and the shift data to the next.
TEST(ReportLayout, pageCheckBreaksOnlyWhenTheNeededLinesDoNotFit) {
    const double leastHeight = ReportRun(kTallPage).surface.find(kSectionD)->y + 0.9 + 29 * 0.1875;
    EXPECT_TRUE(ReportRun(leastHeight + 0.01).onPage(kSectionD, 1));
    ReportRun run(leastHeight - 0.01);
    ASSERT_EQ(run.surface.page, 3);
    EXPECT_TRUE(run.onPage("C. DF1 Communication Set-up Parameters", 1));
    EXPECT_EQ(run.surface.textsOnPage(2).front(), "QUELBY Report: [unnamed]");
    EXPECT_TRUE(run.onPage(kSectionD, 2));
    EXPECT_DOUBLE_EQ(run.surface.find(kSectionD)->x, 0.75);
    EXPECT_TRUE(run.hasFooter(1) && run.hasFooter(2) && !run.hasFooter(3));
    EXPECT_TRUE(run.onPage("Data Collection Counts (shift data)", 3));
}

TEST(ReportLayout, valuesAndTheirPlaces) {
    MachineData data = BuildDefaultData();
    for (int k = 0; k < 24; ++k) {
        data.Value[static_cast<std::size_t>(31 + k)] = 100 + k; // current trips, sum 2676
        data.Value[static_cast<std::size_t>(61 + k)] = -1;      // last trips
    }
    data.Value[102] = -3; // any PLC type but 0 is an SLC-500
    data.Value[104] = 77; // the destination PLC's starting file
    data.SpeedComp[3] = 4;
    data.Setpoint[15] = {-5, 7};
    ReportRun run(kTallPage, data);
    const auto& s = run.surface;
    const auto valueEnd = [&](const std::string& text) {
        const auto* found = s.find(text);
        return found ? found->x + static_cast<double>(text.size()) * found->font.size / 128 : -1;
    };
    const auto* label = s.find("  1. Print Carriage Retract Response Time (msec): ");
    EXPECT_EQ(std::vector<double>({label->x, s.find(" 45")->y}),
              std::vector<double>({1.0, label->y}));
    EXPECT_DOUBLE_EQ(valueEnd(" 45"), 5.5);
    EXPECT_DOUBLE_EQ(valueEnd("SLC-500"), 5.5);
    const auto* fileNumber = s.find("  3. Destination PLC Starting File Number:");
    ASSERT_TRUE(fileNumber && s.find(" 77"));
    EXPECT_EQ(s.find(" 77")->y, fileNumber->y);
    EXPECT_DOUBLE_EQ(valueEnd(" 2676"), 4.0);
    EXPECT_DOUBLE_EQ(valueEnd("-24"), 4.0);
    const auto* row1 = s.find("01:  100");
    const auto* row13 = s.find("13:  112");
    ASSERT_TRUE(row1 && row13 && s.find("12: -1") && s.find("24: -1"));
    EXPECT_EQ(std::vector<double>({row1->x, row13->x, row13->y}),
              std::vector<double>({1.25, 3.25, row1->y}));
    for (const char* line : {"CH00:   20  -  60", "CH10:   0  -  180", "CH11:   0  -  0",
                             "CH17:  -5  -  7", "CH03 (msec):   4"})
        EXPECT_NE(s.find(line), nullptr) << line;
}

} // namespace
} // namespace quelby

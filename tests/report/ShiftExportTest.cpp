#include "app/data/ShiftExport.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <map>
#include <sys/resource.h>

namespace quelby {
namespace {

constexpr const char* kLegend =
    "(Good Can, Total Blow-off, Misloads, Manual Blow-offs, QC Blow-offs, Restart Blow-off)";

// The headings by line number (1-based); every other line from 6 on holds a value.
const std::map<int, std::string> kHeadings = {
    {3, " "},  {4, "Current Shift Data:"}, {5, kLegend},
    {12, " "}, {13, "Current Shift Trips per Spindle:"},
    {38, " "}, {39, "Last Shift Data:"},   {40, kLegend},
    {47, " "}, {48, "Last Shift Trips per Spindle"},
};

// The file as it should be: the name and date lines, then the headings with data points
// 25..30, 31..54, 55..60 and 61..84 on the lines between them (6-11, 14-37, 41-46, 49-72);
// CR LF after each line.
std::string ExpectedExport(const std::string& name, const std::string& date,
                           const std::function<std::string(int point)>& valueText) {
    std::string text = name + "\r\n" + date + "\r\n";
    for (int line = 3, point = 25; line <= 72; ++line)
        text += (kHeadings.count(line) ? kHeadings.at(line) : valueText(point++)) + "\r\n";
    return text;
}

TEST(ShiftExport, eachValueLineCarriesItsDataPoint) {
    MachineData data = BuildDefaultData();
    for (int i = 0; i < kDataPointCount; ++i)
        data.Value[static_cast<std::size_t>(i)] = i;
    data.Value[40] = -5;
    EXPECT_EQ(ShiftExportText(data, {"LINE3.sdt", "1/5/2026 8:03:09 AM"}),
              ExpectedExport("LINE3.sdt", "Date: 1/5/2026 8:03:09 AM", [](int point) {
                  return point == 40 ? "-5" : " " + std::to_string(point);
              }));
    // A fresh data set without a name or date.
    EXPECT_EQ(ShiftExportText(BuildDefaultData(), {}),
              ExpectedExport("untitled", "Date: ", [](int) { return " 0"; }));
}

// A file size limit makes the write fail part-way, as a full disk does.
TEST(ShiftExport, writeFailureKeepsTheEarlierFileAndSaysWhy) {
    test::TempFolder folder;
    const auto file = folder.write("shift.txt", "earlier export");
    (void)std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto failure = ExportShiftData(file, BuildDefaultData(), {});
    setrlimit(RLIMIT_FSIZE, &saved);
    const std::string unchanged =
        "Nothing was exported; a file of that name from before is unchanged.";
    EXPECT_EQ(failure, (MessageRequest{"Export Shift Data",
                                       {"The shift data could not be exported to:", file.string(),
                                        "File too large.", "", unchanged},
                                       MessageButtons::OK,
                                       MessageIcon::Exclamation}));
    EXPECT_EQ(folder.read("shift.txt"), "earlier export");
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "shift.txt.tmp"));
}

} // namespace
} // namespace quelby

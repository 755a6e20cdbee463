#include "app/data/PrintedReport.h"

#include "app/data/PrintedNumber.h"
#include "app/data/ReportPage.h"
#include "link/TextCase.h"

#include <cstdint>
#include <iterator>
#include <string_view>
#include <numeric>

namespace quelby {
namespace {

constexpr const char* kResponseTimeLabels[] = {
    "  1. Print Carriage Retract Response Time (msec): ",
    "  2. Print Carriage Extend Response Time (msec): ",
    "  3. Varnish Unit Retract Response Time (msec): ",
    "  4. Varnish Unit Extend Response Time (msec): ",
    "  5. Number of Shifts to Varnish Unit: ",
};

constexpr const char* kBlowOffLabels[] = {
    "  1. Number of Pins to Pin Chain Blow-off Port:",
    "  2. Number of Cans from Infeed to Can PRX:",
    "  3. Number of Cans to Blow-off for Each Misload:",
    "  4. Number of Cans to Blow-off at Infeed Open:",
    "  5. Number of Cans to Blow-off from Print at Restart:",
    "  6. Number of Cans to Blow-off from Varnish at Restart:",
    "  7. Q.C. Can Blow-off Port Shift Offset:",
    "  8. Number of Segments on Blanket Wheel:",
    "  9. Bad Can Blow-off Solenoid ON Response Time (msec):",
    " 10. Bad Can Blow-off Solenoid Off Response Time (msec):",
    " 11. Q.C. Can Blow-off Solenoid ON Response Time (msec):",
    " 12. Q.C. Can Blow-off Solenoid Off Response Time (msec):",
};

constexpr const char* kShiftTotalLabels[] = {
    "1. Total Good Cans:",  "2. Total Blow-offs:", "3. Bad Can Blow-off:",
    "4. Manual Blow-offs:", "5. Q.C. Blow-offs:",  "6. Restart Blow-offs:",
};

std::string valueText(const MachineData& data, int index) {
    return PrintedNumber(PointValue(data, index));
}

// Channels are named in octal: CH00..CH07, CH10..CH17.
std::string channelName(int channel) {
    return channel < 8 ? "CH0" + std::to_string(channel) : "CH" + std::to_string(channel + 2);
}

// Every section title stands a quarter inch in from the margin, whether it follows a line of
// the page or the page header.
void sectionTitle(ReportPage& page, const std::string& title) {
    page.setX(kReportMargin + 0.25);
    page.setFont(kSectionStyle);
    page.printLine(title);
    page.setFont(kItemStyle);
}

void setupItems(ReportPage& page, const MachineData& data, const char* const* labels,
                int firstIndex, int count) {
    for (int k = 0; k < count; ++k)
        page.itemLine(labels[k], valueText(data, firstIndex + k), kSetupValueColumn);
    page.printLine();
}

void plsSection(ReportPage& page, const MachineData& data) {
    page.printLine();
    page.itemLine("1. Number of PLS Channels: ", PrintedNumber(data.PLSChannels),
                  kSetupValueColumn);
    page.itemLine("2. PLS Scale Factor: ", PrintedNumber(data.PLSScale), kSetupValueColumn);
    page.itemLine("3. PLS Program: ", PrintedNumber(data.PLSProgram), kSetupValueColumn);
    page.setX(kReportMargin + 0.5);
    page.printLine("4. Speed Compensation (advance): ");
    for (int k = 0; k < kSpeedCompCount; ++k) {
        page.setX(kReportMargin + 1.0);
        page.printLine(channelName(k) +
                       " (msec):  " + PrintedNumber(data.SpeedComp[static_cast<std::size_t>(k)]));
    }
    page.setX(kReportMargin + 0.5);
    page.printLine("5. Channel Setpoints (ON - OFF): ");
    for (int k = 0; k < kTimingChannelCount; ++k) {
        const auto& setpoint = data.Setpoint[static_cast<std::size_t>(k)];
        page.setX(kReportMargin + 1.0);
        page.printLine(channelName(k) + ":  " + PrintedNumber(setpoint[kOnSetpoint]) + "  - " +
                       PrintedNumber(setpoint[kOffSetpoint]));
    }
}

void setupDocument(ReportPage& page, const MachineData& data) {
    page.pageHeader();
    page.setFont(kDocumentTitleStyle);
    page.printLine("Set-up Parameters");
    page.printLine();

    sectionTitle(page, "A. Carriage/Varnish Response Times");
    setupItems(page, data, kResponseTimeLabels, 85, 5);

    page.pageCheck(false, 12);
    sectionTitle(page, "B. Blow-off Parameters");
    setupItems(page, data, kBlowOffLabels, 90, 12);

    page.pageCheck(false, 3);
    sectionTitle(page, "C. DF1 Communication Set-up Parameters");
    page.itemLine("  1. Allen-Bradley PLC Type:", PointValue(data, 102) == 0 ? "PLC-5" : "SLC-500",
                  kSetupValueColumn);
    page.itemLine("  2. Destination PLC Node Number:", valueText(data, 103), kSetupValueColumn);
    page.itemLine("  3. Destination PLC Starting File Number:", valueText(data, 104),
                  kSetupValueColumn);
    page.printLine();

    page.pageCheck(false, 29);
    sectionTitle(page, "D. PLS Configuration & Channel Setpoints");
    plsSection(page, data);

    page.pageFooterAndNewPage();
}

// B. or C. of the shift data document: the six totals from `firstTotal`, the trips of the 24
// spindles from `firstTrip` summed, then those trips in two columns of twelve.
void shiftSection(ReportPage& page, const MachineData& data, const std::string& title,
                  int firstTotal, int firstTrip) {
    page.pageCheck(false, 20);
    sectionTitle(page, title);
    for (int k = 0; k < 6; ++k)
        page.itemLine(kShiftTotalLabels[k], valueText(data, firstTotal + k), kShiftValueColumn);
    std::int64_t trips = 0;
    for (int k = 0; k < 24; ++k)
        trips += PointValue(data, firstTrip + k);
    page.itemLine("7. Trips Per Spindle:", PrintedNumber(trips), kShiftValueColumn);
    for (int row = 1; row <= 12; ++row) {
        page.setX(kReportMargin + 0.75);
        page.print((row < 10 ? "0" : "") + std::to_string(row) + ": " +
                   valueText(data, firstTrip - 1 + row));
        page.setX(kReportMargin + 2.75);
        page.printLine(std::to_string(row + 12) + ": " + valueText(data, firstTrip + 11 + row));
    }
    page.printLine();
}

void shiftDataDocument(ReportPage& page, const MachineData& data) {
    page.pageHeader();
    page.setFont(kDocumentTitleStyle);
    page.printLine("Data Collection Counts (shift data)");
    page.printLine();

    sectionTitle(page, "A. Trips Per Spindle");
    page.itemLine("1. Spindle No.1 Trip Shift Offset:", valueText(data, 0), kShiftValueColumn);
    page.printLine();

    shiftSection(page, data, "B. Current Shift Data", 25, 31);
    shiftSection(page, data, "C. Last (previous) Shift Data", 55, 61);
}

} // namespace

std::string SetupParameterName(int field) {
    constexpr int responseTimes = static_cast<int>(std::size(kResponseTimeLabels));
    constexpr int blowOffs = static_cast<int>(std::size(kBlowOffLabels));
    if (field < 0 || field >= responseTimes + blowOffs) return {};
    const std::string_view label = field < responseTimes
                                       ? kResponseTimeLabels[field]
                                       : kBlowOffLabels[field - responseTimes];
    // "  5. Number of Shifts to Varnish Unit: " without its number and colon
    const std::string_view name = label.substr(label.find(". ") + 2);
    return std::string(TrimmedOf(name, ": "));
}

void PrintReport(ReportSurface& surface, Clock& clock, const MachineData& data,
                 const std::string& caption) {
    ReportPage page(surface, clock, caption);
    setupDocument(page, data);
    shiftDataDocument(page, data);
    surface.endDocument();
}

} // namespace quelby

#include "app/data/TargetBoardFaults.h"

#include "app/data/TransferValues.h"
#include "link/CodeDescriptionFile.h"
#include "link/HexDigits.h"

namespace quelby {
namespace {

constexpr char kQuote = '"';

std::string CodeCaption(const char* label, std::string_view code) {
    return std::string(label) + " Code = " + std::string(code) + "H";
}

} // namespace

std::string FaultCodeText(std::string_view textRead, bool commError) {
    if (commError) return kLinkFailureCode;
    return CodeHexText(ValueFromBoardText(textRead));
}

int FaultCodeValue(std::string_view code) {
    int value = 0;
    for (char c : code) {
        const int digit = HexDigitValue(c);
        if (digit < 0) break;
        value = (value << 4 | digit) & 0xFFFF;
    }
    return value;
}

std::string FaultEntryCaption(int entry, std::string_view code) {
    switch (entry) {
    case kCurrentFaultEntry:
        return CodeCaption("Current Fault:", code);
    case kLastFaultEntry:
        return CodeCaption("Last Fault:", code);
    case kCoCpuSlotEntry:
        return "CO-CPU Slot: " + std::to_string(FaultCodeValue(code));
    case kCurrentCommErrorEntry:
        return CodeCaption("Current Comm Error:", code);
    case kLastCommErrorEntry:
        return CodeCaption("Last Comm Error:", code);
    default:
        return {};
    }
}

std::string FaultEntryInitialCaption(int entry) {
    switch (entry) {
    case kCurrentFaultEntry:
        return "Current Fault:";
    case kLastFaultEntry:
        return "Last Fault:";
    case kCoCpuSlotEntry:
        return "CO-CPU Slot:";
    case kCorrectiveActionEntry:
        return "Corrective Action:";
    case kCurrentCommErrorEntry:
        return "Current Comm Error:";
    case kLastCommErrorEntry:
        return "Last Comm Error:";
    default:
        return {};
    }
}

std::string CorrectiveActionText(int code) {
    const int c = code & 0xFF;
    if (c >= 0x01 && c <= 0x3F)
        return std::string("Replace CO-CPU board at ") + kQuote + "CO-CPU Slot" + kQuote +
               " and try again.  " +
               "If fault persists, peplace R702 processor board and try again.  " +
               "If fault persists, verify proper use of " + kQuote + "sfunc05/06/12" + kQuote +
               " in user program.";
    if (c == 0x42)
        return std::string("Verify connection of cable between computer ") + kQuote + "COM" +
               kQuote + " port and target board " + kQuote + "PROG PORT" + kQuote + ".  Verify " +
               "cable wiring and connectors.  If fault persists, replace target board and/or " +
               "try a different computer.";
    if (c == 0x45)
        return std::string("User program executed an sfunc09() system fault function call.  See "
                           "User ") +
               "program for details on source of fault and corrective action.";
    if (c == 0x5C || c == 0x5D)
        return std::string(
                   "Program is invalid.  Re-dump program to target board.  If fault persists, ") +
               "verify cable connections between computer and target board.  If fault "
               "persists, " +
               "replace target board.";
    if (c >= 0x40 && c <= 0x7A)
        return std::string(
                   "Reset fault and try again.  If fault persists, replace target board and try ") +
               "again.  See Halbix Manual for more details.";
    return "None";
}

namespace TargetBoardMessages {

MessageRequest ConfirmResetFaults() {
    return {"WARNING - Fault Code Reset!",
            {"Target Board will be reinitialized.", "", "Do you wish to continue?"},
            MessageButtons::YesNoCancel,
            MessageIcon::Critical};
}

MessageRequest RunTimeError(const std::string& title, const std::error_code& error) {
    return {title,
            {"Error Number = " + std::to_string(error.value()), "", error.message()},
            MessageButtons::OK,
            MessageIcon::Information};
}

MessageRequest ClockNotHeld(bool time) {
    return {"Target Board Clock",
            {std::string("The target board does not hold the ") + (time ? "time" : "date") +
                 " that was sent.",
             "Check the board's clock and set it again."},
            MessageButtons::OK,
            MessageIcon::Exclamation};
}

} // namespace TargetBoardMessages
} // namespace quelby

#pragma once

#include "link/UserPrompt.h"

#include <array>
#include <string>
#include <string_view>
#include <system_error>

// What the Target Board Interface shows of the board's faults: the addresses read, the code
// texts and captions made from them, the corrective action for the last fault and the
// window's messages.
namespace quelby {

// The six reads of a fault pass, in order. Entry 3 reads the last fault again for the
// corrective action; entry 2 is the CO-CPU slot, which never counts as a fault.
inline constexpr std::array<const char*, 6> kFaultReadTable{"B8176", "B8177", "B8175",
                                                            "B8177", "B8179", "B8178"};
inline constexpr int kCurrentFaultEntry = 0;
inline constexpr int kLastFaultEntry = 1;
inline constexpr int kCoCpuSlotEntry = 2;
inline constexpr int kCorrectiveActionEntry = 3;
inline constexpr int kCurrentCommErrorEntry = 4;
inline constexpr int kLastCommErrorEntry = 5;
inline constexpr const char* kCoCpuSlotAddress = "B8175";

// The code every entry gets when the link has failed: it reads as a link fault (text B).
inline constexpr const char* kLinkFailureCode = "42";

// The board type whose CO-CPU slot is shown (the R702 processor board, "2").
inline constexpr int kCoCpuBoardType = 50;

// Reset Faults clears these addresses, in this order.
inline constexpr std::array<const char*, 4> kResetFaultWrites{"B8178", "B8179", "B8177", "B8176"};

// Shown in the fault and error fields while the board cannot be reached.
inline constexpr const char* kCannotCommunicate = "Cannot Communicate with Target Board.";

// The two-digit code of a value read: "42" after a link failure, else the value's
// upper-case hexadecimal digits, at least two ("05", "FF"). Never fails.
std::string FaultCodeText(std::string_view textRead, bool commError);
// The value of a code text read as hexadecimal; 0 for a text holding no hexadecimal digit.
int FaultCodeValue(std::string_view code);

// The caption of an entry's label for its code: "Current Fault: Code = 4AH", "Last Fault: ...",
// "CO-CPU Slot: " + the value in decimal, "Current Comm Error: ...", "Last Comm Error: ...".
// Empty for entry 3, which has no label of its own, and for entries outside 0..5.
std::string FaultEntryCaption(int entry, std::string_view code);
// The labels' captions before any code was read.
std::string FaultEntryInitialCaption(int entry);

// The corrective action for the last fault code `code` (0..255; other values as their low
// byte): one of the five texts, or "None". Never fails.
std::string CorrectiveActionText(int code);

namespace TargetBoardMessages {
// "Target Board will be reinitialized.", "", "Do you wish to continue?" (Yes/No/Cancel,
// critical icon) titled "WARNING - Fault Code Reset!".
MessageRequest ConfirmResetFaults();
// An error inside the fault pass ("TargetBoard FirstPass") or the window's opening
// ("InitializeForm"): "Error Number = n", "", description, information icon, OK.
MessageRequest RunTimeError(const std::string& title, const std::error_code& error);
inline constexpr const char* kFirstPassTitle = "TargetBoard FirstPass";
// Set to Current Time or Date wrote its three values but the board holds other ones:
// "Target Board Clock", exclamation icon, OK.
MessageRequest ClockNotHeld(bool time);
inline constexpr const char* kInitializeFormTitle = "InitializeForm";
} // namespace TargetBoardMessages

} // namespace quelby

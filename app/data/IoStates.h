#pragma once

#include <array>
#include <string>
#include <string_view>

// The target board's inputs, outputs, timing channel outputs and K650 values as the I/O
// states window shows them: the addresses it reads, its row captions and descriptions, and
// how a value read becomes a state.
namespace quelby {

// Read in this order on every online pass.
inline constexpr std::array<const char*, 15> kIoAddresses{
    "F16",  "F17",  "W162", "W164", "B166", "B167", "W180", "W182",
    "W184", "W186", "W188", "W170", "W100", "W110", "W120"};
// Entries 0 and 1 are single inputs, 2..10 values shown as read, 11..14 words of 16 states.
inline constexpr int kIoFirstValueEntry = 2;
inline constexpr int kIoFirstWordEntry = 11;
inline constexpr int kIoK650Rows = kIoFirstWordEntry;
inline constexpr int kIoBitsPerWord = 16;

// The four words of 16 states, in the order of their entries 11..14.
enum class IoWord { Timing, Slot00, Slot01, Slot02 };
inline constexpr std::array<IoWord, 4> kIoWords{IoWord::Timing, IoWord::Slot00, IoWord::Slot01,
                                                IoWord::Slot02};

inline constexpr const char* kIoOn = "ON";
inline constexpr const char* kIoOff = "off";
inline constexpr const char* kIoNoState = "-";

// Caption of a K650 row, entry 0..10 ("IN0:", "Analog Input 0:" ... "Offset:").
const char* IoK650Caption(int entry);
// Description of a K650 row: "Can/No Can Sensor" (IN0), "Spindle No.1 Sensor" (IN1), else "".
const char* IoK650Description(int entry);

// Caption of row `bit` (0..15) of a word: "CH00:".."CH07:", "CH10:".."CH17:" for the timing
// channels; the bit's byte address and terminal for a slot, "(B100.7)    7:", "(B101.0)  10:".
std::string IoRowCaption(IoWord word, int bit);
// The description of row `bit`: the channel's or the terminal's use ("spare" where unused).
const char* IoRowDescription(IoWord word, int bit);
// The byte address of a bit of a word: bit 9 of W170 is "B171.1".
std::string IoBitAddress(IoWord word, int bit);

// State of a single input: on when the numeric value of the text is 1.
bool IoInputOn(std::string_view text);
// State of bit `bit` of the whole number the text holds.
bool IoBitOn(std::string_view text, int bit);

} // namespace quelby

#include "app/data/IoStates.h"

#include "app/data/TransferValues.h"

#include <cstdint>

namespace quelby {
namespace {

constexpr const char* kK650Captions[kIoK650Rows] = {
    "IN0:",           "IN1:",          "Analog Input 0:", "Analog Input 1:",
    "Analog Output 0:", "Analog Output 1:", "Resolver POS:",   "Resolver RPM:",
    "Resolver Period:", "Scale Factor:",   "Offset:"};

constexpr const char* kTimingDescriptions[kIoBitsPerWord] = {
    "Print Carriage Trip",
    "Varnish Unit Trip",
    "Can/No Can Clock",
    "Damaged Can Blowoff (Lo) Timing",
    "Damaged Can (Hi) Timing",
    "Pin Chain (Bad Can) Blow-off Timing",
    "QC (Pick-N-Test) Blow-off Timing",
    "Can Gate Timing",
    "PLC Clock Timing",
    "spare",
    "spare",
    "spare",
    "spare",
    "spare",
    "spare",
    "spare",
};

constexpr const char* kSlot00Descriptions[kIoBitsPerWord] = {
    "Print Carriage Auto Mode",
    "Print Carriage Manual Mode",
    "Varnish Unit Auto Mode",
    "Varnish Unit Manual Mode",
    "Damaged Can Blow-off Auto Mode",
    "Damaged Can Blow-off Manual Mode",
    "Pin Chain Blow-off Manual",
    "Canfeed Open Enable",
    "Main Drive ON",
    "Alarm Reset",
    "Tach Mode (Remote Display)",
    "No Transfer Sensor",
    "Set-Up Enable",
    "End of Shift",
    "Spare",
    "Can Check Blow-off PB",
};

constexpr const char* kSlot01Descriptions[kIoBitsPerWord] = {
    "Can Check THSW (1)",
    "Can Check THSW (2)",
    "Can Check THSW (4)",
    "Can Check THSW (8)",
    "Can Check THSW (10)",
    "Can Check THSW (20)",
    "spare",
    "spare",
    "Remote Display (1)",
    "Remote Display (2)",
    "Remote Display (4)",
    "Remote Display (8)",
    "Remote Display (Strobe 1's)",
    "Remote Display (Strobe 10's)",
    "Remote Display (Strobe 100's)",
    "Remote Display (Strobe 1000's)",
};

constexpr const char* kSlot02Descriptions[kIoBitsPerWord] = {
    "Carriage Trip In SOL",
    "Carriage Trip Out SOL",
    "Varnish Trip In SOL",
    "Varnish Trip Out SOL",
    "Damaged Can Blow-off On SOL",
    "Damaged Can Blow-off Off SOL",
    "Pin Chain Blow-off On SOL",
    "Pin Chain Blow-off Off SOL",
    "Pick-N-Test Blow-off On SOL",
    "Pick-N-Test Blow-off Off SOL",
    "Canfeed Open SOL",
    "Canfeed Close SOL",
    "Zero Speed",
    "Infeed Track Jam",
    "No Transfer Alarm",
    "PC Clock Timing",
};

int FirstByte(IoWord word) {
    switch (word) {
    case IoWord::Timing:
        return 170;
    case IoWord::Slot00:
        return 100;
    case IoWord::Slot01:
        return 110;
    case IoWord::Slot02:
        return 120;
    }
    return 0;
}

bool ValidBit(int bit) {
    return bit >= 0 && bit < kIoBitsPerWord;
}

} // namespace

const char* IoK650Caption(int entry) {
    return entry >= 0 && entry < kIoK650Rows ? kK650Captions[entry] : "";
}

const char* IoK650Description(int entry) {
    if (entry == 0) return "Can/No Can Sensor";
    if (entry == 1) return "Spindle No.1 Sensor";
    return "";
}

std::string IoRowCaption(IoWord word, int bit) {
    if (!ValidBit(bit)) return {};
    const std::string terminal = std::to_string(bit / 8) + std::to_string(bit % 8);
    if (word == IoWord::Timing) return "CH" + terminal + ":";
    const std::string number = bit < 8 ? "    " + std::to_string(bit) : "  " + terminal;
    return "(" + IoBitAddress(word, bit) + ")" + number + ":";
}

const char* IoRowDescription(IoWord word, int bit) {
    if (!ValidBit(bit)) return "";
    switch (word) {
    case IoWord::Timing:
        return kTimingDescriptions[bit];
    case IoWord::Slot00:
        return kSlot00Descriptions[bit];
    case IoWord::Slot01:
        return kSlot01Descriptions[bit];
    case IoWord::Slot02:
        return kSlot02Descriptions[bit];
    }
    return "";
}

std::string IoBitAddress(IoWord word, int bit) {
    if (!ValidBit(bit)) return {};
    return "B" + std::to_string(FirstByte(word) + bit / 8) + "." + std::to_string(bit % 8);
}

bool IoInputOn(std::string_view text) {
    return ValueFromBoardText(text) == 1;
}

bool IoBitOn(std::string_view text, int bit) {
    if (!ValidBit(bit)) return false;
    const auto value = static_cast<std::uint32_t>(ValueFromBoardText(text));
    return (value >> bit & 1u) != 0;
}

} // namespace quelby

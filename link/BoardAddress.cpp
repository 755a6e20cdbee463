#include "link/BoardAddress.h"

#include "link/HexDigits.h"
#include "link/TextCase.h"

#include <algorithm>
#include <array>

namespace quelby {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Plain decimal digits only; nullopt for anything else or a number past 32 bits.
std::optional<std::int64_t> strictNumber(std::string_view digits) {
    if (digits.empty() || digits.size() > 10) return std::nullopt;
    std::int64_t n = 0;
    for (char c : digits) {
        if (!isDigit(c)) return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n;
}

std::optional<std::int64_t> strictHex(std::string_view digits) {
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    std::int64_t n = 0;
    for (char c : digits) {
        int d = HexDigitValue(c);
        if (d < 0) return std::nullopt;
        n = n * 16 + d;
    }
    return n;
}

// The leading number of a text as the board's tools read it: blanks skipped, digits up to
// the first other character, 0 when there are none.
std::int64_t leadingNumber(std::string_view text) {
    text = TrimmedOf(text, " \t");
    std::int64_t n = 0;
    for (char c : text) {
        if (!isDigit(c)) break;
        n = std::min<std::int64_t>(n * 10 + (c - '0'), 1'000'000'000);
    }
    return n;
}

// The range is checked on the whole number before it is narrowed, so a long number cannot
// wrap into a small address.
std::optional<ParsedAddress> withinBoard(ParsedAddress parsed, std::int64_t firstByte) {
    if (firstByte < 0 || firstByte + parsed.byteCount() - 1 > kLastRequestAddress)
        return std::nullopt;
    parsed.byteAddress = static_cast<std::int32_t>(firstByte);
    return parsed;
}

} // namespace

std::optional<ParsedAddress> ParseAddress(std::string_view text) {
    text = TrimmedOf(text, " \t");
    if (text.size() < 2) return std::nullopt;
    ParsedAddress parsed;

    if (UpperAscii(text.back()) == 'H') {
        // Hex byte address: the last two digits are the low byte, any before them the high.
        auto value = strictHex(text.substr(0, text.size() - 1));
        if (!value) return std::nullopt;
        return withinBoard(parsed, *value);
    }

    if (text.find('.') != std::string_view::npos) {
        // Bit of a byte: letter, byte number, ".", one bit digit 0..7.
        if (text.size() < 4 || text[text.size() - 2] != '.' || UpperAscii(text.front()) != 'B')
            return std::nullopt;
        char bit = text.back();
        auto number = strictNumber(text.substr(1, text.size() - 3));
        if (bit < '0' || bit > '7' || !number) return std::nullopt;
        parsed.isBitAddress = true;
        parsed.bitMask = static_cast<std::uint8_t>(1u << (bit - '0'));
        return withinBoard(parsed, *number);
    }

    auto number = strictNumber(text.substr(1));
    if (!number) return std::nullopt;
    switch (UpperAscii(text.front())) {
    case 'B':
    case 'W':
    case 'D':
        parsed.addrType = UpperAscii(text.front());
        return withinBoard(parsed, *number);
    case 'F':
        // Flags are packed eight to a byte from byte 32 up.
        parsed.isBitAddress = true;
        parsed.bitMask = static_cast<std::uint8_t>(1u << (*number % 8));
        return withinBoard(parsed, *number / 8 + 32);
    default:
        return std::nullopt;
    }
}

std::vector<std::uint8_t> EncodeValue(char addrType, std::uint32_t value) {
    auto lo = [](std::uint32_t word) { return static_cast<std::uint8_t>(word % 256); };
    auto hi = [](std::uint32_t word) { return static_cast<std::uint8_t>((word / 256) % 256); };
    switch (addrType) {
    case 'W':
        return {lo(value), hi(value)};
    case 'D': {
        std::uint32_t low = value % 10000, high = value / 10000;
        return {lo(low), hi(low), lo(high), hi(high)};
    }
    default:
        return {static_cast<std::uint8_t>(value % 256)};
    }
}

std::uint32_t DecodeValue(char addrType, const std::vector<std::uint8_t>& bytes) {
    auto word = [&](std::size_t i) -> std::uint32_t {
        return i + 1 < bytes.size() ? bytes[i + 1] * 256u + bytes[i] : 0u;
    };
    if (bytes.empty()) return 0;
    switch (addrType) {
    case 'W':
        return word(0);
    case 'D':
        return word(2) * 10000u + word(0);
    default:
        return bytes[0];
    }
}

EntryCheck CheckEntry(std::string_view addressText, std::string_view valueText) {
    EntryCheck entry;
    // Displayed values may carry grouping or a unit: those characters drop out. The degree
    // sign comes as Latin-1 0xB0 or as UTF-8 C2 B0. The board holds whole numbers only, and a
    // decimal point is refused rather than dropped: "2.5" is never written as 25.
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < valueText.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(valueText[i]);
        if (isDigit(static_cast<char>(c))) {
            value = std::min<std::uint64_t>(value * 10 + (c - '0'), std::uint64_t{1} << 40);
        } else if (c == '.') {
            entry.error = "Only Whole Numbers Allowed.";
            return entry;
        } else if (c == ' ' || c == '%' || c == ',' || c == 0xB0) {
            continue;
        } else if (c == 0xC2 && i + 1 < valueText.size() &&
                   static_cast<unsigned char>(valueText[i + 1]) == 0xB0) {
            ++i;
        } else {
            entry.error = "Only Numerical Data Allowed.";
            return entry;
        }
    }

    auto parsed = ParseAddress(addressText);
    if (!parsed) {
        entry.error = "Invalid Board Address (" + std::string(addressText) + ").";
        return entry;
    }
    entry.address = *parsed;

    if (parsed->isBitAddress) {
        if (value > 1) entry.error = "Enter 0 or 1 Only.";
    } else if (parsed->addrType == 'B' && value > kMaxByteValue) {
        entry.error = "Entry out of Range (0-255).";
    } else if (parsed->addrType == 'W' && value > kMaxWordValue) {
        entry.error = "Entry out of Range (0-65,535).";
    } else if (parsed->addrType == 'D' && value > kMaxDoubleValue) {
        entry.error = "Entry out of Range (0-655,359,999).";
    }
    if (!entry.error) entry.value = static_cast<std::uint32_t>(value);
    return entry;
}

std::vector<std::uint8_t> BytesToWrite(const EntryCheck& entry, std::uint8_t currentByte) {
    if (entry.address.isBitAddress) {
        std::uint8_t mask = entry.address.bitMask;
        return {static_cast<std::uint8_t>(entry.value ? (currentByte | mask) : (currentByte & ~mask))};
    }
    return EncodeValue(entry.address.addrType, entry.value);
}

namespace {

struct IoPoint {
    int number;
    int byte;
};

// Byte holding an I/O point on a board type, or -1 when the board has no such point.
int ioPointByte(char type, int number, int board) {
    auto lookup = [number](std::initializer_list<IoPoint> table) {
        for (const auto& point : table)
            if (point.number == number) return point.byte;
        return -1;
    };
    auto pairedRange = [number](int firstByte) {
        int units = number % 10;
        if (number < 0 || number > 151 || units > 1) return -1;
        return firstByte + 2 * (number / 10) + units;
    };
    switch (board) {
    case 49:
        if (type == 'X') return lookup({{30, 49}, {31, 50}, {50, 51}, {51, 52}, {60, 53},
                                        {61, 54}, {70, 55}, {71, 56}, {80, 57}});
        if (type == 'Y') return lookup({{81, 58}, {90, 59}, {100, 60}, {110, 61}, {111, 62},
                                        {120, 63}, {121, 64}, {130, 65}, {140, 66}, {141, 67}});
        return -1;
    case 50:
        if (type == 'X' || type == 'Y') return pairedRange(160);
        if (type == 'I') return pairedRange(192);
        return -1;
    case 58:
        if (type == 'X') return lookup({{10, 51}, {11, 52}});
        if (type == 'Y') return lookup({{0, 49}, {1, 50}});
        return -1;
    case 59:
    case 66:
        if (type == 'X') return lookup({{10, 51}, {11, 52}, {20, 53}, {21, 54}});
        if (type == 'Y') return lookup({{0, 49}, {1, 50}});
        return -1;
    case 60:
    case 65:
        if (type == 'X') return lookup({{10, 51}, {11, 52}, {20, 53}});
        if (type == 'Y') return lookup({{0, 49}, {1, 50}, {21, 54}});
        return -1;
    case 61:
        if (type == 'X') return lookup({{0, 49}, {1, 50}, {10, 51}});
        if (type == 'Y') return lookup({{11, 52}});
        return -1;
    default:
        return -1;
    }
}

} // namespace

std::string EquateAdd(std::string_view var, int targetBoardIndex) {
    if (var.empty()) return std::string(var);
    char type = UpperAscii(var.front());
    std::string_view rest = var.substr(1);
    std::string_view numberText = rest;
    int bit = -1;
    if (rest.find('.') != std::string_view::npos) {
        if (rest.size() < 3 || rest[rest.size() - 2] != '.' || rest.back() < '0' || rest.back() > '7')
            return std::string(var);
        numberText = rest.substr(0, rest.size() - 2);
        bit = rest.back() - '0';
    }
    auto number = strictNumber(numberText);
    if (!number) return std::string(var);
    int byte = ioPointByte(type, static_cast<int>(*number), targetBoardIndex);
    if (byte < 0) return std::string(var);
    std::string result = "B" + std::to_string(byte);
    if (bit >= 0) result += "." + std::to_string(bit);
    return result;
}

bool ValidAdd(std::string_view var, int targetBoardIndex) {
    if (var.empty()) return false;
    char type = UpperAscii(var.front());
    std::string_view rest = var.substr(1);
    if (rest.find('.') != std::string_view::npos && rest.size() >= 2)
        rest = rest.substr(0, rest.size() - 2);
    const std::int64_t number = leadingNumber(rest);

    static constexpr std::array group1{49, 51, 52, 53, 54, 56, 58, 59, 60, 61, 65, 66};
    const int b = targetBoardIndex;
    const bool inGroup1 = std::find(group1.begin(), group1.end(), b) != group1.end();
    const bool inGroup2 = b == 50 || b == 68;
    const bool pairedPoint = number % 10 <= 1;

    std::int64_t lowest = 0, highest = 0;
    bool rule = true;
    switch (type) {
    case 'B':
        lowest = 32;
        highest = inGroup1 ? 255 : inGroup2 ? 8275 : 65535;
        break;
    case 'W':
    case 'D':
        lowest = 32;
        highest = inGroup1 ? 254 : inGroup2 ? 8274 : 65534;
        rule = number % 2 == 0;
        break;
    case 'F':
        highest = inGroup1 ? 120 : 991;
        break;
    case 'I':
        if (b == 49 || b == 50) highest = 151;
        else if (b == 51 || b == 52 || b == 53 || b == 54 || b == 56) highest = 21;
        else return false;
        rule = pairedPoint;
        break;
    case 'X':
    case 'Y':
        if (b == 0 || b == 68) return false;
        highest = (b == 49 || b == 50) ? 151 : 21;
        rule = pairedPoint;
        break;
    default:
        break;
    }
    return lowest <= number && number <= highest && rule;
}

int Dec2Octal(int decNum) { return (decNum / 8) * 10 + decNum % 8; }
int Octal2Dec(int octNum) { return (octNum / 10) * 8 + octNum % 10; }

std::string MarkHex2HEX(std::string_view markHex) {
    std::string out(markHex);
    for (char& c : out)
        if (c >= ':' && c <= '?') c = static_cast<char>('A' + (c - ':'));
    return out;
}

std::string HEX2MarkHEX(std::string_view hexCode) {
    std::string out(hexCode);
    for (char& c : out)
        if (c >= 'A' && c <= 'F') c = static_cast<char>(':' + (c - 'A'));
    return out;
}

int HexTextToNumber(std::string_view hexText) {
    int n = 0;
    for (char c : hexText.substr(0, 2)) {
        int d = HexDigitValue(c);
        if (d < 0) break;
        n = n * 16 + d;
    }
    return n;
}

std::string MarkHexPairToDecimal(std::string_view markHexPair) {
    return std::to_string(HexTextToNumber(MarkHex2HEX(markHexPair)));
}

} // namespace quelby

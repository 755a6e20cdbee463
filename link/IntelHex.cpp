#include "link/IntelHex.h"

#include "link/FilePaths.h"
#include "link/HexDigits.h"

#include <algorithm>
#include <cerrno>
#include <fstream>

namespace quelby {
namespace fs = std::filesystem;

namespace {

// Blank lines after the end record: nothing, blanks, or the end-of-file mark of old DOS tools.
bool isTrailingFill(std::string_view line) {
    return std::all_of(line.begin(), line.end(),
                       [](char c) { return c == ' ' || c == '\t' || c == '\x1A'; });
}

// Checks one record line; fills `record` or returns why the line is refused.
std::string parseRecord(std::string_view line, HexRecord& record) {
    if (line.size() > kHexMaxLineLength) return "line is longer than any record";
    if (line.empty() || line.front() != ':') return "line does not begin with ':'";
    const std::string_view digits = line.substr(1);
    for (std::size_t i = 0; i < digits.size(); ++i)
        if (HexDigitValue(digits[i]) < 0)
            return "character " + std::to_string(i + 2) + " is not a hex digit";
    if (digits.size() % 2 != 0) return "odd number of hex digits";
    if (digits.size() < 10) return "record is too short";

    std::vector<std::uint8_t> bytes(digits.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] =
            static_cast<std::uint8_t>(HexDigitValue(digits[2 * i]) * 16 + HexDigitValue(digits[2 * i + 1]));
    const std::size_t length = bytes[0];
    if (bytes.size() != length + 5)
        return "length byte " + HexByteText(bytes[0]) + " does not match the " +
               std::to_string(bytes.size() - 5) + " data bytes of the line";
    unsigned sum = 0;
    for (std::uint8_t b : bytes)
        sum += b;
    if ((sum & 0xFF) != 0) return "record checksum is wrong";

    record.address = static_cast<std::uint16_t>(bytes[1] << 8 | bytes[2]);
    record.type = bytes[3];
    record.data.assign(bytes.begin() + 4, bytes.end() - 1);
    if (record.type == kHexDataRecord) {
        if (record.address + length > 0x10000) return "data runs past address FFFF";
    } else if (record.type == kHexEndRecord) {
        if (length != 0) return "end-of-file record carries data";
    } else {
        return "record type " + HexByteText(record.type) + " is not allowed";
    }
    return {};
}

} // namespace

HexParse ParseIntelHex(std::string_view text) {
    HexParse result;
    auto fail = [&](std::size_t line, std::string reason) {
        result.records.clear();
        result.errorLine = line;
        result.error = std::move(reason);
        return result;
    };
    if (text.size() > kHexMaxFileBytes) return fail(0, "file is too long");

    bool ended = false;
    std::size_t lineNumber = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto newline = text.find('\n', pos);
        const auto end = newline == std::string_view::npos ? text.size() : newline;
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        if (ended) {
            if (!isTrailingFill(line)) return fail(lineNumber, "data after the end-of-file record");
            continue;
        }
        HexRecord record;
        std::string reason = parseRecord(line, record);
        if (!reason.empty()) return fail(lineNumber, std::move(reason));
        ended = record.type == kHexEndRecord;
        result.records.push_back(std::move(record));
    }
    if (!ended) return fail(0, "no end-of-file record");
    return result;
}

HexFileRead ReadIntelHexFile(const fs::path& file) {
    HexFileRead result;
    const BoundedFileRead read = ReadFileBounded(file, kHexMaxFileBytes);
    switch (read.outcome) {
    case BoundedFileRead::Outcome::Missing:
        result.outcome = HexFileRead::Outcome::Missing;
        return result;
    case BoundedFileRead::Outcome::ReadError:
        result.outcome = HexFileRead::Outcome::ReadError;
        result.error = read.error;
        return result;
    case BoundedFileRead::Outcome::Read:
        break;
    }
    if (read.bytes.empty()) {
        result.outcome = HexFileRead::Outcome::Empty;
        return result;
    }
    result.parse = ParseIntelHex(read.bytes);
    result.outcome = result.parse.ok() ? HexFileRead::Outcome::Read : HexFileRead::Outcome::Invalid;
    return result;
}

std::uint8_t BoardRecordSum(const HexRecord& record) {
    unsigned sum = record.length() + (record.address >> 8) + (record.address & 0xFFu);
    for (std::uint8_t b : record.data)
        sum += b;
    return static_cast<std::uint8_t>(sum & 0xFF);
}

std::uint8_t IntelHexChecksum(const HexRecord& record) {
    const unsigned sum = BoardRecordSum(record) + record.type;
    return static_cast<std::uint8_t>((0x100 - (sum & 0xFF)) & 0xFF);
}

std::string ProgramAddressText(std::uint16_t address) {
    return HexByteText(address >> 8u) + HexByteText(address & 0xFFu) + "H";
}

std::string IntelHexDataRecord(std::uint16_t address, std::span<const std::uint8_t> data) {
    HexRecord record{address, kHexDataRecord, {}};
    record.data.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(
                                                        std::min<std::size_t>(data.size(), 255)));
    std::string line = ":" + HexByteText(record.length()) + HexByteText(address >> 8u) +
                       HexByteText(address & 0xFFu) + HexByteText(kHexDataRecord);
    for (std::uint8_t b : record.data)
        line += HexByteText(b);
    return line + HexByteText(IntelHexChecksum(record));
}

std::string IntelHexText(std::uint16_t start, std::span<const std::uint8_t> memory) {
    const std::size_t fits = std::min<std::size_t>(memory.size(), 0x10000u - start);
    std::string text;
    text.reserve(fits / 16 * 45 + 16);
    for (std::size_t offset = 0; offset < fits; offset += 16) {
        const std::size_t count = std::min<std::size_t>(16, fits - offset);
        text += IntelHexDataRecord(static_cast<std::uint16_t>(start + offset),
                                   memory.subspan(offset, count));
        text += "\r\n";
    }
    return text += kHexEndOfFileLine;
}

} // namespace quelby

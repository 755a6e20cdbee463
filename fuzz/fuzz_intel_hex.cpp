// The Intel HEX check on arbitrary bytes: what it accepts is well formed and writes back to
// the same records, and what the upload writes is always accepted and reads back byte for
// byte. Each input is also tried with its record checksums put right, and its first lines each
// on their own before an end record, so that mutations reach the checks behind the first bad
// line and behind the checksum (length, type, end record) rather than stopping there.
#include "link/IntelHex.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using namespace quelby;

namespace {

void checkAccepted(const HexParse& parse) {
    if (parse.records.empty() || parse.records.back().type != kHexEndRecord) std::abort();
    for (std::size_t i = 0; i < parse.records.size(); ++i) {
        const HexRecord& record = parse.records[i];
        const bool last = i + 1 == parse.records.size();
        if (record.type == kHexEndRecord) {
            if (!last || record.length() != 0) std::abort();
            continue;
        }
        if (record.type != kHexDataRecord) std::abort();
        if (record.address + record.length() > 0x10000) std::abort();
        if (record.length() == 0) continue;
        const std::string line = IntelHexDataRecord(record.address, record.data);
        const HexParse again = ParseIntelHex(line + "\n" + std::string(kHexEndOfFileLine));
        if (!again.ok() || again.records.front() != record) std::abort();
    }
}

void checkWriter(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return;
    const auto start = static_cast<std::uint16_t>(data[0] << 8 | data[1]);
    const std::vector<std::uint8_t> memory(data + 2, data + std::min<std::size_t>(size, 2 + 4096));
    const HexParse parse = ParseIntelHex(IntelHexText(start, memory));
    if (!parse.ok()) std::abort();
    std::vector<std::uint8_t> readBack;
    for (const HexRecord& record : parse.records)
        readBack.insert(readBack.end(), record.data.begin(), record.data.end());
    const std::size_t fits = std::min<std::size_t>(memory.size(), 0x10000u - start);
    const auto fitsEnd = memory.begin() + static_cast<std::ptrdiff_t>(fits);
    if (!std::equal(readBack.begin(), readBack.end(), memory.begin(), fitsEnd) ||
        readBack.size() != fits)
        std::abort();
}

// The input with the last two digits of every ":" line that holds only hex digits replaced by
// the record checksum of the digits before them.
std::string withChecksumsRepaired(std::string text) {
    auto value = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::size_t last = end;
        if (last > pos && text[last - 1] == '\r') --last;
        const std::string_view line(text.data() + pos, last - pos);
        const bool hexOnly = line.size() >= 11 && line.size() % 2 == 1 && line[0] == ':' &&
                             line.find_first_not_of("0123456789ABCDEFabcdef", 1) == line.npos;
        if (hexOnly) {
            unsigned sum = 0;
            for (std::size_t i = 1; i + 2 < line.size(); i += 2)
                sum += static_cast<unsigned>(value(line[i]) * 16 + value(line[i + 1]));
            const unsigned checksum = (0x100 - (sum & 0xFF)) & 0xFF;
            text[last - 2] = "0123456789ABCDEF"[checksum >> 4];
            text[last - 1] = "0123456789ABCDEF"[checksum & 0xF];
        }
        pos = end + 1;
    }
    return text;
}

void checkParse(std::string_view text) {
    const HexParse parse = ParseIntelHex(text);
    if (parse.ok())
        checkAccepted(parse);
    else if (!parse.records.empty() || parse.error.empty())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    checkParse(text);
    const std::string repaired = withChecksumsRepaired(text);
    checkParse(repaired);
    std::size_t pos = 0;
    for (int line = 0; line < 64 && pos < repaired.size(); ++line) {
        std::size_t end = repaired.find('\n', pos);
        if (end == std::string::npos) end = repaired.size();
        checkParse(repaired.substr(pos, end - pos + 1) + std::string(kHexEndOfFileLine));
        pos = end + 1;
    }
    checkWriter(data, size);
    return 0;
}

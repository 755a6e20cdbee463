#include "app/data/SetupFile.h"

#include "link/BoardAddress.h"
#include "link/FilePaths.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <fstream>
#include <limits>
#include <optional>

namespace quelby {
namespace {

constexpr std::size_t kMaxTextLength = std::numeric_limits<std::uint16_t>::max();

// Little-endian fields from the front of a byte range. Every read reports whether the bytes
// were there; nothing past the end is ever touched.
class RecordReader {
public:
    explicit RecordReader(std::string_view bytes) : m_bytes(bytes) {}

    std::size_t remaining() const { return m_bytes.size() - m_at; }

    std::optional<std::uint32_t> unsignedField(std::size_t size) {
        if (remaining() < size) return std::nullopt;
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < size; ++i)
            value |= std::uint32_t{static_cast<unsigned char>(m_bytes[m_at + i])} << (8 * i);
        m_at += size;
        return value;
    }
    std::optional<std::int32_t> i32() {
        auto raw = unsignedField(4);
        if (!raw) return std::nullopt;
        return static_cast<std::int32_t>(*raw);
    }
    std::optional<std::int16_t> i16() {
        auto raw = unsignedField(2);
        if (!raw) return std::nullopt;
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(*raw));
    }
    std::optional<std::string> text() {
        auto length = unsignedField(2);
        if (!length || remaining() < *length) return std::nullopt;
        std::string value(m_bytes.substr(m_at, *length));
        m_at += *length;
        return value;
    }

private:
    std::string_view m_bytes;
    std::size_t m_at = 0;
};

struct Descriptor {
    std::size_t count = 0;
    std::size_t lowerBound = 0;
};

// An array descriptor whose elements, each at least `minElementBytes` long, fit in what is
// left. Sets `outcome` when it is refused.
std::optional<Descriptor> readDescriptor(RecordReader& in, std::size_t minElementBytes,
                                         SetupFileRead::Outcome& outcome) {
    const auto dimensions = in.unsignedField(2);
    const auto count = in.unsignedField(4);
    const auto lowerBound = in.i32();
    if (!dimensions || !count || !lowerBound) {
        outcome = SetupFileRead::Outcome::Truncated;
        return std::nullopt;
    }
    if (*dimensions != 1 || *lowerBound < 0 || *lowerBound > LastDataIndex) {
        outcome = SetupFileRead::Outcome::Malformed;
        return std::nullopt;
    }
    if (*count > in.remaining() / minElementBytes) {
        outcome = SetupFileRead::Outcome::Truncated;
        return std::nullopt;
    }
    return Descriptor{*count, static_cast<std::size_t>(*lowerBound)};
}

bool readRecord(RecordReader& in, MachineData& data, SetupFileRead::Outcome& outcome) {
    outcome = SetupFileRead::Outcome::Truncated;
    auto version = in.text();
    if (!version) return false;
    data.Version = std::move(*version);

    auto addresses = readDescriptor(in, 2, outcome);
    if (!addresses) return false;
    data.Address.assign(addresses->lowerBound, "");
    data.Address.reserve(addresses->lowerBound + addresses->count);
    for (std::size_t i = 0; i < addresses->count; ++i) {
        auto address = in.text();
        if (!address) return false;
        data.Address.push_back(std::move(*address));
    }

    auto values = readDescriptor(in, 4, outcome);
    if (!values) return false;
    data.Value.assign(values->lowerBound, 0);
    data.Value.reserve(values->lowerBound + values->count);
    for (std::size_t i = 0; i < values->count; ++i)
        data.Value.push_back(*in.i32());

    outcome = SetupFileRead::Outcome::Truncated;
    for (std::int16_t* field :
         {&data.PLSChannels, &data.PLSScale, &data.ResolverOffset, &data.PLSProgram}) {
        auto value = in.i16();
        if (!value) return false;
        *field = *value;
    }
    for (auto& speed : data.SpeedComp) {
        auto value = in.i16();
        if (!value) return false;
        speed = *value;
    }
    for (int column : {kOnSetpoint, kOffSetpoint}) {
        for (auto& channel : data.Setpoint) {
            auto value = in.i16();
            if (!value) return false;
            channel[static_cast<std::size_t>(column)] = *value;
        }
    }
    outcome = SetupFileRead::Outcome::Read;
    return true;
}

void putUnsigned(std::string& out, std::uint32_t value, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}
void putI16(std::string& out, std::int16_t value) {
    putUnsigned(out, static_cast<std::uint16_t>(value), 2);
}
void putText(std::string& out, const std::string& text) {
    const std::size_t length = std::min(text.size(), kMaxTextLength);
    putUnsigned(out, static_cast<std::uint32_t>(length), 2);
    out.append(text, 0, length);
}
void putDescriptor(std::string& out, std::size_t count) {
    putUnsigned(out, 1, 2);
    putUnsigned(out, static_cast<std::uint32_t>(count), 4);
    putUnsigned(out, 0, 4);
}

// Whether a whole record holds set-up data: every address a board address text or empty,
// every value within the range of its address, a PLS scale the board can work with (the
// field keeps the board's 16 bits, so only 0 is out) and no more PLS channels than there are.
// A copy that turned LF into CR LF shifts the fields after the first 0x0A byte and fails here.
bool plausible(const MachineData& data) {
    for (std::size_t i = 0; i < data.Address.size(); ++i) {
        if (data.Address[i].empty()) continue;
        const auto address = ParseAddress(data.Address[i]);
        if (!address) return false;
        if (i >= data.Value.size()) continue;
        const std::uint32_t largest = address->isBitAddress      ? 1
                                      : address->addrType == 'B' ? kMaxByteValue
                                      : address->addrType == 'W' ? kMaxWordValue
                                                                 : kMaxDoubleValue;
        if (data.Value[i] < 0 || static_cast<std::uint32_t>(data.Value[i]) > largest) return false;
    }
    return data.PLSScale != 0 && data.PLSChannels >= 0 && data.PLSChannels <= kTimingChannelCount;
}

} // namespace

SetupFileRead ParseSetupFile(std::string_view bytes) {
    SetupFileRead result;
    RecordReader in(bytes);
    if (readRecord(in, result.data, result.outcome) && !plausible(result.data))
        result.outcome = SetupFileRead::Outcome::Garbled;
    if (result.outcome != SetupFileRead::Outcome::Read) result.data = MachineData{};
    return result;
}

SetupFileRead ReadSetupFile(const std::filesystem::path& file) {
    // Only the record counts, so no more than the largest record (and one byte) is read.
    const BoundedFileRead read = ReadFileBounded(file, kSetupFileMaxBytes);
    SetupFileRead result;
    if (read.outcome != BoundedFileRead::Outcome::Read) {
        result.outcome = read.outcome == BoundedFileRead::Outcome::Missing
                             ? SetupFileRead::Outcome::CannotOpen
                             : SetupFileRead::Outcome::ReadError;
        result.error = read.error;
        return result;
    }
    const bool beyondLargest = read.beyond(kSetupFileMaxBytes);
    result = ParseSetupFile(std::string_view(read.bytes).substr(0, kSetupFileMaxBytes));
    if (result.outcome == SetupFileRead::Outcome::Truncated && beyondLargest)
        result.outcome = SetupFileRead::Outcome::TooLarge;
    return result;
}

std::string SetupFileBytes(const MachineData& data) {
    std::string out;
    putText(out, data.Version);
    putDescriptor(out, data.Address.size());
    for (const auto& address : data.Address)
        putText(out, address);
    putDescriptor(out, data.Value.size());
    for (std::int32_t value : data.Value)
        putUnsigned(out, static_cast<std::uint32_t>(value), 4);
    for (std::int16_t field :
         {data.PLSChannels, data.PLSScale, data.ResolverOffset, data.PLSProgram})
        putI16(out, field);
    for (std::int16_t speed : data.SpeedComp)
        putI16(out, speed);
    for (int column : {kOnSetpoint, kOffSetpoint})
        for (const auto& channel : data.Setpoint)
            putI16(out, channel[static_cast<std::size_t>(column)]);
    return out;
}

bool WriteSetupFile(const std::filesystem::path& file, const MachineData& data,
                    std::error_code& error) {
    return WriteFileAtomically(file, SetupFileBytes(data), error);
}

} // namespace quelby

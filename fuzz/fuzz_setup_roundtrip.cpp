// Set-up files written from any data set: the input builds a data set (the built-in one with
// values, addresses, version text and PLS fields taken from the input) and writes it. A data
// set whose every address is a board address (or empty) with a value in its range, whose PLS
// scale is not 0 and whose channel count is 0..16 reads back equal; any other is refused as
// garbled, never read as something else.
#include "app/data/MachineData.h"
#include "app/data/SetupFile.h"
#include "link/BoardAddress.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace quelby;

namespace {

class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool empty() const { return m_pos >= m_size; }
    std::uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    std::uint32_t u32() {
        return static_cast<std::uint32_t>(byte()) << 24 | byte() << 16 | byte() << 8 | byte();
    }
    std::int16_t i16() { return static_cast<std::int16_t>(byte() << 8 | byte()); }
    std::string text() {
        std::string s(byte() % 32, '\0');
        for (char& c : s)
            c = static_cast<char>(byte());
        return s;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

std::uint32_t Largest(const ParsedAddress& address) {
    return address.isBitAddress      ? 1
           : address.addrType == 'B' ? kMaxByteValue
           : address.addrType == 'W' ? kMaxWordValue
                                     : kMaxDoubleValue;
}

bool Holdable(const MachineData& data) {
    for (std::size_t i = 0; i < data.Address.size(); ++i) {
        if (data.Address[i].empty()) continue;
        const auto address = ParseAddress(data.Address[i]);
        if (!address) return false;
        if (i < data.Value.size() &&
            (data.Value[i] < 0 || static_cast<std::uint32_t>(data.Value[i]) > Largest(*address)))
            return false;
    }
    return data.PLSScale != 0 && data.PLSChannels >= 0 && data.PLSChannels <= kTimingChannelCount;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes in(data, size);
    MachineData set = BuildDefaultData();
    const std::uint8_t shape = in.byte();
    if (shape & 1) set.Version = in.text();
    if (shape & 2) set.Address.resize(in.byte() % (kDataPointCount + 8));
    if (shape & 4) set.Value.resize(in.byte() % (kDataPointCount + 8));
    set.PLSChannels = static_cast<std::int16_t>(shape & 8 ? in.i16() : in.byte() % 17);
    set.PLSScale = in.i16();
    set.ResolverOffset = in.i16();
    set.PLSProgram = in.i16();
    for (auto& value : set.SpeedComp)
        value = in.i16();
    for (auto& channel : set.Setpoint)
        for (auto& value : channel)
            value = in.i16();
    // Then changes to single points: a value (within the range of its address or not), or
    // an address text.
    while (!in.empty()) {
        const std::uint8_t what = in.byte();
        const std::size_t index = in.byte();
        if (what & 1) {
            if (index < set.Address.size()) set.Address[index] = in.text();
        } else if (index < set.Value.size()) {
            std::uint32_t value = in.u32();
            const auto address =
                index < set.Address.size() ? ParseAddress(set.Address[index]) : std::nullopt;
            if ((what & 2) && address) value %= Largest(*address) + 1;
            set.Value[index] = static_cast<std::int32_t>(value);
        }
    }

    const SetupFileRead read = ParseSetupFile(SetupFileBytes(set));
    if (Holdable(set)) {
        if (read.outcome != SetupFileRead::Outcome::Read || !(read.data == set)) std::abort();
    } else if (read.outcome != SetupFileRead::Outcome::Garbled) {
        std::abort();
    }
    return 0;
}

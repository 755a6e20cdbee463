#include "sim/BoardDump.h"

#include "sim/SimBoard.h"
#include "sim/SimPls.h"

#include <cstdio>
#include <fstream>
#include <system_error>

namespace quelby::sim {
namespace {

constexpr std::size_t kMemorySize = 65536;
constexpr std::size_t kBytesPerLine = 32;

std::string hexByte(unsigned value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value & 0xFFu);
    return text;
}

std::string setpointText(const PlsSetpoint& setpoint) {
    const std::string state = setpoint.state == 1   ? "ON"
                              : setpoint.state == 0 ? "OFF"
                                                    : "S" + std::to_string(setpoint.state);
    return state + " " + std::to_string(setpoint.position);
}

} // namespace

std::string FormatBoardDump(const SimBoard& board, const SimPls& pls) {
    std::string text;
    text.reserve(kMemorySize * 2 + kMemorySize / kBytesPerLine * 13 + 4096);
    text += "received " + std::to_string(board.receivedBytes()) + "\n";
    text += "lost " + std::to_string(board.lostBytes()) + "\n";
    text += "pls scale " + std::to_string(pls.scaleFactor()) + " offset " +
            std::to_string(pls.offset()) + "\n";
    text += "pls download";
    for (std::uint8_t byte : pls.downloaded())
        text += " " + hexByte(byte);
    text += "\n";
    for (int chan = 0; chan < SimPls::kChannelCount; ++chan) {
        text += "pls channel " + std::to_string(chan) + ":";
        for (const PlsSetpoint& setpoint : pls.channel(chan))
            text += " " + setpointText(setpoint);
        text += "\n";
    }
    for (std::size_t line = 0; line < kMemorySize; line += kBytesPerLine) {
        char head[16];
        std::snprintf(head, sizeof head, "memory %04zX ", line);
        text += head;
        for (std::size_t i = 0; i < kBytesPerLine; ++i)
            text += hexByte(board.peek(static_cast<std::uint16_t>(line + i)));
        text += "\n";
    }
    return text;
}

bool WriteBoardDump(const std::filesystem::path& path, const SimBoard& board, const SimPls& pls,
                    std::string& error) {
    const std::string text = FormatBoardDump(board, pls);
    std::filesystem::path temporary = path;
    temporary += ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            error = "cannot write the dump file " + path.string();
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        std::filesystem::remove(temporary, ec);
        error = "cannot write the dump file " + path.string();
        return false;
    }
    return true;
}

} // namespace quelby::sim

// The link settings file on arbitrary bytes: an empty file is Empty, anything else reads as a
// port 1..99 and a speed of 9600 or 19200, and the line the link writes for those settings
// reads back as the same settings.
#include "fuzz/ScratchFolder.h"
#include "link/LinkSettings.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

using namespace quelby;

namespace {

const std::filesystem::path& SettingsFile() {
    static const std::filesystem::path file = fuzz::ScratchFolder() / "RSPort.cfg";
    return file;
}

LoadedLinkSettings LoadFrom(const char* bytes, std::size_t size) {
    std::ofstream(SettingsFile(), std::ios::binary | std::ios::trunc)
        .write(bytes, static_cast<std::streamsize>(size));
    return LoadLinkSettings(SettingsFile());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const LoadedLinkSettings loaded = LoadFrom(reinterpret_cast<const char*>(data), size);
    if (size == 0) {
        if (loaded.state != SettingsFileState::Empty) std::abort();
        return 0;
    }
    if (loaded.state != SettingsFileState::Read) std::abort();
    const LinkSettings& settings = loaded.settings;
    if (settings.portNumber < 1 || settings.portNumber > 99) std::abort();
    if (settings.portSpeed != "9600" && settings.portSpeed != "19200") std::abort();
    if (settings.baud() != std::stoi(settings.portSpeed)) std::abort();

    const std::string line = LinkSettingsLine(settings);
    const LoadedLinkSettings again = LoadFrom(line.data(), line.size());
    if (again.state != SettingsFileState::Read || !(again.settings == settings)) std::abort();
    return 0;
}

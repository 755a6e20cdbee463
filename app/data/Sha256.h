#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// SHA-256 digests for the backup's manifest.
namespace quelby {

class Sha256 {
public:
    using Digest = std::array<std::uint8_t, 32>;

    Sha256();
    // Adds bytes to the message. Never fails.
    void update(std::string_view bytes);
    // Pads the message and returns its digest; the object is spent afterwards. Never fails.
    Digest finish();

private:
    void compress(const std::uint8_t* block);

    std::array<std::uint32_t, 8> m_state;
    std::array<std::uint8_t, 64> m_block{};
    std::size_t m_blockUsed = 0;
    std::uint64_t m_length = 0; // bytes taken so far
};

// The digest as 64 lower-case hexadecimal digits. Never fails.
std::string Sha256Hex(std::string_view bytes);
// The digest of a file's bytes, read in blocks; nullopt when the file cannot be read whole.
std::optional<std::string> Sha256OfFile(const std::filesystem::path& file);

} // namespace quelby

#include "app/data/PublishSettings.h"

#include <charconv>
#include <cstdio>
#include <fstream>

namespace quelby {
namespace {

// True when `text` is well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool IsUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80                   ? 1
                                   : lead >= 0xC2 && lead < 0xE0 ? 2
                                   : lead >= 0xE0 && lead < 0xF0 ? 3
                                   : lead >= 0xF0 && lead < 0xF5 ? 4
                                                                 : 0;
        if (length == 0 || i + length > text.size()) return false;
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        if ((length == 3 && (code < 0x800 || (code >= 0xD800 && code < 0xE000))) ||
            (length == 4 && (code < 0x10000 || code > 0x10FFFF)))
            return false;
        i += length;
    }
    return true;
}

#ifndef _WIN32
std::string OctalMode(std::filesystem::perms perms) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(perms) & 07777u);
    return text;
}
#endif

} // namespace

CheckedText CheckTopicPrefix(std::string_view prefix) {
    while (!prefix.empty() && prefix.back() == '/')
        prefix.remove_suffix(1);
    const std::string shown = "the topic prefix \"" + std::string(prefix) + "\"";
    if (prefix.empty()) return {std::nullopt, "the topic prefix is empty"};
    if (prefix.find_first_of("+#") != std::string_view::npos)
        return {std::nullopt, shown + " holds an MQTT wildcard ('+' or '#'); topics to publish "
                                      "on must name one topic"};
    if (prefix.find('\0') != std::string_view::npos)
        return {std::nullopt, "the topic prefix holds a NUL character"};
    if (prefix.front() == '$')
        return {std::nullopt, shown + " starts with '$', which brokers keep for their own topics"};
    if (!IsUtf8(prefix)) return {std::nullopt, "the topic prefix is not UTF-8 text"};
    // The longest topic, PREFIX/status, must fit MQTT's 65535 bytes.
    if (prefix.size() > 65535 - 7) return {std::nullopt, "the topic prefix is too long"};
    return {std::string(prefix), {}};
}

CheckedText ReadPasswordFile(const std::filesystem::path& file) {
    const std::string name = file.string();
    std::error_code error;
    const auto status = std::filesystem::status(file, error);
    if (error || !std::filesystem::is_regular_file(status))
        return {std::nullopt, "the password file " + name + " cannot be read: " +
                                  (error ? error.message() : "it is no file")};
#ifndef _WIN32
    using std::filesystem::perms;
    const perms mode = status.permissions();
    if ((mode & (perms::group_read | perms::others_read)) != perms::none)
        return {std::nullopt, "the password file " + name + " may be read by others (mode " +
                                  OctalMode(mode) +
                                  "); make it readable by its owner alone, "
                                  "e.g. chmod 600 " +
                                  name};
#else
    (void)status;
#endif
    std::ifstream in(file, std::ios::binary);
    std::string password;
    if (in) std::getline(in, password);
    if (!in && !in.eof()) return {std::nullopt, "the password file " + name + " cannot be read"};
    if (!password.empty() && password.back() == '\r') password.pop_back();
    if (password.empty()) return {std::nullopt, "the password file " + name + " holds no password"};
    return {password, {}};
}

std::optional<BrokerAddress> ParseBrokerAddress(std::string_view text) {
    BrokerAddress address;
    std::string_view portText;
    if (text.starts_with('[')) {
        const auto close = text.find(']');
        if (close == std::string_view::npos) return std::nullopt;
        address.host = std::string(text.substr(1, close - 1));
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') return std::nullopt;
            portText = rest.substr(1);
            if (portText.empty()) return std::nullopt;
        }
    } else if (const auto colon = text.find(':');
               colon != std::string_view::npos &&
               text.find(':', colon + 1) == std::string_view::npos) {
        address.host = std::string(text.substr(0, colon));
        portText = text.substr(colon + 1);
        if (portText.empty()) return std::nullopt;
    } else {
        address.host = std::string(text);
    }
    if (address.host.empty()) return std::nullopt;
    if (!portText.empty()) {
        int port = 0;
        const auto [end, ec] =
            std::from_chars(portText.data(), portText.data() + portText.size(), port);
        if (ec != std::errc() || end != portText.data() + portText.size() || port < 1 ||
            port > 65535)
            return std::nullopt;
        address.port = port;
    }
    return address;
}

} // namespace quelby

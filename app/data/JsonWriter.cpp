#include "app/data/JsonWriter.h"

namespace quelby {

namespace {

// The length of the valid UTF-8 sequence at `i`, or 0 when the byte there does not start one.
std::size_t Utf8SequenceAt(std::string_view text, std::size_t i) {
    const auto at = [&](std::size_t k) {
        return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0u;
    };
    const auto follows = [&](std::size_t k) { return (at(k) & 0xC0u) == 0x80u; };
    const unsigned lead = at(0);
    if (lead >= 0xC2 && lead <= 0xDF) return follows(1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        const unsigned low = lead == 0xE0 ? 0xA0 : 0x80, high = lead == 0xED ? 0x9F : 0xBF;
        return at(1) >= low && at(1) <= high && follows(2) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const unsigned low = lead == 0xF0 ? 0x90 : 0x80, high = lead == 0xF4 ? 0x8F : 0xBF;
        return at(1) >= low && at(1) <= high && follows(2) && follows(3) ? 4 : 0;
    }
    return 0;
}

void AppendHexEscape(std::string& json, unsigned byte) {
    static constexpr char kDigits[] = "0123456789abcdef";
    json += "\\u00";
    json += kDigits[(byte >> 4) & 0x0F];
    json += kDigits[byte & 0x0F];
}

} // namespace

std::string JsonString(std::string_view text, JsonBytes bytes) {
    const bool utf8 = bytes == JsonBytes::Utf8;
    std::string json = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        if (utf8 && byte >= 0x80) {
            if (const std::size_t length = Utf8SequenceAt(text, i); length > 0) {
                json.append(text.substr(i, length));
                i += length;
                continue;
            }
        }
        switch (c) {
        case '"': json += "\\\""; break;
        case '\\': json += "\\\\"; break;
        case '\n': json += "\\n"; break;
        case '\r': json += "\\r"; break;
        case '\t': json += "\\t"; break;
        case '\b': json += "\\b"; break;
        case '\f': json += "\\f"; break;
        default:
            if (byte < 0x20 || byte >= 0x80 || (utf8 && byte == 0x7F))
                AppendHexEscape(json, byte);
            else
                json += c;
        }
        ++i;
    }
    return json + "\"";
}

void JsonWriter::separate() {
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (m_hasItems.empty()) return;
    if (m_hasItems.back()) m_out << ',';
    m_hasItems.back() = true;
}

JsonWriter& JsonWriter::beginObject() {
    separate();
    m_out << '{';
    m_hasItems.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::endObject() {
    m_hasItems.pop_back();
    m_out << '}';
    return *this;
}

JsonWriter& JsonWriter::beginArray() {
    separate();
    m_out << '[';
    m_hasItems.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::endArray() {
    m_hasItems.pop_back();
    m_out << ']';
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
    separate();
    m_out << JsonString(name) << ':';
    m_afterKey = true;
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view text) {
    separate();
    m_out << JsonString(text);
    return *this;
}

JsonWriter& JsonWriter::value(std::int64_t number) {
    separate();
    m_out << number;
    return *this;
}

JsonWriter& JsonWriter::value(bool flag) {
    separate();
    m_out << (flag ? "true" : "false");
    return *this;
}

JsonWriter& JsonWriter::null() {
    separate();
    m_out << "null";
    return *this;
}

void JsonWriter::finish() { m_out << '\n' << std::flush; }

} // namespace quelby

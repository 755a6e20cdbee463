#include "app/data/JsonWriter.h"

namespace quelby {

std::string JsonString(std::string_view text) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string json = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"': json += "\\\""; break;
        case '\\': json += "\\\\"; break;
        case '\n': json += "\\n"; break;
        case '\r': json += "\\r"; break;
        case '\t': json += "\\t"; break;
        case '\b': json += "\\b"; break;
        case '\f': json += "\\f"; break;
        default:
            if (byte < 0x20 || byte >= 0x80) {
                json += "\\u00";
                json += kDigits[byte >> 4];
                json += kDigits[byte & 0x0F];
            } else {
                json += c;
            }
        }
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

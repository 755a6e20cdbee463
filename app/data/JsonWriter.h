#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

// A small JSON writer for the command-line tool's machine-readable output: one document on one
// line. Texts are taken as one-byte characters, as the board and the set-up files hold them:
// bytes from 0x80 are written as \u0080..\u00FF, so the output is always valid UTF-8.
// JsonString can keep UTF-8 text instead.
namespace quelby {

// How a JSON string takes the bytes from 0x80: each as one character (the board's and the
// set-up files' texts), or valid UTF-8 kept as it is (file and user names), other such bytes
// then written as \u0080..\u00FF and DEL escaped too, so a log line stays printable.
enum class JsonBytes { OneByteCharacters, Utf8 };

// `text` as a JSON string, quotes included. Never fails.
std::string JsonString(std::string_view text, JsonBytes bytes = JsonBytes::OneByteCharacters);

class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out) : m_out(out) {}

    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    // The name of the next member of the object in hand.
    JsonWriter& key(std::string_view name);
    JsonWriter& value(std::string_view text);
    JsonWriter& value(const char* text) { return value(std::string_view(text)); }
    JsonWriter& value(std::int64_t number);
    JsonWriter& value(int number) { return value(std::int64_t{number}); }
    JsonWriter& value(bool flag);
    JsonWriter& null();
    // Ends the document with a line end. Call once, after the outermost value.
    void finish();

private:
    // Writes the comma that separates this item from the one before it in the same container.
    void separate();

    std::ostream& m_out;
    std::vector<bool> m_hasItems; // one entry per open container
    bool m_afterKey = false;
};

} // namespace quelby

#include "link/TextFields.h"

namespace quelby {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Reads one field starting at `pos`; leaves `pos` after the comma that ends it (and sets
// `atComma`), or at the end of the line.
std::string readField(std::string_view line, std::size_t& pos, bool& atComma) {
    atComma = false;
    while (pos < line.size() && isBlank(line[pos]))
        ++pos;
    std::string field;
    if (pos < line.size() && line[pos] == '"') {
        const auto close = line.find('"', pos + 1);
        if (close == std::string_view::npos) {
            field = line.substr(pos + 1);
            pos = line.size();
            return field;
        }
        field = line.substr(pos + 1, close - pos - 1);
        const auto comma = line.find(',', close + 1);
        atComma = comma != std::string_view::npos;
        pos = atComma ? comma + 1 : line.size();
        return field;
    }
    const auto comma = line.find(',', pos);
    const auto end = comma == std::string_view::npos ? line.size() : comma;
    auto last = end;
    while (last > pos && isBlank(line[last - 1]))
        --last;
    field = line.substr(pos, last - pos);
    atComma = comma != std::string_view::npos;
    pos = atComma ? comma + 1 : line.size();
    return field;
}

} // namespace

std::vector<std::string> SplitFields(std::string_view line, std::size_t maxFields) {
    std::vector<std::string> fields;
    std::size_t pos = 0;
    bool atComma = true;
    while (atComma && fields.size() < maxFields)
        fields.push_back(readField(line, pos, atComma));
    return fields;
}

std::string FirstField(std::string_view line) {
    std::size_t pos = 0;
    bool atComma = false;
    return readField(line, pos, atComma);
}

bool IsBlankLine(std::string_view line) {
    for (char c : line)
        if (!isBlank(c)) return false;
    return true;
}

} // namespace quelby

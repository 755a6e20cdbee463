#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The field syntax of the board's small text files (code-description files and the first
// lines of program files): fields separated by commas; a field may be enclosed in double
// quotes and must be when it holds a comma; blanks (space, tab) around an unquoted field are
// ignored. Text after a closing quote up to the next comma is dropped, and a quote that is
// never closed runs to the end of the line. Every other byte, NUL included, is kept.
namespace quelby {

// The fields of one line, at most `maxFields` of them (the rest of the line is ignored).
// An empty or blank line gives one empty field. Never fails.
std::vector<std::string> SplitFields(std::string_view line, std::size_t maxFields);

// The first field of a line: the text before the first comma, unquoted. Never fails.
std::string FirstField(std::string_view line);

// True when the line holds nothing but blanks. Never fails.
bool IsBlankLine(std::string_view line);

} // namespace quelby

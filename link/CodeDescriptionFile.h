#pragma once

#include "link/UserPrompt.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

// The code-description files Support/FaultErrCodes.txt and Support/CommErrCodes.txt: one
// record per line, two fields (code, description) in the syntax of TextFields.h. A code field
// is hexadecimal text such as 0A or c3, compared without regard to case. Blank lines are
// skipped, fields after the second ignored, lines beyond kMaxLineLength cut, and reading
// stops after kMaxFileBytes.
namespace quelby {

inline constexpr std::size_t kCodeFileMaxLineLength = 1024;
inline constexpr std::uintmax_t kCodeFileMaxBytes = std::uintmax_t{1024} * 1024;

// Which record answers when a code appears more than once.
enum class CodeMatch { First, Last };

struct CodeLookup {
    enum class Outcome { Found, NotFound, FileMissing, ReadError };
    Outcome outcome = Outcome::NotFound;
    std::string description; // the matching record's description when Found
    std::error_code error;   // why the file could not be read when ReadError
};

// Looks `code` up in the records of a stream. ReadError when the stream fails mid-way.
CodeLookup LookupCode(std::istream& in, std::string_view code, CodeMatch match);
// Looks `code` up in a file. FileMissing when it does not exist, ReadError with the reason
// when it cannot be opened or read.
CodeLookup LookupCode(const std::filesystem::path& file, std::string_view code,
                      CodeMatch match = CodeMatch::First);

// A code as the files write it: upper-case hexadecimal, at least two digits ("0A", "C8").
// Negative codes are taken as their 16-bit pattern. Never fails.
std::string CodeHexText(int code);

// The two files under a home folder, found whatever the case of their names; an installed
// program without copies of its own in the home folder reads the shipped ones.
std::filesystem::path FaultCodesFile(const std::filesystem::path& homeFolder);
std::filesystem::path CommCodesFile(const std::filesystem::path& homeFolder);

// "Fault Code (0AH): " followed by the first matching description, or by
// "--- Fault File Not Found ---" without a file; the prefix alone when no record matches.
// A file that cannot be read gives the prefix and the "RSComm FaultDescription" message that
// the caller shows.
struct FaultDescriptionResult {
    std::string text;
    std::optional<MessageRequest> message;
};
FaultDescriptionResult FaultDescriptionText(const std::filesystem::path& file, int code);

} // namespace quelby

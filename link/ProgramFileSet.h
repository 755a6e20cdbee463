#pragma once

#include "link/BoardIdentity.h"
#include "link/UserPrompt.h"

#include <cstddef>
#include <filesystem>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

// A board program's file set: hbx (development-system file: board type character first),
// rev (ident, checksum, revision), lcf (configuration digits) and hex (the program), sharing
// one folder and base name. Only the first line of hbx, rev and lcf is used, read as one
// field (TextFields.h), so only the text before the first comma counts.
namespace quelby {

// First lines longer than this are cut; reading a first line never takes more than 64 KiB.
inline constexpr std::size_t kFirstLineMaxLength = 1024;

struct ProgramFileSet {
    std::filesystem::path hbx, rev, lcf, hex;
};

// The set of an hbx path: the last three characters of its name replaced by rev, lcf and hex.
// Each companion is found whatever the case of its name (PROG.HBX finds prog.rev); one that
// does not exist takes the case of the hbx extension (PROG.HBX -> PROG.REV). Never fails.
ProgramFileSet ProgramFilesOf(const std::filesystem::path& hbxPath);

struct FirstFieldRead {
    enum class Outcome { Read, Missing, Empty, ReadError };
    Outcome outcome = Outcome::Missing;
    std::string field;     // when Read
    std::error_code error; // when ReadError
};
// The first field of a stream's first line. Empty when the stream holds no bytes at all.
FirstFieldRead ReadFirstField(std::istream& in);
// The same for a file: Missing when it does not exist, ReadError when it cannot be read.
FirstFieldRead ReadFirstField(const std::filesystem::path& file);

struct RevisionInfo {
    std::string ident = "Unknown";
    std::string checksum = "Unknown"; // decimal text
    std::string revision = "Unknown"; // decimal text
    bool valid = false;
};
// A revision field: ident, then the checksum and the revision as two MarkHex digits each
// ("ABC1230?12" -> ABC123, 15, 18). A field shorter than those four digits is not valid.
RevisionInfo ParseRevisionField(std::string_view field);
// The revision file: not valid when missing, empty or too short; a read error also gives
// the "RSComm-Set Program Ident" message.
struct RevisionFileRead {
    RevisionInfo info;
    std::optional<MessageRequest> message;
};
RevisionFileRead ReadRevisionFile(const std::filesystem::path& file);

// The digits at positions 36, 39 and 40 (counted from 1) of a configuration field; a position
// the field does not reach, or that holds no digit, keeps its default (3, 0, 3). Never fails.
ConfigDigits ParseConfigurationField(std::string_view field);
// The configuration file: valid when it exists and is not empty; a read error gives the
// "RSComm-Set Program Config" message.
struct ConfigurationFileRead {
    ConfigDigits digits;
    bool valid = false;
    std::optional<MessageRequest> message;
};
ConfigurationFileRead ReadConfigurationFile(const std::filesystem::path& file);

// The revision file an upload writes from the board's identity bytes: the eight ident bytes
// (zero bytes included), checksum and revision as two MarkHex digits each, CR LF. Bytes the
// line cannot hold are changed so that it reads back the same: CR and LF become zero bytes,
// a double quote an apostrophe, and a line holding a comma is enclosed in double quotes.
std::string RevisionFileText(const BoardIdentityBytes& identity);
// The configuration file an upload writes: one line of 44 characters (board index character,
// 34 "0", digit 36, "00", digits 39 and 40, "000%") and CR LF. A board without an index
// character gets "0" there, and a digit outside 0..9 is written as "0", so the positions hold.
std::string ConfigurationFileText(int boardType, const ConfigDigits& digits);
// Writes the files of an upload (path, text) as one, each whole; the "RSComm-Upload Program"
// message when that fails (every old file is then intact: never a new revision file beside an
// old hex file).
std::optional<MessageRequest> WriteUploadFiles(
    const std::vector<std::pair<std::filesystem::path, std::string>>& files);

} // namespace quelby

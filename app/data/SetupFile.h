#pragma once

#include "app/data/MachineData.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

// Set-up files (*.sdt): the machine data set as a binary record, little-endian, no header:
//   Version          u16 length n, n one-byte characters
//   Address          descriptor (u16 dimensions = 1, u32 element count, i32 lower bound),
//                    then per element u16 length n and n characters
//   Value            descriptor as for Address, then i32 per element
//   PLSChannels, PLSScale, ResolverOffset, PLSProgram    i16 each
//   SpeedComp 0..7   i16 each
//   Setpoint         i16: ON of channels 0..15, then OFF of channels 0..15
// Bytes after the record are ignored.
namespace quelby {

// A record that does not end within this many bytes is refused; a real one is about 1.5 KiB.
inline constexpr std::size_t kSetupFileMaxBytes = std::size_t{1024} * 1024;

struct SetupFileRead {
    enum class Outcome {
        Read,
        CannotOpen, // the file could not be opened
        ReadError,  // reading it failed part-way
        Truncated,  // it ends before the record does (a count or length runs past the end)
        Malformed,  // a descriptor no set-up file holds: dimensions other than 1, a lower bound
                    // outside 0..LastDataIndex
        TooLarge,   // the record does not end within kSetupFileMaxBytes
        Garbled,    // the record is whole but its values are no set-up data: an address that
                    // is no board address text, a value beyond its address's range, a PLS
                    // scale of 0, more than 16 PLS channels (as a copy that turned LF into
                    // CR LF leaves it)
    };
    Outcome outcome = Outcome::Read;
    // When Read: the record as the file holds it. Element k of an array with lower bound L
    // sits at index L + k, entries below L are empty text and 0, and arrays keep the
    // file's lengths (DataSet::ApplyFileData fits them to 0..LastDataIndex).
    MachineData data;
    std::error_code error; // when CannotOpen or ReadError
};

// Parses a record from the start of `bytes`. Outcome Read, Truncated, Malformed or Garbled;
// never allocates more than the bytes can describe.
SetupFileRead ParseSetupFile(std::string_view bytes);

// Reads a set-up file. Any outcome but Read leaves `data` empty.
SetupFileRead ReadSetupFile(const std::filesystem::path& file);

// The file image of a record, arrays written with lower bound 0 and their own lengths. A text
// longer than 65535 bytes (none the program makes) is cut to that length. Never fails.
std::string SetupFileBytes(const MachineData& data);

// Writes the file whole and atomically; false with `error` set when that fails, the file on
// disk is then as it was.
bool WriteSetupFile(const std::filesystem::path& file, const MachineData& data,
                    std::error_code& error);

} // namespace quelby

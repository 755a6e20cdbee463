#pragma once

#include <filesystem>
#include <string>

namespace quelby::sim {

class SimBoard;
class SimPls;

// The simulated board's state as text, for scripts that check what a session left on the board:
//   received N          bytes the board received (lost ones included)
//   lost N              bytes lost on the line
//   pls scale S offset O
//   pls download HH HH ...          the 24 configuration bytes as written
//   pls channel C: ON p OFF p ...   one line per channel 0..15 with its setpoints in order
//   memory AAAA HHHH...             2048 lines of 32 bytes, the whole byte memory
// Each state other than ON (1) and OFF (0) is written as "S<state> p".
std::string FormatBoardDump(const SimBoard& board, const SimPls& pls);

// Writes the dump whole to `path` through a temporary file beside it. Fails (false, `error`
// set) when the file cannot be written.
bool WriteBoardDump(const std::filesystem::path& path, const SimBoard& board, const SimPls& pls,
                    std::string& error);

} // namespace quelby::sim

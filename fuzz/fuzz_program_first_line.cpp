// The first-line readers of program files (hbx, rev, lcf) on arbitrary bytes, and the files an
// upload writes read back: the checksum, revision and configuration digits the board held
// come back unchanged.
#include "link/ProgramFileSet.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

using namespace quelby;

namespace {

FirstFieldRead firstFieldOf(const std::string& text) {
    std::istringstream in(text);
    return ReadFirstField(in);
}

void checkReaders(const std::string& text) {
    const FirstFieldRead first = firstFieldOf(text);
    if (first.outcome == FirstFieldRead::Outcome::Empty) {
        if (!text.empty()) std::abort();
        return;
    }
    if (first.outcome != FirstFieldRead::Outcome::Read) std::abort();
    if (first.field.size() > kFirstLineMaxLength) std::abort();

    const RevisionInfo revision = ParseRevisionField(first.field);
    if (revision.valid) {
        if (revision.ident.size() + 4 != first.field.size()) std::abort();
        if (std::stoi(revision.checksum) > 255 || std::stoi(revision.revision) > 255) std::abort();
    } else if (first.field.size() >= 4 || revision.ident != "Unknown") {
        std::abort();
    }
    const ConfigDigits digits = ParseConfigurationField(first.field);
    for (int d : {digits.pos36, digits.pos39, digits.pos40})
        if (d < 0 || d > 9) std::abort();
}

void checkUploadRoundTrip(const std::uint8_t* data, std::size_t size) {
    if (size < kIdentityLength + 4) return;
    BoardIdentityBytes identity{};
    for (std::size_t i = 0; i < identity.size(); ++i)
        identity[i] = data[i];
    const FirstFieldRead rev = firstFieldOf(RevisionFileText(identity));
    const RevisionInfo info = ParseRevisionField(rev.field);
    if (!info.valid || info.ident.size() > 8) std::abort();
    if (info.checksum != std::to_string(identity[8])) std::abort();
    if (info.revision != std::to_string(identity[9])) std::abort();

    const int boardType = data[10];
    const ConfigDigits written{1 + data[11] % 3, data[12] % 10, 1 + data[13] % 3};
    const FirstFieldRead lcf = firstFieldOf(ConfigurationFileText(boardType, written));
    if (ParseConfigurationField(lcf.field) != written) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    checkReaders(std::string(reinterpret_cast<const char*>(data), size));
    checkUploadRoundTrip(data, size);
    return 0;
}

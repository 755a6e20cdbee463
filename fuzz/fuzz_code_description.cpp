// The code-description reader (FaultErrCodes.txt, CommErrCodes.txt) on arbitrary bytes: it
// never fails on text in memory, keeps descriptions within the line bound, and finds the code
// of the first record it reads.
#include "link/BoundedLineReader.h"
#include "link/CodeDescriptionFile.h"
#include "link/TextFields.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

using namespace quelby;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    // The code of the first record, read the way the lookup reads it.
    std::string firstCode;
    bool haveRecord = false;
    {
        std::istringstream in(text);
        BoundedLineReader reader(in, kCodeFileMaxLineLength, kCodeFileMaxBytes);
        std::string line;
        while (!haveRecord && reader.next(line)) {
            if (line.size() > kCodeFileMaxLineLength) std::abort();
            if (IsBlankLine(line)) continue;
            const auto fields = SplitFields(line, 2);
            if (fields.empty() || fields.size() > 2) std::abort();
            firstCode = fields[0];
            haveRecord = true;
        }
    }

    for (const CodeMatch match : {CodeMatch::First, CodeMatch::Last}) {
        std::istringstream in(text);
        const CodeLookup lookup = LookupCode(in, firstCode, match);
        if (lookup.outcome == CodeLookup::Outcome::ReadError ||
            lookup.outcome == CodeLookup::Outcome::FileMissing)
            std::abort();
        if (haveRecord && lookup.outcome != CodeLookup::Outcome::Found) std::abort();
        if (lookup.description.size() > kCodeFileMaxLineLength) std::abort();
    }
    return 0;
}

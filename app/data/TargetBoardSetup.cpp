#include "app/data/TargetBoardSetup.h"

#include "app/data/CompanionFiles.h"
#include "app/data/TargetBoardFaults.h"
#include "app/data/TransferValues.h"
#include "link/BoardAddress.h"
#include "link/BoardIdentity.h"
#include "link/ProgramFileSet.h"

#include <chrono>
#include <cstdio>

namespace quelby {
namespace {

namespace fs = std::filesystem;

constexpr int kEmptyHbxType = 'D';
constexpr std::size_t kRevisionDigits = 4;

std::string TwoDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

bool Exists(const fs::path& file) {
    std::error_code ec;
    return fs::exists(file, ec);
}

// The value of a MarkHex pair read as a hexadecimal number ("12" -> 18, "0?" -> 15).
int MarkHexPairValue(std::string_view pair) {
    return HexTextToNumber(MarkHex2HEX(pair));
}

} // namespace

OnDiskIdent ReadOnDiskIdent(const fs::path& halbixFile) {
    OnDiskIdent ident;
    if (!Exists(halbixFile)) return ident;

    const FirstFieldRead hbx = ReadFirstField(ReplaceExtension(halbixFile, "HBX"));
    if (hbx.outcome == FirstFieldRead::Outcome::ReadError) {
        ident.failure =
            TargetBoardMessages::RunTimeError(TargetBoardMessages::kInitializeFormTitle, hbx.error);
        return ident;
    }
    ident.boardType = hbx.outcome == FirstFieldRead::Outcome::Read && !hbx.field.empty()
                          ? static_cast<unsigned char>(hbx.field.front())
                          : kEmptyHbxType;
    ident.name = "-";

    const FirstFieldRead rev = ReadFirstField(ReplaceExtension(halbixFile, "rev"));
    if (rev.outcome == FirstFieldRead::Outcome::ReadError) {
        ident.failure =
            TargetBoardMessages::RunTimeError(TargetBoardMessages::kInitializeFormTitle, rev.error);
        return ident;
    }
    // A line too short to hold the four digits names no program: the labels keep - and 0.
    if (rev.outcome != FirstFieldRead::Outcome::Read || rev.field.size() < kRevisionDigits)
        return ident;
    const std::string_view line = rev.field;
    const std::size_t digits = line.size() - kRevisionDigits;
    ident.name = std::string(line.substr(0, digits));
    ident.checksum = MarkHexPairValue(line.substr(digits, 2));
    ident.revision = MarkHexPairValue(line.substr(digits + 2, 2));

    const fs::path hex = ReplaceExtension(halbixFile, "hex");
    std::error_code ec;
    const auto changed = fs::last_write_time(hex, ec);
    if (!ec) {
        const auto system = std::chrono::file_clock::to_sys(changed);
        ident.hexModified =
            std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count();
    }
    return ident;
}

bool HasBoardClock(int boardType) {
    return boardType == '6' || boardType == 'A';
}

bool HasSecondNetworkAddress(int boardType) {
    return boardType == 'A';
}

std::string SetupFieldTitle(const TargetSetupField& field) {
    return std::string("Set-up") + field.caption;
}

std::string PolledFieldText(std::string_view textRead) {
    const std::string padded = "00" + std::string(textRead);
    return padded.substr(padded.size() - 2);
}

std::array<std::string, 3> NetworkCommentLines() {
    return {std::string("Each R700 board connected to the R700 Network must be ") +
                "assigned a unique network address between 1 and 32.",
            "",
            std::string("System function sfunc19(); configures the R760 serial ") +
                "communication for the K650 processor."};
}

std::string CurrentTimeText(const LocalDateTime& now) {
    return TwoDigits(now.hour) + " : " + TwoDigits(now.minute) + " : " + TwoDigits(now.second);
}

std::string CurrentDateText(const LocalDateTime& now) {
    return TwoDigits(now.month) + " - " + TwoDigits(now.day) + " - " + std::to_string(now.year);
}

std::string ClockPartText(ClockPart part, const LocalDateTime& now) {
    switch (part) {
    case ClockPart::Hour:
        return std::to_string(now.hour);
    case ClockPart::Minute:
        return std::to_string(now.minute);
    case ClockPart::Second:
        return std::to_string(now.second);
    case ClockPart::Month:
        return std::to_string(now.month);
    case ClockPart::Day:
        return std::to_string(now.day);
    case ClockPart::Year:
        return TwoDigits(((now.year % 100) + 100) % 100);
    }
    return "0";
}

std::string BoardIdentAddress(int index) {
    return "B" + std::to_string(kIdentityAddress + index);
}

int IdentCharacterCode(std::string_view textRead) {
    const int code = ValueFromBoardText(textRead) & 0xFF;
    return code < 32 ? -1 : code;
}

} // namespace quelby

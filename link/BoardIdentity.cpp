#include "link/BoardIdentity.h"

namespace quelby {

std::string TargetboardName(int boardType) {
    switch (boardType) {
    case 49:
        return "R701";
    case 50:
        return "R702";
    case 51:
        return "R703";
    case 52:
        return "R705";
    case 53:
        return "R706";
    case 54:
        return "R704";
    case 55:
        return "R708";
    case 56:
        return "R707";
    case 57:
        return "Not Defined";
    case 58:
        return "K601";
    case 59:
        return "K602";
    case 60:
        return "K603";
    case 61:
        return "K604(PLC)";
    case 62:
        return "K604(PLS)";
    case 63:
        return "K606";
    case 64:
        return "K607";
    case 65:
        return "V210";
    case 66:
        return "K605(PLC)";
    case 67:
        return "K605(PLS)";
    case 68:
        return "K650(PLC)";
    case 69:
        return "K650(PLS)";
    default:
        break;
    }
    // A type character that cannot be shown as itself (a control character, a byte above
    // 126, a code that no character has) is named by its number.
    std::string character = boardType > 32 && boardType < 127
                                ? std::string(1, static_cast<char>(boardType))
                                : "[" + std::to_string(boardType) + "]";
    return character + " Is Not Defined.";
}

std::string LCFBoardIndex(int boardType) {
    switch (boardType) {
    case 49:
    case 50:
        return "1";
    case 51:
        return "?";
    case 52:
        return "2";
    case 53:
        return "3";
    case 54:
        return "D";
    case 56:
        return "F";
    case 58:
        return "@";
    case 59:
        return "A";
    case 60:
        return "B";
    case 61:
        return "C";
    case 65:
        return "E";
    case 68:
        return "G";
    default:
        return "";
    }
}

BoardGroup BoardGroupOf(int boardType) {
    switch (boardType) {
    case 50:
    case 51:
    case 52:
    case 53:
    case 54:
    case 66:
    case 68:
        return BoardGroup::RevisionOnly;
    case 56:
    case 58:
    case 59:
    case 60:
    case 61:
    case 65:
        return BoardGroup::RevisionAndConfiguration;
    case 55:
    case 62:
    case 63:
    case 64:
    case 67:
    case 69:
        return BoardGroup::PLSVariant;
    default:
        return BoardGroup::Other;
    }
}

bool HasConfiguration(int boardType) {
    return boardType >= 56 && boardType <= 65;
}

ProgramMemoryRange ProgramMemoryOf(int boardType) {
    switch (boardType) {
    case 50:
        return {0x5000, 0xB000};
    case 51:
    case 54:
    case 58:
    case 59:
    case 60:
    case 61:
    case 65:
    case 66:
        return {0x2000, 0x6000};
    case 52:
    case 53:
    case 56:
        return {0x2000, 0x2000};
    case 68:
        return {0x4000, 0x8000};
    default:
        return {};
    }
}

std::vector<BoardWrite> ConfigurationWrites(const ConfigDigits& digits) {
    const int b8188 = digits.pos40 == 1 ? 5 : digits.pos40 == 2 ? 10 : 20;
    const int b8190 = digits.pos36 == 1 ? 3 : digits.pos36 == 2 ? 5 : 12;
    return {{"B8188", std::to_string(b8188)},
            {"B8189", std::to_string(digits.pos39)},
            {"B8190", std::to_string(b8190)}};
}

ConfigDigits ConfigDigitsFromBoard(int b8190, int b8189, int b8188) {
    return {b8190 == 3 ? 1 : b8190 == 5 ? 2 : 3, b8189, b8188 == 5 ? 1 : b8188 == 10 ? 2 : 3};
}

std::string BoardIdentText(const BoardIdentityBytes& identity) {
    std::string ident;
    for (int i = 0; i < 8; ++i)
        if (identity[i] > 31) ident += static_cast<char>(identity[i]);
    return ident;
}

std::vector<BoardWrite> IdentityWrites(std::string_view ident, std::string_view checksum,
                                       std::string_view revision) {
    const auto first = ident.find_first_not_of(' ');
    ident = first == std::string_view::npos ? std::string_view{} : ident.substr(first);
    ident = ident.substr(0, ident.find_last_not_of(' ') + 1);

    std::vector<BoardWrite> writes;
    for (int i = 0; i < 8; ++i) {
        const auto code = i < static_cast<int>(ident.size())
                              ? static_cast<unsigned char>(ident[static_cast<std::size_t>(i)])
                              : 0;
        writes.push_back({"B" + std::to_string(kIdentityAddress + i), std::to_string(code)});
    }
    writes.push_back({"B" + std::to_string(kIdentityAddress + 8), std::string(checksum)});
    writes.push_back({"B" + std::to_string(kIdentityAddress + 9), std::string(revision)});
    return writes;
}

} // namespace quelby

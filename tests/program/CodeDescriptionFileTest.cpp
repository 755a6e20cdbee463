#include "link/CodeDescriptionFile.h"
#include "tests/support/FileSystemTraits.h"
#include "tests/support/TempFolder.h"
#include "link/TextFields.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>

namespace quelby {
namespace {

using test::TempFolder;
using Outcome = CodeLookup::Outcome;

CodeLookup Lookup(const std::string& text, std::string_view code,
                  CodeMatch match = CodeMatch::First) {
    std::istringstream in(text);
    return LookupCode(in, code, match);
}

TEST(TextFields, quotesBlanksAndCommasFollowTheFileFormat) {
    EXPECT_EQ(SplitFields(" 0A ,  Motor overload  ", 2),
              (std::vector<std::string>{"0A", "Motor overload"}));
    EXPECT_EQ(SplitFields(R"("1F" , " Belt, left side ")", 2),
              (std::vector<std::string>{"1F", " Belt, left side "}));
    EXPECT_EQ(SplitFields(R"(C3,"unclosed, to the end)", 2),
              (std::vector<std::string>{"C3", "unclosed, to the end"}));
    EXPECT_EQ(SplitFields(R"("ab"cd,ef)", 2), (std::vector<std::string>{"ab", "ef"}));
    EXPECT_EQ(SplitFields("a,", 3), (std::vector<std::string>{"a", ""}));
    EXPECT_EQ(SplitFields("", 2), (std::vector<std::string>{""}));
    EXPECT_EQ(FirstField(std::string("AB\0C,D", 6)), std::string("AB\0C", 4));
}

TEST(CodeDescriptionFile, findsCodesWhateverTheirCaseFirstOrLastAndSurvivesMalformedFiles) {
    const std::string text = "00,No fault\n0a,\"Door open, guard 2\"\n  c8 , Low air  \n0A,again\n";
    EXPECT_EQ(Lookup(text, "0A").description, "Door open, guard 2");
    EXPECT_EQ(Lookup(text, "0A", CodeMatch::Last).description, "again");
    EXPECT_EQ(Lookup(text, "C8").description, "Low air");
    EXPECT_EQ(Lookup(text, "0B").outcome, Outcome::NotFound);

    // Malformed files.
    const std::string longLine(5000, 'x');
    EXPECT_EQ(Lookup("01,a\r\n\r\n\n   \n02,b\r\n03,c", "03").description, "c");
    EXPECT_EQ(Lookup(longLine + "\n05,after a long line\n", "05").description, "after a long line");
    EXPECT_EQ(Lookup("0A," + longLine + "\n", "0A").description.size(), kCodeFileMaxLineLength - 3);
    EXPECT_EQ(Lookup("\"0A,\n0B,next\n", "0B").description, "next");
    EXPECT_EQ(Lookup(std::string("0A,x\0y\n0B,z", 11), "0B").description, "z");
    EXPECT_EQ(Lookup("0A\n", "0A").description, "");
    EXPECT_EQ(Lookup("0A\r0B,old Mac line ends\r", "0B").description, "old Mac line ends");
    // Nothing past the byte bound is looked at.
    std::string huge(kCodeFileMaxBytes, '\n');
    EXPECT_EQ(Lookup(huge + "0C,too far\n", "0C").outcome, Outcome::NotFound);
}

TEST(FaultDescription, anUnreadableFileGivesThePrefixAndAMessage) {
    TempFolder folder;
    std::filesystem::create_directory(folder.path() / "FaultErrCodes.txt");
    const auto result = FaultDescriptionText(folder.path() / "FaultErrCodes.txt", 10);
    EXPECT_EQ(result.text, "Fault Code (0AH): ");
    ASSERT_TRUE(result.message);
    EXPECT_EQ(result.message->title, "RSComm FaultDescription");
    EXPECT_EQ(result.message->icon, MessageIcon::Information);
    EXPECT_EQ(result.message->lines.at(0), "Error Number = " + std::to_string(test::kFolderAsFileErrno));
    EXPECT_EQ(CommCodesFile(folder.path()), folder.path() / "Support" / "CommErrCodes.txt");
}

TEST(SupportFiles, everyShippedRecordHasATwoDigitCodeAndADescription) {
    for (const char* name : {"FaultErrCodes.txt", "CommErrCodes.txt"}) {
        const auto file = std::filesystem::path(QUELBY_SOURCE_DIR) / "Support" / name;
        std::istringstream in(test::ReadWholeFile(file));
        std::string line;
        while (std::getline(in, line)) {
            const auto fields = SplitFields(line, 3);
            ASSERT_EQ(fields.size(), 2u) << name << ": " << line;
            EXPECT_EQ(fields[0].size(), 2u) << line;
            EXPECT_EQ(fields[0].find_first_not_of("0123456789ABCDEF"), std::string::npos) << line;
            EXPECT_FALSE(fields[1].empty()) << line;
        }
        EXPECT_EQ(LookupCode(file, "42").outcome, Outcome::Found) << name;
    }
}

} // namespace
} // namespace quelby

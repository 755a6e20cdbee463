// The Windows rules for the home folder, file names beyond ASCII and files replaced whole.
#include "link/FilePaths.h"
#include "link/HomeFolder.h"
#include "link/SystemServices.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <iterator>
#include <fstream>
#include <map>
#include <string>

#include <windows.h>

namespace quelby {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

const char* const kZoe = "Zo\xC3\xAB \xC3\xBC"; // "Zoë ü" in UTF-8
const wchar_t* const kZoeWide = L"Zo\u00EB \u00FC";

EnvironmentLookup Environment(std::map<std::string, std::string> values) {
    return [values = std::move(values)](const char* name) -> const char* {
        const auto found = values.find(name);
        return found == values.end() ? nullptr : found->second.c_str();
    };
}

std::string utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

TEST(WindowsServices, anInstalledProgramWorksInAppDataEvenUnderANonAsciiName) {
    TempFolder root;
    // An installed layout: the program in bin\, the shipped files in share\quelby.
    root.write("bin/quelby-cli.exe", "");
    root.write("share/quelby/Support/RSPort.cfg", "2\n9600\n");
    const fs::path appData = root.path() / kZoeWide / "AppData" / "Roaming";
    const HomeFolders installed =
        ResolveHomeFolders(std::nullopt, root.path() / "bin", Environment({{"APPDATA", utf8(appData)}}));
    EXPECT_EQ(installed.problem, "");
    EXPECT_EQ(installed.home, appData / "QUELBY");
    EXPECT_EQ(test::ReadWholeFile(appData / "QUELBY" / "Support" / "RSPort.cfg"), "2\n9600\n");

    // Without APPDATA the profile's roaming folder; a build folder with Support\ is its own home.
    EXPECT_EQ(UserSettingsFolder(Environment({{"USERPROFILE", "C:\\Users\\x"}})),
              fs::path("C:\\Users\\x\\AppData\\Roaming\\QUELBY"));
    root.write("build/Support/RSPort.cfg", "1\n19200\n");
    EXPECT_EQ(ResolveHomeFolders(std::nullopt, root.path() / "build", Environment({})).home,
              root.path() / "build");
    EXPECT_EQ(std::distance(fs::directory_iterator(root.path() / "build"), fs::directory_iterator()), 1)
        << "the write test leaves nothing behind";
}

TEST(WindowsServices, environmentAndFileNamesCarryNonAsciiText) {
    ASSERT_TRUE(SetEnvironmentVariableW(L"QUELBY_TEST_NAME", kZoeWide));
    ASSERT_NE(SystemEnvironment("QUELBY_TEST_NAME"), nullptr);
    EXPECT_EQ(std::string(SystemEnvironment("QUELBY_TEST_NAME")), kZoe);
    EXPECT_EQ(SystemEnvironment("QUELBY_TEST_NOT_SET"), nullptr);

    TempFolder root;
    const fs::path file = root.path() / kZoeWide / "trace.txt";
    fs::create_directories(file.parent_path());
    std::FILE* stream = OpenFileForWriting(file);
    ASSERT_NE(stream, nullptr);
    std::fputs("a\nb\n", stream);
    std::fclose(stream);
    EXPECT_EQ(test::ReadWholeFile(file), "a\nb\n") << "written without line-end translation";
    EXPECT_EQ(ProgramFolder().filename(), fs::path(L"bin")) << "this test runs from bin\\";
}

TEST(WindowsServices, aFileIsReplacedWholeOrNotAtAll) {
    TempFolder root;
    const fs::path file = root.path() / kZoeWide / "RSPort.cfg";
    fs::create_directories(file.parent_path());
    std::error_code error;
    ASSERT_TRUE(WriteFileAtomically(file, "1\n9600\n", error)) << error.message();
    ASSERT_TRUE(WriteFileAtomically(file, "3\n19200\n", error)) << error.message();
    EXPECT_EQ(test::ReadWholeFile(file), "3\n19200\n");

    // A reader holding the file without letting it be deleted keeps it as it was.
    const HANDLE reader = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    const bool replaced = WriteFileAtomically(file, "4\n9600\n", error);
    CloseHandle(reader);
    if (!replaced) {
        EXPECT_TRUE(error);
        EXPECT_EQ(test::ReadWholeFile(file), "3\n19200\n");
    } else {
        EXPECT_EQ(test::ReadWholeFile(file), "4\n9600\n");
    }
    fs::path temporary = file;
    temporary += ".tmp";
    EXPECT_FALSE(fs::exists(temporary)) << "no temporary file left behind";
}

} // namespace
} // namespace quelby

#include "link/SystemServices.h"

#include <map>
#include <string>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace quelby {
namespace fs = std::filesystem;

namespace {

std::wstring wide(const char* text) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (size <= 1) return {};
    std::wstring result(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, result.data(), size);
    result.resize(static_cast<std::size_t>(size - 1));
    return result;
}

std::string utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(),
                            size, nullptr, nullptr);
    return result;
}

fs::path fromUtf8(const char* text) {
    return fs::path(wide(text));
}

} // namespace

const char* SystemEnvironment(const char* name) {
    static std::map<std::string, std::string> values;
    const std::wstring wideName = wide(name);
    const DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (size == 0) return nullptr;
    std::wstring value(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
    value.resize(length < size ? length : 0);
    return (values[name] = utf8(value)).c_str();
}

std::tm LocalTimeOf(std::time_t time) {
    std::tm local{};
    localtime_s(&local, &time);
    return local;
}

std::FILE* OpenFileForWriting(const fs::path& file) {
    return _wfopen(file.c_str(), L"wb");
}

std::FILE* OpenFileForAppending(const fs::path& file) {
    return _wfopen(file.c_str(), L"a+b");
}

std::string SystemUserName() {
    std::wstring name(257, L'\0'); // UNLEN + 1
    DWORD length = static_cast<DWORD>(name.size());
    if (!GetUserNameW(name.data(), &length) || length == 0) return {};
    name.resize(length - 1); // the length counts the terminating null
    return utf8(name);
}

fs::path RunningProgramFile() {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) return {};
        if (length < name.size()) {
            name.resize(length);
            return fs::path(name);
        }
        name.resize(name.size() * 2);
    }
}

// Tried by creating a file: the folder's access rules decide, whatever its attributes say.
bool FolderIsWritable(const fs::path& folder) {
    const fs::path probe = folder / (L"quelby-write-test-" + std::to_wstring(GetCurrentProcessId()));
    const HANDLE handle = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    CloseHandle(handle);
    return true;
}

fs::path UserSettingsFolder(const std::function<const char*(const char*)>& environment) {
    const char* appData = environment("APPDATA");
    if (appData && *appData && fromUtf8(appData).is_absolute()) return fromUtf8(appData) / "QUELBY";
    const char* profile = environment("USERPROFILE");
    if (profile && *profile) return fromUtf8(profile) / "AppData" / "Roaming" / "QUELBY";
    return fs::current_path() / "QUELBY";
}

bool ReplaceFileWith(const fs::path& temporary, const fs::path& target, std::error_code& error) {
    // MoveFileEx replaces the target in one step on the same volume; write-through makes
    // the new name reach the disk before the call returns.
    if (MoveFileExW(temporary.c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error.clear();
        return true;
    }
    error = std::error_code(static_cast<int>(GetLastError()), std::system_category());
    return false;
}

} // namespace quelby

#include "link/WindowsSerialPort.h"

#include "link/TextCase.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <iterator>
#include <utility>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace quelby {

namespace {

// Longer waits are cut to this; the caller's loop waits again.
constexpr DWORD MaxWaitMs = 24UL * 60 * 60 * 1000;
// Reads that return nothing before their time-out, before the device counts as broken: a
// bound that keeps a confused driver from turning a wait into a spin.
constexpr int MaxEmptyReads = 100;

HANDLE handleOf(void* handle) {
    return static_cast<HANDLE>(handle);
}

std::wstring wide(const std::string& text) {
    if (text.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0);
    std::wstring result(static_cast<std::size_t>(std::max(size, 0)), L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(),
                            size);
    return result;
}

std::string systemText(DWORD code) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = length && text ? std::string(text, length) : "error " + std::to_string(code);
    if (text) LocalFree(text);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' ||
                               result.back() == ' ' || result.back() == '.'))
        result.pop_back();
    return result;
}

std::string portText(int port) {
    return port > 0 ? " (port " + std::to_string(port) + ")" : std::string();
}

std::string remedyText(int port) {
    if (port <= 0) return "Plug in the adapter, or check the port given with --device.";
    return "Plug in the adapter, or choose the COM number Device Manager shows for it "
           "under \"Ports (COM & LPT)\".";
}

bool isBaudSupported(int baud) {
    return baud == 9600 || baud == 19200;
}

} // namespace

std::string DescribeComOpenError(unsigned long code, const std::string& device, int port) {
    const std::string which = device + portText(port);
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
        return "The serial port " + which + " does not exist. " + remedyText(port);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
        return which + " is in use or access is denied: another program holds it (a terminal "
                       "program or another copy of QUELBY). Close that program and try again.";
    case ERROR_INVALID_FUNCTION:
    case ERROR_INVALID_HANDLE:
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_PARAMETER:
        return which + " is not a serial port. " + remedyText(port);
    case ERROR_GEN_FAILURE:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_BAD_COMMAND:
        return "No serial port hardware answers behind " + which + ". " + remedyText(port);
    default:
        return which + " could not be opened: " + systemText(code) + ".";
    }
}

bool ComPortExists(int port) {
    wchar_t target[512];
    const std::wstring name = L"COM" + std::to_wstring(port);
    return QueryDosDeviceW(name.c_str(), target, static_cast<DWORD>(std::size(target))) != 0;
}

std::string WindowsSerialPort::DevicePath(const std::string& name) {
    const bool comName = name.size() > 3 && name.size() <= 5 && SameIgnoringCase(name.substr(0, 3), "COM") &&
                         std::all_of(name.begin() + 3, name.end(),
                                     [](char c) { return c >= '0' && c <= '9'; });
    return comName ? "\\\\.\\" + name : name;
}

WindowsSerialPort::WindowsSerialPort(PortMap map, std::string deviceOverride)
    : m_map(std::move(map)), m_deviceOverride(std::move(deviceOverride)) {}

WindowsSerialPort::~WindowsSerialPort() {
    close();
}

bool WindowsSerialPort::open(const PortSettings& settings, PortError& error) {
    close();
    const bool overridden = !m_deviceOverride.empty();
    const int port = overridden ? 0 : settings.portNumber;
    if (!overridden && (port < PortMap::FirstPort || port > PortMap::LastPort)) {
        m_device.clear();
        error = {ERROR_INVALID_PARAMETER, "Serial port",
                 "Port number " + std::to_string(port) + " is not between 1 and 99."};
        return false;
    }
    m_device = overridden ? m_deviceOverride : "COM" + std::to_string(port);
    if (!isBaudSupported(settings.baud)) {
        error = {ERROR_INVALID_PARAMETER, "Serial port " + m_device,
                 "The speed " + std::to_string(settings.baud) +
                     " baud is not supported; choose 9600 or 19200."};
        return false;
    }
    const auto fail = [&](DWORD code) {
        close();
        error = {static_cast<int>(code), "Serial port " + m_device,
                 DescribeComOpenError(code, m_device, port)};
        return false;
    };

    // COM drivers refuse a second open; some (virtual ports, Wine's) do not, so a lock named
    // after the device keeps out another copy of QUELBY there too.
    std::wstring lockName = L"Local\\quelby-serial-";
    for (char c : DevicePath(m_device))
        lockName += c == '\\' ? L'_' : static_cast<wchar_t>(std::toupper(static_cast<unsigned char>(c)));
    HANDLE lock = CreateMutexW(nullptr, FALSE, lockName.c_str());
    if (!lock) return fail(GetLastError());
    m_lock = lock;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(lock);
        m_lock = nullptr;
        return fail(ERROR_ACCESS_DENIED);
    }
    // No sharing: a second open, from this program or another, is refused.
    HANDLE handle = CreateFileW(wide(DevicePath(m_device)).c_str(), GENERIC_READ | GENERIC_WRITE,
                                0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return fail(GetLastError());
    m_handle = handle;
    DWORD code = 0;
    if (!configure(settings.baud, code)) return fail(code);
    // Whatever reached the driver before now answers nothing this program sent.
    if (!PurgeComm(handle, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR))
        return fail(GetLastError());
    m_head = m_tail = 0;
    return true;
}

// 8N1 at the speed, binary, no flow control of either kind, no character replaced or
// dropped; false with `code` when the driver refuses (a device that is no serial port).
bool WindowsSerialPort::configure(int baud, unsigned long& code) {
    const HANDLE handle = handleOf(m_handle);
    DCB line{};
    line.DCBlength = sizeof line;
    if (!GetCommState(handle, &line)) {
        code = GetLastError();
        return false;
    }
    line.BaudRate = static_cast<DWORD>(baud);
    line.ByteSize = 8;
    line.Parity = NOPARITY;
    line.StopBits = ONESTOPBIT;
    line.fBinary = TRUE;
    line.fParity = FALSE;
    line.fOutxCtsFlow = FALSE;
    line.fOutxDsrFlow = FALSE;
    line.fDtrControl = DTR_CONTROL_ENABLE;
    line.fDsrSensitivity = FALSE;
    line.fTXContinueOnXoff = TRUE;
    line.fOutX = FALSE;
    line.fInX = FALSE;
    line.fErrorChar = FALSE;
    line.fNull = FALSE;
    line.fRtsControl = RTS_CONTROL_ENABLE;
    line.fAbortOnError = FALSE;
    if (!SetCommState(handle, &line)) {
        code = GetLastError();
        return false;
    }
    DCB applied{};
    applied.DCBlength = sizeof applied;
    if (!GetCommState(handle, &applied) || applied.BaudRate != static_cast<DWORD>(baud) ||
        applied.ByteSize != 8 || applied.Parity != NOPARITY || applied.StopBits != ONESTOPBIT) {
        code = ERROR_INVALID_PARAMETER;
        return false;
    }
    SetupComm(handle, 4096, 4096); // a hint only; the driver may keep its own sizes
    m_readTimeoutMs = 0;
    if (!setReadTimeout(1)) {
        code = GetLastError();
        return false;
    }
    return true;
}

// Sets the port so that a read returns at once with the bytes the driver holds, or waits up
// to `milliseconds` for the first byte to arrive and returns with it.
bool WindowsSerialPort::setReadTimeout(unsigned long milliseconds) {
    milliseconds = std::clamp<unsigned long>(milliseconds, 1, MaxWaitMs);
    if (milliseconds == m_readTimeoutMs) return true;
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = milliseconds;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = SendTimeoutMs;
    if (!SetCommTimeouts(handleOf(m_handle), &timeouts)) return false;
    m_readTimeoutMs = milliseconds;
    return true;
}

void WindowsSerialPort::close() {
    if (m_handle) {
        CloseHandle(handleOf(m_handle));
        m_handle = nullptr;
    }
    if (m_lock) {
        CloseHandle(handleOf(m_lock));
        m_lock = nullptr;
    }
    m_head = m_tail = 0;
}

void WindowsSerialPort::vanish() {
    close();
}

// Reads up to `count` bytes into the empty buffer: at once when the driver holds some, else
// after the port's read time-out at most. True when bytes arrived; closes the port when the
// device is gone.
bool WindowsSerialPort::fill(unsigned long count) {
    m_head = m_tail = 0;
    DWORD got = 0;
    const DWORD want = std::min<DWORD>(static_cast<DWORD>(m_buffer.size()), count);
    if (!ReadFile(handleOf(m_handle), m_buffer.data(), want, &got, nullptr)) {
        vanish();
        return false;
    }
    m_tail = got;
    return got > 0;
}

int WindowsSerialPort::bytesWaiting() {
    if (m_head < m_tail) return static_cast<int>(m_tail - m_head);
    if (!m_handle) return 0;
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(handleOf(m_handle), &errors, &status)) {
        vanish();
        return 0;
    }
    // Bytes the driver holds come back from a read at once, whatever its time-out.
    if (status.cbInQue > 0) fill(status.cbInQue);
    return static_cast<int>(m_tail - m_head);
}

int WindowsSerialPort::readByte() {
    if (m_head == m_tail && bytesWaiting() == 0) return -1;
    return m_buffer[m_head++];
}

void WindowsSerialPort::discardInput() {
    m_head = m_tail = 0;
    if (m_handle && !PurgeComm(handleOf(m_handle), PURGE_RXABORT | PURGE_RXCLEAR)) vanish();
}

void WindowsSerialPort::sendByte(std::uint8_t value) {
    if (!m_handle) return;
    DWORD sent = 0;
    // The write time-out bounds the wait for room; a byte not taken by then is dropped and
    // the board's silence reports it.
    if (!WriteFile(handleOf(m_handle), &value, 1, &sent, nullptr)) vanish();
}

bool WindowsSerialPort::waitForByte(double seconds) {
    if (m_head < m_tail) return true;
    if (!m_handle) return false;
    const ULONGLONG deadline =
        GetTickCount64() + static_cast<ULONGLONG>(std::ceil(std::clamp(seconds, 0.0, 1e9) * 1000.0));
    for (int emptyReads = 0; emptyReads < MaxEmptyReads; ++emptyReads) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline && emptyReads > 0) return false;
        const auto left = static_cast<unsigned long>(std::min<ULONGLONG>(deadline - std::min(now, deadline), MaxWaitMs));
        if (!setReadTimeout(left)) {
            vanish();
            return false;
        }
        // One byte: a longer read may wait for all of it on some drivers (and under Wine).
        if (fill(1)) return true;
        if (!m_handle) return false;
    }
    vanish();
    return false;
}

} // namespace quelby

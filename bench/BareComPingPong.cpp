#include "bench/BareComPingPong.h"

#include <chrono>

#include <windows.h>

namespace quelby::bench {
namespace {

bool exchangeOne(HANDLE port, unsigned char byte) {
    DWORD done = 0;
    if (!WriteFile(port, &byte, 1, &done, nullptr) || done != 1) return false;
    return ReadFile(port, &byte, 1, &done, nullptr) && done == 1;
}

} // namespace

double BareComExchangesPerSecond(const std::string& port, long exchanges) {
    const std::string path = "\\\\.\\" + port;
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return -1;
    DCB line{};
    line.DCBlength = sizeof line;
    GetCommState(handle, &line);
    line.BaudRate = CBR_9600;
    line.ByteSize = 8;
    line.Parity = NOPARITY;
    line.StopBits = ONESTOPBIT;
    line.fBinary = TRUE;
    line.fOutxCtsFlow = line.fOutxDsrFlow = line.fOutX = line.fInX = FALSE;
    COMMTIMEOUTS timeouts{MAXDWORD, MAXDWORD, 1000, 0, 1000};
    if (!SetCommState(handle, &line) || !SetCommTimeouts(handle, &timeouts)) {
        CloseHandle(handle);
        return -1;
    }
    PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR);
    exchangeOne(handle, 0x55); // both sides awake

    const auto start = std::chrono::steady_clock::now();
    long done = 0;
    for (; done < exchanges; ++done)
        if (!exchangeOne(handle, static_cast<unsigned char>(done))) break;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    CloseHandle(handle);
    return done == exchanges ? static_cast<double>(exchanges) / seconds : -1;
}

} // namespace quelby::bench

#pragma once

#include "BoardAddress.h"
#include "Clock.h"
#include "LinkSettings.h"
#include "SerialPort.h"
#include "UserPrompt.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quelby {

// The one link to the target board. Every request runs to its end on the caller's thread and
// returns when the board has answered, a time-out has passed or the user has answered one of
// the link's messages. Failures reach callers only through the flags below and the values
// that reads return; the user sees them in the link's message boxes.
class RSComm {
public:
    // Result of a byte exchange that obtained no byte.
    static constexpr int kNoReply = 9999;

    RSComm(Clock& clock, UserPrompt& prompt, std::filesystem::path homeFolder);
    RSComm(const RSComm&) = delete;
    RSComm& operator=(const RSComm&) = delete;

    // True while the program works online with the board. Any part of the program may set it.
    bool OnlineMode = false;
    // True once the link has failed; every exchange is refused until it is cleared.
    bool CommError = false;
    // True from a reply time-out until the next reply byte arrives.
    bool CommErrorAlert = false;
    int TargetboardType = 0;

    // Support/RSPort.cfg under the home folder, found whatever the case of its names.
    std::filesystem::path CommSettingsFile() const;

    // Loads the settings, opens the port, probes the board and sets OnlineMode. A port that
    // cannot be opened shows "Comm Port Error" and leaves the link failed and offline.
    void OpenRSComm(SerialPort& commObj);
    // Leaves the board idle (when the link is healthy), closes the port, clears OnlineMode.
    // Always completes.
    void CloseRSComm();

    // The value at a board address as decimal digits; "0" when the read failed (test
    // CommError to tell a failure from a true zero) or the address is not one the board has.
    std::string RSRead(std::string_view add);
    // Writes a value typed or formatted as text. Refused entries show "ENTRY ALERT" and send
    // nothing; a write whose echo came back wrong is repeated once from the start.
    void RSWrite(std::string_view add, std::string_view dataValue);

    // True while a request or one of the link's messages is in progress. Timers test it and
    // skip their turn: the link is never entered a second time.
    bool Busy() const { return m_busy; }
    bool WriteFailed() const { return m_writeFailed; }
    // True when the last RSWrite was refused by the entry check.
    bool EntryRefused() const { return m_entryRefused; }
    // Port number and speed that replace those of the settings file for this run (the
    // command-line tool's --port and --speed); the file itself is not changed.
    void OverrideSettings(std::optional<int> portNumber, std::optional<std::string> portSpeed) {
        m_portOverride = portNumber;
        m_speedOverride = std::move(portSpeed);
    }
    int CurrentMode() const { return m_currentMode; }
    // The settings of the last initialisation (port number and speed in use).
    const LinkSettings& Settings() const { return m_settings; }
    bool PortOpen() const { return m_commObj && m_commObj->isOpen(); }

private:
    // Marks the link busy for the length of one public request; entered() is false when the
    // link was busy already and the request must not run.
    class BusyScope {
    public:
        explicit BusyScope(RSComm& link) : m_link(link), m_entered(!link.m_busy) {
            m_link.m_busy = true;
        }
        ~BusyScope() {
            if (m_entered) m_link.m_busy = false;
        }
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;
        bool entered() const { return m_entered; }

    private:
        RSComm& m_link;
        bool m_entered;
    };

    void InitializeRSComm(SerialPort& commObj);
    void CloseLink();
    bool LoadSettingsFile();
    MessageAnswer Ask(const MessageRequest& request);

    int SendByte(int value, bool noReply, bool flushFirst);
    bool SetPLCMode(int wantedMode, std::uint8_t modeByte);
    std::string ReadValue(std::string_view add);
    void WriteValue(std::string_view add, std::string_view value);
    bool Exchange(std::uint8_t byte, int& reply);

    Clock& m_clock;
    UserPrompt& m_prompt;
    std::filesystem::path m_homeFolder;

    SerialPort* m_commObj = nullptr;
    LinkSettings m_settings;
    int m_currentMode = 0;
    bool m_initFailed = false;
    bool m_writeFailed = false;
    bool m_entryRefused = false;
    std::optional<int> m_portOverride;
    std::optional<std::string> m_speedOverride;
    bool m_busy = false;

    // Read cache: the previous read's address text and its parse, reused while the board
    // stays in read mode.
    std::string m_lastReadAddress;
    ParsedAddress m_lastReadParse;
};

} // namespace quelby

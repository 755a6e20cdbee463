#include "link/RSComm.h"

#include "link/FilePaths.h"
#include "link/LinkMessages.h"

namespace quelby {
namespace fs = std::filesystem;

RSComm::RSComm(Clock& clock, UserPrompt& prompt, fs::path homeFolder)
    : m_clock(clock), m_prompt(prompt), m_homeFolder(std::move(homeFolder)) {}

fs::path RSComm::CommSettingsFile() const {
    return FindPath(m_homeFolder, fs::path("Support") / "RSPort.cfg");
}

MessageAnswer RSComm::Ask(const MessageRequest& request) {
    if (m_trace)
        TraceLine(-1, -1, LinkTraceMark::Message,
                  request.lines.empty() ? std::string_view(request.title) : request.lines.front());
    return m_prompt.ask(request);
}

// Reads or creates the settings file. False when the user gave up after a file error.
bool RSComm::LoadSettingsFile() {
    m_settings = LinkSettings{};
    for (;;) {
        const fs::path file = CommSettingsFile();
        const LoadedLinkSettings loaded = LoadLinkSettings(file);
        std::error_code error;
        switch (loaded.state) {
        case SettingsFileState::Read:
            m_settings = loaded.settings;
            break;
        case SettingsFileState::Missing:
            fs::create_directories(file.parent_path(), error);
            if (!error) WriteFileAtomically(file, LinkSettingsLine(m_settings), error);
            break;
        case SettingsFileState::Empty:
            WriteFileAtomically(file, LinkSettingsLine(m_settings), error);
            break;
        case SettingsFileState::Unreadable:
            error = loaded.error;
            break;
        }
        if (!error) return true;

        // Put back a readable file from the values in hand before asking, so a Retry
        // starts from it.
        std::error_code ignored;
        WriteFileAtomically(file, LinkSettingsLine(m_settings), ignored);
        if (Ask(LinkMessages::InitializeError(error, file.string())) != MessageAnswer::Retry)
            return false;
    }
}

void RSComm::InitializeRSComm(SerialPort& commObj) {
    if (!LoadSettingsFile()) {
        OnlineMode = false;
        m_initFailed = true;
        return;
    }
    if (m_portOverride) m_settings.portNumber = *m_portOverride;
    if (m_speedOverride) m_settings.portSpeed = *m_speedOverride;
    if (commObj.isOpen()) commObj.close();
    m_commObj = &commObj;
    m_initFailed = false;
}

void RSComm::OpenRSComm(SerialPort& commObj) {
    BusyScope scope(*this);
    if (!scope.entered()) return;

    InitializeRSComm(commObj);
    if (m_initFailed) return;

    PortError error;
    if (!commObj.open(PortSettings{m_settings.portNumber, m_settings.baud()}, error)) {
        Ask(LinkMessages::CommPortError(error));
        CommError = true;
        OnlineMode = false;
        m_initFailed = true;
        return;
    }
    commObj.discardInput();
    m_currentMode = 0;
    CommError = false;

    // Probe: any answer at all means a board is there.
    SendByte(0xFF, false, false);
    OnlineMode = !CommError;
}

void RSComm::CloseRSComm() {
    BusyScope scope(*this);
    if (!scope.entered()) return;
    CloseLink();
}

void RSComm::CloseLink() {
    if (m_commObj && m_commObj->isOpen()) {
        // One exchange of 0xFF leaves the board idle.
        if (!CommError) SendByte(0xFF, false, false);
        m_commObj->close();
    }
    m_currentMode = 0;
    OnlineMode = false;
}

} // namespace quelby

// Program download into the board's program mode, and program upload by ordinary reads.
#include "link/RSComm.h"

#include "link/BoardIdentity.h"
#include "link/BoardProtocol.h"
#include "link/ProgramFileSet.h"
#include "link/ProgramMessages.h"

#include <algorithm>

namespace quelby {
namespace {
constexpr double kRecordReplyTimeout = 1.0;
constexpr double kArmPause = 0.1;
constexpr double kSettlePause = 2.0;
// Longest stretch a pause sleeps before it lets events run: a window repaints well within it.
constexpr double kPauseSlice = 0.02;

// Clears a transfer flag however the transfer ends.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~FlagScope() { m_flag = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& m_flag;
};

} // namespace

void RSComm::Pause(double seconds) {
    const double end = m_clock.monotonicSeconds() + seconds;
    // NOLINTNEXTLINE(cert-flp30-c): the time left, not a counter; no rounding adds up.
    for (double left = seconds; left > 0; left = end - m_clock.monotonicSeconds()) {
        m_clock.sleepFor(std::min(left, kPauseSlice));
        LetEventsRun();
    }
}

void RSComm::DownloadFile(const std::filesystem::path& HBX_FileName) {
    DownloadFileCheck check = CheckDownloadFile(HBX_FileName);
    m_program = check.selection;
    for (const auto& message : check.messages) Ask(message);
}

void RSComm::UploadFile(const std::filesystem::path& HBX_FileName) {
    UploadFileChoice choice = ChooseUploadFile(HBX_FileName);
    m_program = choice.selection;
    if (choice.message) Ask(*choice.message);
}

void RSComm::DumpProgram() {
    BusyScope scope(*this);
    if (!scope.entered()) return;
    FlagScope inProgramMode(m_inProgramMode);
    m_transferSucceeded = false;
    m_writingIdent = false;
    m_currentProgramAdd = " ";

    if (!OnlineMode) {
        Ask(ProgramMessages::ProgramOffline("Program Download"));
        return;
    }
    if (!m_program.validProgram) {
        Ask(ProgramMessages::ProgramInvalid("Program Download"));
        return;
    }
    // Every record is checked before anything goes to the board: a corrupt file found half way
    // would leave the board with half a program and its outputs off.
    const HexFileRead hex = ReadIntelHexFile(m_program.files.hex);
    if (hex.outcome == HexFileRead::Outcome::Invalid || hex.outcome == HexFileRead::Outcome::ReadError) {
        Ask(ProgramMessages::ProgramInvalid("Program Dump"));
        m_program.validProgram = false;
        return;
    }

    BoardIdentityBytes boardIdentity{};
    for (int i = 0; i < kIdentityLength; ++i) {
        LetEventsRun();
        boardIdentity[static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(std::stoi(ReadText("B" + std::to_string(kIdentityAddress + i))));
        if (CommError) return;
    }
    const ProgramMessages::DownloadIdentities ids{
        m_program.ident,
        m_program.revision,
        m_program.checksum,
        m_program.boardName,
        BoardIdentText(boardIdentity),
        std::to_string(boardIdentity[9]),
        std::to_string(boardIdentity[8])};
    if (Ask(ProgramMessages::DownloadConfirmation(ids)) != MessageAnswer::Yes) return;

    OnlineMode = false; // the windows leave the link alone while the program goes down
    if (hex.outcome == HexFileRead::Outcome::Missing) {
        Ask(ProgramMessages::HexFileMissing(m_program.files.hex.string()));
        OnlineMode = true;
        return;
    }
    if (hex.outcome == HexFileRead::Outcome::Empty) {
        Ask(ProgramMessages::HexFileNotValid(m_program.files.hex.string()));
        OnlineMode = true;
        return;
    }

    // The download is one change: the arming, configuration and identity writes are part of
    // it, and it is told whichever way it ends.
    const auto identity = [](const std::string& ident, const std::string& revision,
                             const std::string& checksum) {
        return "ident " + ident + ", revision " + revision + ", checksum " + checksum;
    };
    struct ProgramChangeLog {
        RSComm& link;
        BoardChange change;
        ~ProgramChangeLog() {
            change.confirmed = link.m_transferSucceeded;
            link.LogChange(change);
        }
    } programChange{*this,
                    {{},
                     "Program",
                     identity(ids.boardIdent, ids.boardRevision, ids.boardChecksum),
                     identity(ids.programIdent, ids.programRevision, ids.programChecksum),
                     false,
                     static_cast<int>(hex.parse.records.size())}};
    FlagScope muted(m_changeLogMuted); // ends before the download is told

    // Into program mode: arm it, clear the fault code, set the configuration, open it.
    if (!CommError)
        WriteWithRepeat("B" + std::to_string(wire::kProgramArmAddress),
                        std::to_string(wire::kProgramArmValue));
    if (!CommError) WriteWithRepeat("B8176", "0");
    Pause(kArmPause);
    if (!CommError) {
        SendByte(wire::kSync, false, false);
        m_currentMode = 0;
    }
    if (!CommError && HasConfiguration(m_program.boardType)) {
        for (const BoardWrite& write : ConfigurationWrites(m_program.config))
            if (!CommError) WriteWithRepeat(write.address, write.value);
        if (CommError) Ask(ProgramMessages::CouldNotSetConfiguration());
    }
    if (!CommError) {
        SendByte(wire::kSync, false, false);
        m_currentMode = 0;
        SendByte(wire::kProgramMode, false, false);
    }

    if (!CommError) {
        if (!SendProgramRecords(hex.parse.records)) return;
        if (!CommError && SendByte(wire::kSync, false, false) != wire::kAck) {
            Ask(ProgramMessages::DidNotExitProgramMode());
            OnlineMode = false;
            return;
        }
    }
    Pause(kSettlePause);

    if (!CommError) {
        m_writingIdent = true;
        for (const BoardWrite& write :
             IdentityWrites(m_program.ident, m_program.checksum, m_program.revision)) {
            LetEventsRun();
            WriteWithRepeat(write.address, write.value);
            if (CommError) {
                Ask(ProgramMessages::CouldNotSendIdent());
                break;
            }
        }
    }
    m_program.validProgram = false;
    m_writingIdent = false;
    if (!CommError) {
        m_transferSucceeded = true;
        Ask(ProgramMessages::DownloadComplete());
        OnlineMode = true;
    } else {
        Ask(ProgramMessages::DownloadNotComplete());
        OnlineMode = false;
    }
}

// Sends each record with data and checks the sum the board answers it with. False when the
// download was halted here (the message has been shown).
bool RSComm::SendProgramRecords(const std::vector<HexRecord>& records) {
    for (const HexRecord& record : records) {
        if (CommError) return true;
        if (record.type != kHexDataRecord || record.data.empty()) continue;
        LetEventsRun();
        SendByte(record.length(), true, false);
        SendByte(record.address / 256, true, false);
        SendByte(record.address % 256, true, false);
        m_currentProgramAdd = ProgramAddressText(record.address);
        for (std::uint8_t byte : record.data) SendByte(byte, true, false);
        if (WaitForByte(kRecordReplyTimeout) != BoardRecordSum(record)) {
            Ask(ProgramMessages::ChecksumError());
            OnlineMode = false;
            return false;
        }
    }
    return true;
}

void RSComm::UploadProgram() {
    BusyScope scope(*this);
    m_readingIdent = false;
    m_transferSucceeded = false;
    if (!scope.entered() || !InUploadMode) return;
    struct EndUpload {
        RSComm& link;
        ~EndUpload() {
            link.InUploadMode = false;
            link.m_readingIdent = false;
        }
    } endUpload{*this};

    if (!OnlineMode) {
        Ask(ProgramMessages::ProgramOffline("Program Upload"));
        return;
    }
    BoardIdentityBytes identity{};
    for (int i = 0; i < kIdentityLength; ++i) {
        m_readingIdent = true;
        const auto value = ReadTwice("B" + std::to_string(kIdentityAddress + i));
        if (!value) return UploadNotComplete();
        identity[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(*value);
    }
    m_readingIdent = false;

    const FirstFieldRead hbx = ReadFirstField(m_program.files.hbx);
    if (hbx.outcome != FirstFieldRead::Outcome::Read || hbx.field.empty()) return;
    m_program.boardType = static_cast<unsigned char>(hbx.field.front());

    std::string configurationText;
    if (HasConfiguration(m_program.boardType)) {
        int values[3] = {0, 0, 0};
        for (std::size_t i = 0; i < kConfigurationReadOrder.size(); ++i) {
            const auto value = ReadTwice(std::string(kConfigurationReadOrder[i]));
            if (!value) return UploadNotComplete();
            values[i] = static_cast<int>(*value);
        }
        configurationText = ConfigurationFileText(
            m_program.boardType, ConfigDigitsFromBoard(values[0], values[1], values[2]));
    }

    // Requests cannot name FF00..FFFF (the board takes a high byte of 0xFF as a handshake),
    // so a range reaching there is read up to FEFF and the file ends with that page.
    const ProgramMemoryRange range = ProgramMemoryOf(m_program.boardType);
    const auto byteCount = static_cast<std::uint32_t>(
        std::clamp<std::int64_t>(kLastRequestAddress + 1 - range.start, 0, range.byteCount));
    std::vector<std::uint8_t> memory;
    m_currentProgramAdd = " ";
    if (!ReadProgramMemory(static_cast<std::uint16_t>(range.start), byteCount, memory))
        return UploadNotComplete();

    // Nothing is replaced until the whole program is in hand, so a failed upload leaves the
    // previous files as they were.
    std::vector<std::pair<std::filesystem::path, std::string>> files;
    files.emplace_back(m_program.files.rev, RevisionFileText(identity));
    if (!configurationText.empty()) files.emplace_back(m_program.files.lcf, configurationText);
    files.emplace_back(m_program.files.hex,
                       IntelHexText(static_cast<std::uint16_t>(range.start), memory));
    if (const std::optional<MessageRequest> failure = WriteUploadFiles(files)) {
        Ask(*failure);
        return;
    }
    m_transferSucceeded = true;
    Ask(ProgramMessages::UploadComplete());
    OnlineMode = true;
}

// Reads the program memory in blocks of 16 bytes, letting events run before each block.
// False when a byte could not be read (twice untrusted) or the link failed on the way.
bool RSComm::ReadProgramMemory(std::uint16_t start, std::uint32_t byteCount,
                               std::vector<std::uint8_t>& memory) {
    memory.clear();
    memory.reserve(byteCount);
    // Program memory is no item of the change log's: its tens of thousands of bytes stay out.
    FlagScope muted(m_changeLogMuted);
    for (std::uint32_t offset = 0; offset < byteCount; offset += 16) {
        const std::uint32_t block = start + offset;
        m_currentProgramAdd = ProgramAddressText(static_cast<std::uint16_t>(block));
        LetEventsRun();
        for (std::uint32_t i = 0; i < 16 && offset + i < byteCount; ++i) {
            const auto value = ReadTwice("B" + std::to_string(block + i));
            if (!value) return false;
            memory.push_back(static_cast<std::uint8_t>(*value));
        }
    }
    return true;
}

std::optional<std::uint32_t> RSComm::ReadTwice(const std::string& add) {
    for (int attempt = 0; attempt < 2 && !CommError; ++attempt) {
        const ReadResult read = ReadChecked(add);
        if (read.trusted) return static_cast<std::uint32_t>(std::stoul(read.text));
    }
    return std::nullopt;
}

void RSComm::UploadNotComplete() {
    Ask(ProgramMessages::UploadNotComplete());
    // A failed link takes the program offline; a board that answered wrongly twice is still
    // there to talk to.
    if (CommError) OnlineMode = false;
}

} // namespace quelby

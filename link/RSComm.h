#pragma once

#include "link/BoardAddress.h"
#include "link/BoardChangeLog.h"
#include "link/Clock.h"
#include "link/DownloadFileCheck.h"
#include "link/IntelHex.h"
#include "link/LinkSettings.h"
#include "link/LinkTrace.h"
#include "link/SerialPort.h"
#include "link/UserPrompt.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

    // A read with its verdict: `trusted` only when every byte came back as the protocol
    // expects (echoes right, no time-out or resynchronisation on the way, nothing stray
    // waiting). `text` is what RSRead returns: "0" whenever the read is not trusted.
    struct ReadResult {
        std::string text = "0";
        bool trusted = false;
    };
    ReadResult RSReadChecked(std::string_view add);
    // True when the last RSWrite reached the board and every echo of one pass confirmed it
    // (for a bit write also the read of the byte it changes). False after a refused entry,
    // a failed link or two spoiled passes.
    bool WriteConfirmed() const { return m_writeConfirmed; }

    // Every exchange from now on is told to `trace` (not owned; null stops tracing). Times
    // count from this call.
    void SetTrace(LinkTrace* trace) {
        m_trace = trace;
        m_traceStart = m_clock.monotonicSeconds();
    }
    LinkTrace* Trace() const { return m_trace; }
    // Every confirmed read and every change made on the board from now on is told to `log`
    // (not owned; null stops it).
    void SetChangeLog(BoardChangeLog* log) { m_changeLog = log; }
    BoardChangeLog* ChangeLog() const { return m_changeLog; }

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

    // Called where a long request lets events run (between program records, between the
    // identity reads and writes of a download and through its pauses): the windows redraw
    // there, the command-line tool prints progress.
    void SetEventHook(std::function<void()> hook) { m_eventHook = std::move(hook); }

    // ---- Board identity and fault descriptions ----

    // Model name of a board type code ("K650(PLC)" for 68).
    std::string TargetboardName(int BoardType) const;
    // Character marking a board type in configuration files; empty for types without one.
    std::string LCFBoardIndex(int BoardType) const;
    // The board's current fault code (B8176); 0 when the read fails. Read only while online.
    int FaultCode();
    // The firmware revision (B8159) while online and healthy; -1 without traffic otherwise.
    int FirmwareRev();
    // "Fault Code (0AH): " and the description from Support/FaultErrCodes.txt.
    std::string FaultDescription(int FltCode);

    // ---- PLS requests ----

    // Result of a PLS reading that obtained no value.
    static constexpr int kPlsReadFailed = -9999;
    // Longest setpoint list RecallAllSetpoints takes by default: a channel switches at most once
    // per division, so on a scale of up to 1024 divisions a longer list is a board fault.
    // Callers working with a finer scale pass the scale factor as the bound.
    static constexpr int kMaxRecallSetpoints = 1024;
    // The configuration written by PLSConfigDownload (one byte each, four blocks of six) and
    // the configuration PLSConfigUpload reads back (one byte each).
    using PlsConfigDownloadValues = std::array<std::int16_t, 24>;
    using PlsConfiguration = std::array<std::int16_t, 19>;

    // The PLS readings as decimal text; "-9999" when the reading failed or the link was busy.
    std::string PLSScaleFactor();
    std::string PLSOffset();
    std::string PLSPos();
    std::string PLSRpm();
    // Programs one ON/OFF pair on a channel, clearing the channel first when asked. False on
    // a failed link, a setpoint beyond the scale (message, nothing programmed) or a refusal.
    bool SingleSetpoint(int Chan, int OnSetpoint, int OffSetpoint, bool ClearChan = false);
    // Fills a channel with ON for ON_Division, OFF for OFF_Division, from START_Division on.
    // False with a message for divisions or a start the scale cannot take, and for a scale
    // factor below 1 (nothing is programmed then); False silently when the scale cannot be
    // read; a failed programming request shows "Error Encountered while Programming...".
    bool PulseTrain(int Chan, int ON_Division, int OFF_Division, int START_Division);
    // Clears every setpoint of a channel. False on a failed request.
    bool ClearPLSChan(int Chan);
    // Fetches the next setpoint of a channel into ChannelRecallState and ChannelRecallPos.
    // False on a failed request; a state other than 0 and 1 ends the channel's list.
    bool RecallChannel(int Chan);
    // Fetches the first setpoint of a channel, whatever was recalled before. The board keeps
    // one recall pointer and starts a list again only when a recall names another channel, so
    // a recall of another channel goes first (its answer is dropped). Results and failures as
    // RecallChannel; a recall sequence starts with this and goes on with RecallChannel.
    bool RecallFirstSetpoint(int Chan);
    // Results of the last recall: 1 ON, 0 OFF, anything else no setpoint (2 after a failure).
    int ChannelRecallState() const { return m_channelRecallState; }
    // Position of the last recalled setpoint; 0 after a failed recall.
    int ChannelRecallPos() const { return m_channelRecallPos; }
    // Sets the resolver offset so that the present machine position reads `Position`. False
    // with a message for a position beyond the scale or a scale factor below 1 (nothing is
    // written then); False on a failed link.
    bool SetPLSOffset(int Position);
    // Writes the four configuration blocks, then the scale factor. False at the first failed
    // block; nothing at all is sent when a value does not fit its byte (or the scale factor
    // lies outside 1..65535): "PLS Download" then names the value refused.
    bool PLSConfigDownload(const PlsConfigDownloadValues& CfgParam, int ScaleFactor);
    // Reads the configuration. On failure shows "PLS Upload" and returns what the link held
    // before, partly overwritten by the failed read.
    PlsConfiguration PLSConfigUpload();
    // True when the last PLSConfigUpload read the whole configuration.
    bool PLSConfigUploaded() const { return m_plsConfigUploaded; }

    // One recalled setpoint.
    struct RecalledSetpoint {
        bool on = false;
        int position = 0;
        bool operator==(const RecalledSetpoint&) const = default;
    };
    // How a channel's setpoint list ended: the board's end mark, a failed recall, or the
    // bound reached with the list still going (the rest was not read).
    enum class RecallEnd { EndOfList, Failed, CutOff };
    struct RecallList {
        std::vector<RecalledSetpoint> setpoints;
        RecallEnd end = RecallEnd::Failed;
    };
    // Recalls a channel's setpoints from its first until the board ends the list, a recall fails or
    // `maxSetpoints` setpoints have been read and the board offers yet another (CutOff). At
    // most maxSetpoints + 1 recalls are made. Failed without traffic when the link is busy.
    RecallList RecallAllSetpoints(int Chan, int maxSetpoints = kMaxRecallSetpoints);

    // ---- Program download and upload ----

    // Chooses a program by its hbx file and checks its companion files; the messages say what
    // is wrong. ValidProgram tells the outcome.
    void DownloadFile(const std::filesystem::path& HBX_FileName);
    bool ValidProgram() const { return m_program.validProgram; }
    // Sends the chosen program's records into the board in program mode, then its identity.
    // Every record is checked before anything is sent; the outcome shows in messages and in
    // OnlineMode.
    void DumpProgram();
    // Chooses the file set an upload writes, without checks.
    void UploadFile(const std::filesystem::path& HBX_FileName);
    // Reads the board's program into the chosen hex, revision and configuration files; the
    // files are written only once the whole program was read, each atomically.
    void UploadProgram();
    // True from a caller's upload request until the upload ends.
    bool InUploadMode = false;
    bool InProgramMode() const { return m_inProgramMode; }
    bool WritingIdent() const { return m_writingIdent; }
    bool ReadingIdent() const { return m_readingIdent; }
    // The record being sent or read, "4000H"; a blank before the first.
    const std::string& CurrentProgramAdd() const { return m_currentProgramAdd; }
    const ProgramSelection& Program() const { return m_program; }
    // True when the last DumpProgram or UploadProgram ran to its "Complete!" message.
    bool TransferSucceeded() const { return m_transferSucceeded; }

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
    // SendByte that, on a time-out, resends `resyncByte` instead of 0xFF. With `waitOnceMore`
    // the first time-out only waits another reply time: a reply then is a late echo of this
    // byte, not an answer to a resynchronisation. A write's address and data bytes go this
    // way: 0xFF would be stored by a board waiting for them, and a byte resent to a board
    // that had it already would be taken as the next one.
    int SendByteResyncWith(int value, bool noReply, bool flushFirst, std::uint8_t resyncByte,
                           bool waitOnceMore = false);
    // Tells the change log, unless a larger request (a program download) tells it as one.
    void LogChange(const BoardChange& change);
    // Tells the trace about one byte on the line; `sent` or `reply` -1 for none.
    void TraceLine(int sent, int reply, LinkTraceMark mark, std::string_view text = {});
    bool SetPLCMode(int wantedMode, std::uint8_t modeByte);
    std::string ReadValue(std::string_view add);
    void WriteValue(std::string_view add, std::string_view value);
    // RSRead and RSWrite without the busy guard, for requests made of reads and writes.
    std::string ReadText(std::string_view add);
    void WriteWithRepeat(std::string_view add, std::string_view value);
    // Waits up to `seconds` for one byte outside the lock-step exchange; -1 when none came.
    int WaitForByte(double seconds);
    bool SendProgramRecords(const std::vector<HexRecord>& records);
    bool ReadProgramMemory(std::uint16_t start, std::uint32_t byteCount, std::vector<std::uint8_t>& memory);
    bool Exchange(std::uint8_t byte, int& reply);
    // The read behind RSRead and RSReadChecked, without the busy guard.
    ReadResult ReadChecked(std::string_view add);
    // A read repeated once when it was not trusted (program uploads). nullopt when both
    // failed or the link failed.
    std::optional<std::uint32_t> ReadTwice(const std::string& add);
    // The end of an upload that could not read everything: message, files untouched.
    void UploadNotComplete();
    void LetEventsRun() {
        if (m_eventHook) m_eventHook();
    }
    // Waits `seconds` on the clock in short slices and lets events run between them, so a
    // window keeps redrawing through a deliberate pause; nothing is sent meanwhile. Pauses go
    // through the clock, so tests do not sleep.
    void Pause(double seconds);

    Clock& m_clock;
    UserPrompt& m_prompt;
    std::filesystem::path m_homeFolder;

    SerialPort* m_commObj = nullptr;
    LinkSettings m_settings;
    int m_currentMode = 0;
    bool m_initFailed = false;
    bool m_writeFailed = false;
    bool m_entryRefused = false;
    bool m_writeConfirmed = false;
    // Set by every exchange: its reply followed a time-out, or a stray byte was waiting
    // before it was sent. Such a reply is never taken as an echo or as data.
    bool m_replyDoubtful = false;
    LinkTraceMark m_traceMark = LinkTraceMark::None;
    LinkTrace* m_trace = nullptr;
    BoardChangeLog* m_changeLog = nullptr;
    // Set while a request tells the log as one change (a program download) or reads what the
    // log has no use for (program memory).
    bool m_changeLogMuted = false;
    double m_traceStart = 0;
    std::optional<int> m_portOverride;
    std::optional<std::string> m_speedOverride;
    std::function<void()> m_eventHook;

    // Program transfers
    ProgramSelection m_program;
    bool m_inProgramMode = false;
    bool m_writingIdent = false;
    bool m_readingIdent = false;
    bool m_transferSucceeded = false;
    std::string m_currentProgramAdd = " ";
    bool m_busy = false;

    // Read cache: the previous read's address text and its parse, reused while the board
    // stays in read mode.
    std::string m_lastReadAddress;
    ParsedAddress m_lastReadParse;

    // PLS
    // Each private request leaves CurrentMode at 0 and returns false on any failure.
    // Handshake into a PLS request kind; false on a failed handshake or link.
    bool StartPlsRequest(int wantedMode, std::uint8_t code);
    // Sends data bytes, each of which the board must answer 0x55.
    bool SendPlsData(const std::vector<std::uint8_t>& bytes);
    // Fetches one byte (exchange of 0x55); kNoReply when the link failed.
    int FetchPlsByte();
    // A 16-bit PLS reading, or kPlsReadFailed.
    int ReadPLSValue(std::uint8_t code);
    bool ProgramChannel(std::uint8_t code, int chan, int on, int off, int flag);
    bool WriteWord(std::uint8_t code, int value);
    bool WriteBlock(std::uint8_t code, const std::vector<std::uint8_t>& values);
    bool ReadConfiguration(std::uint8_t code);
    // One recall into m_channelRecallState/m_channelRecallPos.
    bool Recall(int chan);
    // A recall of another channel, then the recall of `chan`: its first setpoint.
    bool RecallFromFirst(int chan);
    // Polls until the PLS has taken new data; false when the user cancelled the PLS READY
    // message (CommError is then set) or the link failed.
    bool WaitPLSReady();

    int m_channelRecallState = 0;
    int m_channelRecallPos = 0;
    PlsConfiguration m_plsConfiguration{};
    bool m_plsConfigUploaded = false;
};

} // namespace quelby

// The link against a board that answers with whatever the input says (ReplyStreamPort), on a
// manual clock. The input also picks the requests (reads, checked reads, writes, bit writes,
// PLS requests, a program download and upload, closing and reopening) and answers the link's
// messages. After each request:
//   - it ended within a bounded time: a fixed allowance plus a little for every input byte
//     it used, so a silent board or an exhausted input always lets it end;
//   - every byte sent is one the request calls for: the handshake, its mode byte, the address
//     bytes and data bytes of that request;
//   - a read reported trusted returns the value the board's replies of its last pass make up,
//     and that pass ran clean: each address byte echoed, no wait expired, nothing discarded;
//   - a write reported confirmed had its last pass echoed byte for byte and sent the value
//     asked for (for a bit write: the byte read back with only that bit changed);
//   - an upload that did not complete left no file behind.
// With QUELBY_FUZZ_TRACE set, each request's line events are printed, to read a finding.
#include "fuzz/ReplyStreamPort.h"
#include "fuzz/ScratchFolder.h"
#include "link/BoardAddress.h"
#include "link/BoardIdentity.h"
#include "link/BoardProtocol.h"
#include "link/IntelHex.h"
#include "link/RSComm.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <set>
#include <string>

using namespace quelby;
using fuzz::InputStream;
using fuzz::LineEvent;
using Kind = LineEvent::Kind;

namespace {

constexpr double kTimeAllowance = 30.0;
constexpr double kTimePerInputByte = 10.0;
constexpr int kRetriesPerRequest = 16;
constexpr std::size_t kMaxRequests = 64;

// Answers the link's messages from the input: an odd byte takes the first button (Retry, OK,
// Yes), an even one the last; an exhausted input, or too many retries, takes the last.
class InputPrompt : public UserPrompt {
public:
    explicit InputPrompt(InputStream& input) : m_input(input) {}
    void newRequest() { m_retries = 0; }
    MessageAnswer ask(const MessageRequest& request) override {
        std::uint8_t byte = 0;
        const bool first = m_input.take(byte) && (byte & 1) && m_retries < kRetriesPerRequest;
        switch (request.buttons) {
        case MessageButtons::OK:
            return MessageAnswer::OK;
        case MessageButtons::OKCancel:
            return first ? MessageAnswer::OK : MessageAnswer::Cancel;
        case MessageButtons::RetryCancel:
            if (!first) return MessageAnswer::Cancel;
            ++m_retries;
            return MessageAnswer::Retry;
        case MessageButtons::YesNo:
            return first ? MessageAnswer::Yes : MessageAnswer::No;
        case MessageButtons::YesNoCancel:
            return first ? MessageAnswer::Yes : MessageAnswer::Cancel;
        }
        return MessageAnswer::Cancel;
    }
    std::optional<std::string> input(const InputRequest&) override { return std::nullopt; }

private:
    InputStream& m_input;
    int m_retries = 0;
};

// A home folder with a settings file, made once per process.
const std::filesystem::path& HomeFolder() {
    static const std::filesystem::path home = [] {
        const std::filesystem::path& folder = fuzz::ScratchFolder();
        std::filesystem::create_directories(folder / "Support");
        std::ofstream(folder / "Support" / "RSPort.cfg", std::ios::binary) << "1,9600\r\n";
        // A small program for the K650(PLC): two records at 4000H.
        std::filesystem::create_directories(folder / "programs");
        std::ofstream(folder / "programs" / "P.hbx", std::ios::binary) << "D fuzz program\r\n";
        std::ofstream(folder / "programs" / "P.rev", std::ios::binary) << "FUZZPROG?601\r\n";
        std::vector<std::uint8_t> program(24);
        for (std::size_t i = 0; i < program.size(); ++i)
            program[i] = static_cast<std::uint8_t>(0xA0 + i);
        std::ofstream(folder / "programs" / "P.hex", std::ios::binary)
            << IntelHexText(0x4000, program);
        std::filesystem::create_directories(folder / "upload");
        std::ofstream(folder / "upload" / "U.hbx", std::ios::binary) << "D upload\r\n";
        return folder;
    }();
    return home;
}

void require(bool condition) {
    if (!condition) std::abort();
}

struct AddressBytes {
    std::uint8_t hi, lo;
};

AddressBytes BytesOf(int byteAddress) {
    return {static_cast<std::uint8_t>(byteAddress / 256),
            static_cast<std::uint8_t>(byteAddress % 256)};
}

// An address the request names: "B", "W" or "D" and a number, now and then a bit address.
std::string PickAddress(InputStream& input, bool bit) {
    static constexpr int kNumbers[] = {0, 182, 1003, 1016, 1100, 8176, 8181, 0xFEFC};
    const std::uint8_t pick = input.takeOr(0);
    int number = kNumbers[pick % 8];
    if (pick & 0x80) number = (input.takeOr(0) << 8 | input.takeOr(0)) % 0xFF00;
    if (bit) return "B" + std::to_string(number) + "." + std::to_string((pick >> 3) & 7);
    return std::string(1, "BWD"[(pick >> 3) % 3]) + std::to_string(number);
}

// The events of one request, with checks on its last pass.
class Transcript {
public:
    Transcript(const std::vector<LineEvent>& events, std::size_t from)
        : m_events(events.begin() + static_cast<std::ptrdiff_t>(from), events.end()) {}

    void requireSentWithin(const std::set<std::uint8_t>& allowed) const {
        for (const LineEvent& e : m_events)
            if (e.kind == Kind::Sent) require(allowed.count(e.byte) == 1);
    }
    bool sentNothing() const {
        for (const LineEvent& e : m_events)
            if (e.kind == Kind::Sent) return false;
        return true;
    }
    std::set<std::uint8_t> readBytes() const {
        std::set<std::uint8_t> bytes;
        for (const LineEvent& e : m_events)
            if (e.kind == Kind::Read) bytes.insert(e.byte);
        return bytes;
    }

    // The replies of a clean run of exchanges ending at `end` (exclusive), each a byte sent
    // and the byte read next; `echoed[i]` asks the reply to equal the byte sent. Returns the
    // replies, or fails the input when the run is not there exactly.
    std::vector<std::uint8_t> cleanExchanges(std::size_t end, const std::vector<std::uint8_t>& sent,
                                             const std::vector<bool>& echoed) const {
        require(end >= 2 * sent.size() && end <= m_events.size());
        std::vector<std::uint8_t> replies;
        std::size_t at = end - 2 * sent.size();
        for (std::size_t i = 0; i < sent.size(); ++i, at += 2) {
            const LineEvent& out = m_events[at];
            const LineEvent& in = m_events[at + 1];
            require(out.kind == Kind::Sent && out.byte == sent[i]);
            require(in.kind == Kind::Read);
            if (echoed[i]) require(in.byte == out.byte);
            replies.push_back(in.byte);
        }
        return replies;
    }
    std::size_t size() const { return m_events.size(); }
    void print(int op) const {
        std::fprintf(stderr, "request %d:", op);
        for (const LineEvent& e : m_events) {
            const char* kind[] = {" >", " <", " discard ", " expired"};
            std::fprintf(stderr, "%s", kind[static_cast<int>(e.kind)]);
            if (e.kind != Kind::WaitExpired) std::fprintf(stderr, "%02X", e.byte);
        }
        std::fprintf(stderr, "\n");
    }

    // Where the last clean read pass of `address` ends before `limit`: a Sent(hi), Read(hi),
    // Sent(lo), Read(data) run with nothing between them.
    std::size_t lastReadPassBefore(std::size_t limit, AddressBytes address) const {
        for (std::size_t end = limit; end >= 4; --end) {
            const auto& e = m_events;
            if (e[end - 4].kind == Kind::Sent && e[end - 4].byte == address.hi &&
                e[end - 3].kind == Kind::Read && e[end - 3].byte == address.hi &&
                e[end - 2].kind == Kind::Sent && e[end - 2].byte == address.lo &&
                e[end - 1].kind == Kind::Read)
                return end;
        }
        std::abort();
    }

private:
    std::vector<LineEvent> m_events;
};

// Checks a read reported trusted against the replies of its last pass.
void CheckTrustedRead(const Transcript& t, const std::string& address, const std::string& text) {
    const std::optional<ParsedAddress> parsed = ParseAddress(address);
    require(parsed.has_value());
    std::vector<std::uint8_t> sent;
    std::vector<bool> echoed;
    for (int i = 0; i < parsed->byteCount(); ++i) {
        const AddressBytes a = BytesOf(parsed->byteAddress + i);
        sent.insert(sent.end(), {a.hi, a.lo});
        echoed.insert(echoed.end(), {true, false});
    }
    const std::vector<std::uint8_t> replies = t.cleanExchanges(t.size(), sent, echoed);
    std::vector<std::uint8_t> data;
    for (std::size_t i = 1; i < replies.size(); i += 2)
        data.push_back(replies[i]);
    const std::string expected = parsed->isBitAddress
                                     ? ((data[0] & parsed->bitMask) ? "1" : "0")
                                     : std::to_string(DecodeValue(parsed->addrType, data));
    require(text == expected);
}

// Checks a write reported confirmed: its last pass echoed every byte and carried `bytes`.
void CheckConfirmedWrite(const Transcript& t, const ParsedAddress& address,
                         const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> sent;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const AddressBytes a = BytesOf(address.byteAddress + static_cast<int>(i));
        sent.insert(sent.end(), {a.hi, a.lo, bytes[i]});
    }
    t.cleanExchanges(t.size(), sent, std::vector<bool>(sent.size(), true));
}

void CheckWrite(RSComm& link, const Transcript& t, const std::string& address,
                std::uint32_t value) {
    const EntryCheck entry = CheckEntry(address, std::to_string(value));
    if (entry.error) {
        require(link.EntryRefused() && !link.WriteConfirmed() && t.sentNothing());
        return;
    }
    const AddressBytes first = BytesOf(entry.address.byteAddress);
    std::set<std::uint8_t> allowed = {0xFF, wire::kReadMode, wire::kWriteMode};
    std::vector<std::uint8_t> data;
    if (entry.address.isBitAddress) {
        allowed.insert({first.hi, first.lo});
        for (std::uint8_t r : t.readBytes())
            allowed.insert({static_cast<std::uint8_t>(r | entry.address.bitMask),
                            static_cast<std::uint8_t>(r & ~entry.address.bitMask)});
        if (link.WriteConfirmed()) {
            // The byte written is the byte the last clean read before the write pass returned,
            // with only the bit changed.
            const std::size_t writePass = t.size() - 6;
            const std::size_t readEnd = t.lastReadPassBefore(writePass, first);
            const std::uint8_t current =
                t.cleanExchanges(readEnd, {first.hi, first.lo}, {true, false})[1];
            data = BytesToWrite(entry, current);
        }
    } else {
        allowed.erase(wire::kReadMode);
        data = BytesToWrite(entry, 0);
        for (int i = 0; i < entry.address.byteCount(); ++i) {
            const AddressBytes a = BytesOf(entry.address.byteAddress + i);
            allowed.insert({a.hi, a.lo});
        }
        allowed.insert(data.begin(), data.end());
    }
    t.requireSentWithin(allowed);
    if (link.WriteConfirmed()) CheckConfirmedWrite(t, entry.address, data);
}

// The bytes of a write of `value` to `address`: address bytes of each byte, the data.
void AddWrite(std::set<std::uint8_t>& allowed, const std::string& address,
              const std::string& value) {
    const EntryCheck entry = CheckEntry(address, value);
    if (entry.error) return;
    for (std::uint8_t byte : BytesToWrite(entry, 0))
        allowed.insert(byte);
    for (int i = 0; i < entry.address.byteCount(); ++i) {
        const AddressBytes a = BytesOf(entry.address.byteAddress + i);
        allowed.insert({a.hi, a.lo});
    }
}

// Everything a program download may send: the identity reads, the arming and fault code
// writes, the configuration and identity writes, the program's records, the mode bytes.
std::set<std::uint8_t> DownloadAllowed(const ProgramSelection& program) {
    std::set<std::uint8_t> allowed = {0xFF, wire::kReadMode, wire::kWriteMode, wire::kProgramMode};
    for (int i = 0; i < kIdentityLength; ++i) {
        const AddressBytes a = BytesOf(kIdentityAddress + i);
        allowed.insert({a.hi, a.lo});
    }
    AddWrite(allowed, "B8181", "86");
    AddWrite(allowed, "B8176", "0");
    for (const BoardWrite& write : ConfigurationWrites(program.config))
        AddWrite(allowed, write.address, write.value);
    for (const BoardWrite& write :
         IdentityWrites(program.ident, program.checksum, program.revision))
        AddWrite(allowed, write.address, write.value);
    const HexFileRead hex = ReadIntelHexFile(program.files.hex);
    for (const HexRecord& record : hex.parse.records) {
        allowed.insert({static_cast<std::uint8_t>(record.length()),
                        static_cast<std::uint8_t>(record.address / 256),
                        static_cast<std::uint8_t>(record.address % 256)});
        allowed.insert(record.data.begin(), record.data.end());
    }
    return allowed;
}

std::set<std::uint8_t> ReadAllowed(const std::string& address) {
    std::set<std::uint8_t> allowed = {0xFF, wire::kReadMode};
    if (const auto parsed = ParseAddress(address))
        for (int i = 0; i < parsed->byteCount(); ++i) {
            const AddressBytes a = BytesOf(parsed->byteAddress + i);
            allowed.insert({a.hi, a.lo});
        }
    return allowed;
}

// The bytes of a PLS request: handshake, its code, the fetch and the ready poll, and data.
std::set<std::uint8_t> PlsAllowed(std::initializer_list<int> codes,
                                  std::initializer_list<int> data) {
    std::set<std::uint8_t> allowed = {0xFF, 0x55, 0x38};
    for (int c : codes)
        allowed.insert(static_cast<std::uint8_t>(c));
    for (int d : data) {
        allowed.insert(static_cast<std::uint8_t>(d % 256));
        allowed.insert(static_cast<std::uint8_t>(d / 256 % 256));
    }
    return allowed;
}

// Runs one request chosen by the input and checks it.
void RunRequest(RSComm& link, fuzz::ReplyStreamPort& port, InputStream& input,
                sim::ManualClock& clock) {
    const std::size_t from = port.events().size();
    const double started = clock.monotonicSeconds();
    const std::size_t usedBefore = input.used();
    const std::uint8_t op = input.takeOr(0);
    std::set<std::uint8_t> allowed;
    std::function<void(const Transcript&)> check;

    switch (op % 10) {
    case 0:
    case 1: {
        const std::string address = PickAddress(input, op & 0x10);
        allowed = ReadAllowed(address);
        if (op % 10 == 0) {
            const RSComm::ReadResult read = link.RSReadChecked(address);
            check = [address, read](const Transcript& t) {
                if (read.trusted)
                    CheckTrustedRead(t, address, read.text);
                else
                    require(read.text == "0");
            };
        } else {
            const std::string text = link.RSRead(address);
            check = [text](const Transcript&) {
                require(text.find_first_not_of("0123456789") == std::string::npos);
            };
        }
        break;
    }
    case 2:
    case 3: {
        const bool bit = op % 10 == 3;
        const std::string address = PickAddress(input, bit);
        std::uint32_t value = bit ? input.takeOr(0) % 2 : 0;
        if (!bit)
            for (int i = 0; i < 4; ++i)
                value = value << 8 | input.takeOr(0);
        if (!bit && (op & 0x40))
            value %= 256; // mostly values that fit a byte or a word
        else if (!bit && (op & 0x20))
            value %= 65536;
        link.RSWrite(address, std::to_string(value));
        check = [&link, address, value](const Transcript& t) {
            CheckWrite(link, t, address, value);
        };
        allowed.clear();
        break;
    }
    case 4: {
        static constexpr int kCodes[] = {0x18, 0x28, 0x48, 0x58};
        const int which = input.takeOr(0) % 4;
        allowed = PlsAllowed({kCodes[which]}, {});
        const std::string value = which == 0   ? link.PLSScaleFactor()
                                  : which == 1 ? link.PLSOffset()
                                  : which == 2 ? link.PLSPos()
                                               : link.PLSRpm();
        const int number = std::stoi(value);
        require(number == RSComm::kPlsReadFailed || (number >= 0 && number <= 65535));
        break;
    }
    case 5: {
        const int chan = input.takeOr(0) % 20;
        const int on = input.takeOr(0) * 4, off = input.takeOr(0) * 4;
        switch (input.takeOr(0) % 3) {
        case 0:
            allowed = PlsAllowed({0x18, 0x1B, chan, 0, 1}, {on, off});
            link.SingleSetpoint(chan, on, off, on % 8 == 0);
            break;
        case 1:
            allowed = PlsAllowed({0x1B, chan, 0}, {});
            link.ClearPLSChan(chan);
            break;
        case 2: {
            const int onDivisions = 1 + on % 16, offDivisions = 1 + off % 16;
            allowed = PlsAllowed({0x18, 0x2B, chan, onDivisions, offDivisions, 0}, {on});
            link.PulseTrain(chan, onDivisions, offDivisions, on);
            break;
        }
        }
        break;
    }
    case 6: {
        const int chan = input.takeOr(0) % 20;
        if (input.takeOr(0) & 1) {
            // The list is recalled from its first setpoint: another channel is named first.
            allowed = PlsAllowed({0x09, chan, chan == 0 ? 1 : 0}, {});
            const RSComm::RecallList list = link.RecallAllSetpoints(chan, 4);
            require(list.setpoints.size() <= 4);
            for (const auto& setpoint : list.setpoints)
                require(setpoint.position <= 16 * 256 + 255);
        } else {
            allowed = PlsAllowed({0x0C}, {});
            const RSComm::PlsConfiguration configuration = link.PLSConfigUpload();
            if (link.PLSConfigUploaded())
                for (std::int16_t value : configuration)
                    require(value >= 0 && value <= 255);
        }
        break;
    }
    case 8: {
        link.DownloadFile(HomeFolder() / "programs" / "P.hbx");
        require(link.ValidProgram());
        allowed = DownloadAllowed(link.Program());
        link.DumpProgram();
        break;
    }
    case 9: {
        const auto files = ProgramFilesOf(HomeFolder() / "upload" / "U.hbx");
        link.UploadFile(files.hbx);
        link.InUploadMode = true;
        allowed = {0xFF, wire::kReadMode};
        for (int address : {kIdentityAddress, 0x4000}) // identity, then the program from 4000H
            for (int i = 0; i < 0x800; ++i) {
                const AddressBytes a = BytesOf(address + i);
                allowed.insert({a.hi, a.lo});
            }
        link.UploadProgram();
        require(!link.InUploadMode);
        if (link.TransferSucceeded()) {
            for (const auto& file : {files.rev, files.lcf, files.hex})
                std::filesystem::remove(file);
        } else {
            for (const auto& file : {files.rev, files.lcf, files.hex})
                require(!std::filesystem::exists(file));
        }
        break;
    }
    case 7: {
        allowed = {0xFF};
        link.CloseRSComm();
        require(!link.OnlineMode && !port.isOpen());
        link.OpenRSComm(port);
        break;
    }
    }

    require(!link.Busy());
    const Transcript transcript(port.events(), from);
    if (std::getenv("QUELBY_FUZZ_TRACE")) transcript.print(op % 10);
    if (!allowed.empty()) transcript.requireSentWithin(allowed);
    if (check) check(transcript);
    const double elapsed = clock.monotonicSeconds() - started;
    require(elapsed <=
            kTimeAllowance + kTimePerInputByte * static_cast<double>(input.used() - usedBefore));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    InputStream input(data, size);
    sim::ManualClock clock;
    fuzz::ReplyStreamPort port(input, clock);
    InputPrompt prompt(input);
    RSComm link(clock, prompt, HomeFolder());
    link.OpenRSComm(port);
    for (std::size_t i = 0; i < kMaxRequests && !input.empty(); ++i) {
        prompt.newRequest();
        RunRequest(link, port, input, clock);
    }
    link.CloseRSComm();
    return 0;
}

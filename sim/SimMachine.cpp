#include "sim/SimMachine.h"

#include "sim/SimMachineMap.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quelby::sim {
using namespace machine;
namespace {

constexpr char kIdentText[] = "K650SIM";
constexpr std::uint8_t kIdentChecksum = 0xA7;
constexpr std::uint8_t kIdentRevision = 0x12;
constexpr std::uint32_t kFirmwareRevision = 23;

struct StartingValue {
    const char* address;
    std::uint32_t value;
};
// The machine data set's defaults for the set-up and DF1 set-up data points.
constexpr StartingValue kSetupDefaults[] = {
    {"B1011", 0},   {"B1012", 45}, {"B1013", 45}, {"B1014", 60}, {"B1015", 60}, {"B1017", 5},
    {"W1004", 32},  {"B1019", 6},  {"B1003", 3},  {"B1000", 6},  {"B1001", 4},  {"B1002", 4},
    {"B1010", 1},   {"B1018", 8},  {"B1006", 15}, {"B1007", 20}, {"B1008", 15}, {"B1009", 20},
    {"B4001.0", 0}, {"B4050", 1},  {"B4011", 10},
};
// A healthy board: no faults, the DF1 link configured and talking.
constexpr StartingValue kBoardStatus[] = {
    {"B8175", 0},  {"B8176", 0},   {"B8177", 0},
    {"B8178", 0},  {"B8179", 0},   {"B8159", kFirmwareRevision},
    {"B8180", 1},  {"B4023", 2},   {"B4021", 2},
    {"B4022", 2},  {"B4302.6", 1}, {"B4303", 0},
    {"B4018", 0},  {"B4019", 0},   {"F152", 1},
    {"W186", 360}, {"W188", 0},    {"B2088", 1},  {"B8191", 2},
};
// Timing channel setpoints (ON, OFF) of the machine data set's defaults.
constexpr int kDefaultChannels[9][2] = {{20, 60},   {10, 50},   {180, 0}, {60, 250}, {30, 200},
                                        {250, 290}, {255, 295}, {0, 140}, {0, 180}};

// The line.
constexpr double kNominalSpeed = 1200;  // cans per minute
constexpr double kRampUpPerSecond = 80; // 0 to speed in 15 s
constexpr double kRampDownPerSecond = 300;
constexpr double kJamChance = 1.0 / 12000;   // per can: about one stop in ten minutes
constexpr double kMisloadChance = 1.0 / 900; // per can: a trip about every 45 s
constexpr double kBadCanChance = 1.0 / 1500; // per can
constexpr double kJamSeconds = 20;
constexpr double kTripSeconds = 1.5;
constexpr double kSolenoidSeconds = 0.3;
constexpr std::uint64_t kSeed = 0x51A7C0FFEE650ULL;
constexpr std::int64_t kMaxCatchUpSteps = 36000;
const LocalDateTime kFirstClock{2026, 1, 5, 6, 0, 0, 2};

// Speed the drive aims at while running: the nominal speed with a slow, gentle drift.
double TargetSpeed(double t) {
    constexpr double kTwoPi = 2 * std::numbers::pi;
    return kNominalSpeed + 15 * std::sin(kTwoPi * t / 53) + 8 * std::sin(kTwoPi * t / 11.3);
}

} // namespace

struct SimMachine::Counts {
    std::uint32_t good = 0, misload = 0, badCan = 0, restart = 0;
};

SimMachine::SimMachine(SimBoard& board) : m_board(board) {
    for (std::size_t ch = 0; ch < std::size(kDefaultChannels); ++ch)
        m_channels[ch] = {kDefaultChannels[ch][0], kDefaultChannels[ch][1]};
    m_clockAtBase = ValidDate(kFirstClock);
}

SimMachine::~SimMachine() {
    if (m_started) m_board.setWriteObserver({});
}

void SimMachine::start(double nowSeconds) {
    start(nowSeconds, kFirstClock);
}

void SimMachine::start(double nowSeconds, const LocalDateTime& boardClock) {
    m_started = true;
    m_startSeconds = nowSeconds;
    m_step = 0;
    m_randomState = kSeed;
    m_speed = 0;
    m_canFraction = 0;
    m_cansMade = 0;
    m_jamClearsAt = -1;
    m_restartPending = true;
    m_misloadCansLeft = m_restartCansLeft = 0;
    m_shiftEndLatched = false;
    m_tripUntil = m_badCanUntil = m_qcUntil = m_pinChainUntil = m_alarmResetUntil = -1;
    m_clockAtBase = ValidDate(boardClock);
    m_clockBase = 0;
    fillStartingValues();
    publish();
    m_board.setWriteObserver([this](std::uint16_t address) { onWrite(address); });
}

void SimMachine::fillStartingValues() {
    for (const auto& [address, value] : kSetupDefaults)
        m_board.setValue(address, value);
    for (const auto& [address, value] : kBoardStatus)
        m_board.setValue(address, value);
    // Shift data starts at its default 0: trips, both shifts, the tripped spindle.
    constexpr auto kTripsEnd = static_cast<std::uint16_t>(kTripsPerSpindle + 2 * kSpindles);
    for (std::uint16_t a = kTripsPerSpindle; a < kTripsEnd; ++a)
        m_board.poke(a, 0);
    for (std::uint16_t a = kCurrentShiftFirst; a < kCurrentShiftEnd + kLastShiftOffset; ++a)
        m_board.poke(a, 0);
    m_board.poke(kTrippedSpindle, 0);
    for (BoardBit bit : {kBlowoffArmed, kBlowoffGo, kBadCanTest, kEndOfShift, kResetTrips})
        SetBit(m_board, bit, false);
    for (std::uint16_t i = 0; i < 8; ++i)
        m_board.poke(kIdentity + i, i < sizeof kIdentText - 1
                                        ? static_cast<std::uint8_t>(kIdentText[i])
                                        : std::uint8_t{0});
    m_board.poke(kIdentity + 8, kIdentChecksum);
    m_board.poke(kIdentity + 9, kIdentRevision);
}

void SimMachine::setTimingChannel(int channel, int onPosition, int offPosition) {
    if (channel < 0 || channel >= static_cast<int>(m_channels.size())) return;
    m_channels[static_cast<std::size_t>(channel)] = {onPosition, offPosition};
}

int SimMachine::resolverRpm() const {
    return static_cast<int>(std::lround(m_speed));
}

std::uint64_t SimMachine::nextRandom() {
    // SplitMix64: the same sequence on every platform.
    std::uint64_t z = (m_randomState += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

void SimMachine::tick(double nowSeconds) {
    if (!m_started) return;
    double due = std::floor((nowSeconds - m_startSeconds) / kStepSeconds + 1e-9);
    if (!(due > static_cast<double>(m_step))) return; // also a time that is not a number
    due = std::min(due, 1e15);
    const auto target = static_cast<std::int64_t>(due);
    m_step = std::max(m_step, target - kMaxCatchUpSteps);
    while (m_step < target)
        step();
    publish();
}

void SimMachine::step() {
    ++m_step;
    const double t = stepTime();
    if (m_jamClearsAt >= 0 && t >= m_jamClearsAt) {
        m_jamClearsAt = -1;
        m_alarmResetUntil = t + 1;
    }
    const bool driven = m_driveOn && m_jamClearsAt < 0;
    const double target = driven ? TargetSpeed(t) : 0;
    m_speed = m_speed < target ? std::min(target, m_speed + kRampUpPerSecond * kStepSeconds)
                               : std::max(target, m_speed - kRampDownPerSecond * kStepSeconds);
    if (!running()) {
        m_restartPending = true;
    } else if (m_restartPending) {
        m_restartPending = false;
        m_restartCansLeft = m_board.peek(kPrintRestartCans) + m_board.peek(kVarnishRestartCans);
    }

    m_canFraction += m_speed / 60 * kStepSeconds;
    const double whole = std::floor(m_canFraction);
    m_canFraction -= whole;
    Counts counts;
    makeCans(static_cast<int>(whole), counts);
    addCounts(counts);
    if (IsSet(m_board, kResetTrips)) onWrite(kResetTrips.byte); // held: trips stay at 0
}

void SimMachine::makeCans(int cans, Counts& counts) {
    const double t = stepTime();
    for (int i = 0; i < cans; ++i) {
        ++m_cansMade;
        const double chance = static_cast<double>(nextRandom() >> 11) * 0x1.0p-53;
        if (chance < kJamChance && m_jamClearsAt < 0) m_jamClearsAt = t + kJamSeconds;
        if (m_restartCansLeft > 0) {
            --m_restartCansLeft;
            ++counts.restart;
        } else if (m_misloadCansLeft > 0) {
            --m_misloadCansLeft;
            ++counts.misload;
        } else if (chance >= kJamChance && chance < kJamChance + kMisloadChance) {
            trip();
            m_misloadCansLeft = std::max(1, int{m_board.peek(kMisloadCans)}) - 1;
            ++counts.misload;
        } else if (chance >= kJamChance + kMisloadChance &&
                   chance < kJamChance + kMisloadChance + kBadCanChance) {
            m_badCanUntil = t + kSolenoidSeconds;
            ++counts.badCan;
        } else {
            ++counts.good;
        }
    }
}

// A misloaded can trips the print carriage and varnish unit on the spindle at the station.
void SimMachine::trip() {
    const int station = static_cast<int>(m_cansMade % kSpindles);
    const int spindle = (station + m_board.peek(kTripOffset)) % kSpindles + 1;
    const auto word = SpindleWord(kTripsPerSpindle, spindle);
    SetWord(m_board, word, Word(m_board, word) + 1);
    const auto shiftWord = SpindleWord(kShiftTrips, spindle);
    SetWord(m_board, shiftWord, Word(m_board, shiftWord) + 1);
    m_board.poke(kTrippedSpindle, static_cast<std::uint8_t>(spindle));
    m_tripUntil = stepTime() + kTripSeconds;
    m_pinChainUntil = stepTime() + kSolenoidSeconds;
}

void SimMachine::addCounts(const Counts& counts) {
    AddDouble(m_board, kGoodCans, counts.good);
    AddDouble(m_board, kTotalBlowoffs, counts.misload + counts.badCan + counts.restart);
    AddDouble(m_board, kBadCanBlowoffs, counts.badCan);
    AddDouble(m_board, kRestartBlowoffs, counts.restart);
}

void SimMachine::onWrite(std::uint16_t address) {
    const double t = stepTime();
    if (address == kBlowoffGo.byte && IsSet(m_board, kBlowoffGo)) fireBlowoffCommand();
    if (address == kBadCanTest.byte && IsSet(m_board, kBadCanTest)) {
        AddDouble(m_board, kBadCanBlowoffs, 1);
        AddDouble(m_board, kTotalBlowoffs, 1);
        m_pinChainUntil = t + kSolenoidSeconds;
        SetBit(m_board, kBadCanTest, false);
    }
    if (address == kResetTrips.byte && IsSet(m_board, kResetTrips)) {
        for (int spindle = 1; spindle <= kSpindles; ++spindle)
            SetWord(m_board, SpindleWord(kTripsPerSpindle, spindle), 0);
        m_board.poke(kTrippedSpindle, 0);
    }
    if (address == kEndOfShift.byte) {
        const bool held = IsSet(m_board, kEndOfShift);
        if (held && !m_shiftEndLatched) endShift();
        m_shiftEndLatched = held;
    }
    if (address >= kClockSecond && address <= kClockYear) setClockFromBoard();
}

// Acknowledges the command flags; an armed command blows off what B2088 names.
void SimMachine::fireBlowoffCommand() {
    const bool armed = IsSet(m_board, kBlowoffArmed);
    SetBit(m_board, kBlowoffArmed, false);
    SetBit(m_board, kBlowoffGo, false);
    if (!armed) return;
    const int code = m_board.peek(kBlowoffCode);
    const double t = stepTime();
    if (code >= 1 && code <= kSpindles) {
        AddDouble(m_board, kQcBlowoffs, 1);
        m_qcUntil = t + kSolenoidSeconds;
    } else if (code == 25 || code == 26) { // blanket, mandrel
        AddDouble(m_board, kManualBlowoffs, 1);
        m_pinChainUntil = t + kSolenoidSeconds;
    } else {
        return;
    }
    AddDouble(m_board, kTotalBlowoffs, 1);
}

// The current shift block (totals and trips) becomes the last shift; the current one restarts.
void SimMachine::endShift() {
    for (std::uint16_t a = kCurrentShiftFirst; a < kCurrentShiftEnd; ++a) {
        m_board.poke(static_cast<std::uint16_t>(a + kLastShiftOffset), m_board.peek(a));
        m_board.poke(a, 0);
    }
}

} // namespace quelby::sim

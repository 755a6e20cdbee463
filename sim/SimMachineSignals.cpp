// What the machine shows on the board after its steps: speed and resolver, I/O, the board
// clock and the DF1 link.

#include "sim/SimMachine.h"

#include "sim/SimMachineMap.h"

#include <chrono>
#include <cmath>
#include <initializer_list>
#include <numbers>

namespace quelby::sim {
using namespace machine;
namespace {

constexpr double kSpeedScale = 1500;            // full scale of the analog speed signals
constexpr std::uint32_t kCanCheckSwitch = 0x15; // thumbwheel, two BCD digits

} // namespace

namespace machine {

LocalDateTime AddSeconds(const LocalDateTime& from, long long seconds) {
    using namespace std::chrono;
    const sys_days date{year{from.year} / month{static_cast<unsigned>(from.month)} /
                        day{static_cast<unsigned>(from.day)}};
    const sys_seconds time = date + hours{from.hour} + minutes{from.minute} +
                             std::chrono::seconds{from.second + seconds};
    const auto midnight = floor<days>(time);
    const year_month_day ymd{midnight};
    const hh_mm_ss clock{time - midnight};
    LocalDateTime result;
    result.year = static_cast<int>(ymd.year());
    result.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    result.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    result.hour = static_cast<int>(clock.hours().count());
    result.minute = static_cast<int>(clock.minutes().count());
    result.second = static_cast<int>(clock.seconds().count());
    result.dayOfWeek = static_cast<int>(weekday{midnight}.c_encoding()) + 1;
    return result;
}

LocalDateTime ValidDate(LocalDateTime date) {
    using namespace std::chrono;
    date.year = std::clamp(date.year, 1970, 2199);
    date.month = std::clamp(date.month, 1, 12);
    const year_month_day_last last{year{date.year} /
                                   month_day_last{month{static_cast<unsigned>(date.month)}}};
    date.day = std::clamp(date.day, 1, static_cast<int>(static_cast<unsigned>(last.day())));
    date.hour = std::clamp(date.hour, 0, 23);
    date.minute = std::clamp(date.minute, 0, 59);
    date.second = std::clamp(date.second, 0, 59);
    return AddSeconds(date, 0);
}

} // namespace machine

int SimMachine::resolverPosition() const {
    const int scale = ResolverScale(m_board);
    const int offset = static_cast<int>(Word(m_board, kResolverOffset)) % scale;
    return (static_cast<int>(m_canFraction * scale) + offset) % scale;
}

void SimMachine::setClockFromBoard() {
    LocalDateTime date;
    date.year = 2000 + std::min(99, int{m_board.peek(kClockYear)});
    date.month = m_board.peek(kClockMonth);
    date.day = m_board.peek(kClockDay);
    date.hour = m_board.peek(kClockHour);
    date.minute = m_board.peek(kClockMinute);
    date.second = m_board.peek(kClockSecond);
    m_clockAtBase = ValidDate(date);
    m_clockBase = stepTime();
    publishClock();
}

void SimMachine::publish() {
    const int rpm = resolverRpm();
    SetWord(m_board, kSpeed, static_cast<std::uint32_t>(rpm));
    SetWord(m_board, kResolverPosition, static_cast<std::uint32_t>(resolverPosition()));
    SetWord(m_board, kResolverPeriod,
            rpm > 0 ? static_cast<std::uint32_t>(std::lround(60000.0 / rpm)) : 0);
    publishInputsAndOutputs();
    publishClock();

    const auto transactions = static_cast<std::uint32_t>(m_step / kStepsPerDf1Transaction);
    const bool reading = transactions % 2 == 0;
    SetWord(m_board, kDf1Transaction, transactions & 0xFFFF);
    SetWord(m_board, kDf1TransactionReceived, transactions & 0xFFFF);
    m_board.poke(kDf1ActiveCommand, reading ? 0 : 1);
    m_board.poke(kDf1BytesReceived, reading ? 40 : 4);
    const bool busy = m_step % kStepsPerDf1Transaction == kStepsPerDf1Transaction - 1;
    m_board.poke(kDf1TransmitStatus, busy ? 1 : 2);
}

void SimMachine::publishClock() {
    const auto elapsed = static_cast<long long>(std::floor(stepTime() - m_clockBase + 1e-9));
    const LocalDateTime now = AddSeconds(m_clockAtBase, elapsed);
    m_board.poke(kClockSecond, static_cast<std::uint8_t>(now.second));
    m_board.poke(kClockMinute, static_cast<std::uint8_t>(now.minute));
    m_board.poke(kClockHour, static_cast<std::uint8_t>(now.hour));
    m_board.poke(kClockWeekday, static_cast<std::uint8_t>(now.dayOfWeek));
    m_board.poke(kClockDay, static_cast<std::uint8_t>(now.day));
    m_board.poke(kClockMonth, static_cast<std::uint8_t>(now.month));
    m_board.poke(kClockYear, static_cast<std::uint8_t>(now.year % 100));
}

void SimMachine::publishInputsAndOutputs() {
    const double t = stepTime();
    const bool tripped = t < m_tripUntil;
    const bool jammed = m_jamClearsAt >= 0;
    const int rpm = resolverRpm();
    const int position = resolverPosition();
    const int scale = ResolverScale(m_board);
    const auto bits = [](std::initializer_list<bool> states) {
        std::uint32_t word = 0, mask = 1;
        for (bool on : states) {
            if (on) word |= mask;
            mask <<= 1;
        }
        return word;
    };

    std::uint32_t timing = 0;
    for (std::size_t ch = 0; ch < m_channels.size(); ++ch) {
        const auto [on, off] = m_channels[ch];
        const bool active = on < off   ? position >= on && position < off
                            : on > off ? position >= on || position < off
                                       : false;
        if (active) timing |= 1u << ch;
    }
    SetWord(m_board, kTimingOutputs, timing);

    // Slot 0-0: modes all in auto, drive, alarm reset after a jam, the end-of-shift command.
    SetWord(m_board, kSlot00Inputs,
            bits({true, false, true, false, true, false, false, running(), m_driveOn,
                  t < m_alarmResetUntil, false, tripped, false, IsSet(m_board, kEndOfShift)}));
    // Slot 0-1: the can check thumbwheel, and the remote display showing the speed one digit
    // per step, BCD in bits 8..11 with the digit's strobe in bits 12..15.
    constexpr int kPlaces[] = {1, 10, 100, 1000};
    const int digit = static_cast<int>(m_step % 4);
    const int digitValue = rpm / kPlaces[digit] % 10;
    SetWord(m_board, kSlot01Inputs,
            kCanCheckSwitch | static_cast<std::uint32_t>(digitValue) << 8 | 1u << (12 + digit));
    // Slot 0-2: solenoid pairs (on, off), canfeed, zero speed, jam, the PLC clock channel.
    SetWord(m_board, kSlot02Outputs,
            bits({!tripped, tripped, !tripped, tripped, t < m_badCanUntil, t >= m_badCanUntil,
                  t < m_pinChainUntil, t >= m_pinChainUntil, t < m_qcUntil, t >= m_qcUntil,
                  m_driveOn && !jammed, !m_driveOn || jammed, rpm == 0, jammed, false,
                  (timing & 0x100) != 0}));

    SetBit(m_board, kCanSensor, position < scale / 2);
    SetBit(m_board, kSpindleSensor, m_cansMade % kSpindles == 0);
    SetWord(m_board, kAnalogIn0,
            static_cast<std::uint32_t>(std::lround(std::min(1.0, m_speed / kSpeedScale) * 4095)));
    SetWord(m_board, kAnalogIn1,
            static_cast<std::uint32_t>(
                std::lround(2048 + 60 * std::sin(2 * std::numbers::pi * t / 97))));
    m_board.poke(kAnalogOut0, static_cast<std::uint8_t>(
                                  std::lround(std::min(1.0, m_speed / kSpeedScale) * 255)));
    m_board.poke(kAnalogOut1, 128);
}

} // namespace quelby::sim
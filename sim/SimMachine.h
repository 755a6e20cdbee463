#pragma once

#include "link/Clock.h"

#include <array>
#include <cstdint>

namespace quelby::sim {

class SimBoard;

// A can-printing line at work behind the simulated board's addresses, so the program shows a
// live machine without hardware.
//
// The line is simulated in fixed steps of 0.1 s counted from start(): tick() runs the steps
// that have come due, so the board's memory depends only on the times given (and on the
// computer's writes in between), not on how often tick() is called. Chance events draw from
// a fixed-seed generator, one draw per can.
//
// Addresses the machine drives (set by start(), then moved by tick() or by commands):
//
// | address            | what moves it                                                       |
// |--------------------|---------------------------------------------------------------------|
// | W182               | machine speed, cans/min: ramps to ~1200 with slow drift, 0 at a stop |
// | D1100              | current shift good cans, counted per can                            |
// | D1104              | current shift total blow-offs (all kinds below, plus misload ones)  |
// | D1108              | bad can blow-offs: chance damaged cans, F830 test blow-off          |
// | D1112              | restart blow-offs: B1001 + B1002 cans each time the line restarts   |
// | D1116              | manual blow-offs: blow-off command codes 25 (blanket), 26 (mandrel) |
// | D1120              | Q.C. blow-offs: blow-off command codes 1..24                        |
// | W1020..W1066       | trips per spindle; held at 0 (and B598 too) while B1016.0 is 1       |
// | W1124..W1170       | current shift trips per spindle                                     |
// | B598               | last tripped spindle (spindle #1 shifted by B1011); 0 after a reset |
// | D1200..D1220,      | last shift: the current shift block (D1100..D1120, W1124..W1170)    |
// | W1224..W1270       | copied here when F133 goes to 1, and the current block zeroed       |
// | F825, F102         | blow-off command: F102 = 1 with F825 = 1 fires B2088, both back to 0 |
// | F830               | bad-can test blow-off: counted, back to 0                           |
// | W100, W110, W120   | slot 0-0 inputs, 0-1 inputs (thumbwheel, remote speed display),     |
// |                    | 0-2 outputs (trip and blow-off solenoids, canfeed, zero speed, jam) |
// | W170               | timing channel outputs at the resolver position                     |
// | F16, F17           | can sensor (first half of the cycle), spindle #1 at the station     |
// | W162, W164         | analog inputs: speed reference 0..4095, a slowly wandering pressure |
// | B166, B167         | analog outputs: speed 0..255, fixed 128                             |
// | W180, W184         | resolver position (W186 divisions, offset W188), period in ms       |
// | B43008..B43017     | board clock: sec 43008, min 43010, hour 43012, weekday 43014 (1 =   |
// |                    | Sunday), day 43015, month 43016, two-digit year 43017; a write to   |
// |                    | any of them sets the clock, which runs on from the new value        |
// | W4016, W4304       | DF1 transactions sent and answered, one every 0.5 s                 |
// | B4014, B4026, B4021| DF1 active command (read/write), bytes received, transmit status    |
//
// Set by start() only: the set-up data points and DF1 set-up at their defaults (B1000..B1019,
// W1004, B4001.0, B4050, B4011), the program identity at 0xEFF0..0xEFF9, fault and
// communication error codes B8175..B8179 = 0, firmware revision B8159, network addresses
// B8180 and B8191, DF1 status B4022, B4023, B4302, B4303, B4018, B4019, driver flag F152,
// resolver scale W186 = 360 and offset W188 = 0, blow-off code B2088 = 1. The machine reads B1001,
// B1002, B1003, B1011 and W186/W188 as it runs, so values the computer writes there take
// effect and stay. The addresses themselves are named in SimMachineMap.h.
//
// Not thread-safe: call tick(), the board's receive() and the setters from one thread.
class SimMachine {
public:
    static constexpr double kStepSeconds = 0.1;
    static constexpr int kSpindles = 24;

    // The board must outlive the machine.
    explicit SimMachine(SimBoard& board);
    SimMachine(const SimMachine&) = delete;
    SimMachine& operator=(const SimMachine&) = delete;
    ~SimMachine();

    // Fills the board with starting values and starts the line (speed 0, ramping up) at
    // `nowSeconds`; the board clock starts at `boardClock` (weekday recomputed), or at
    // 2026-01-05 06:00:00. Installs the board's write observer. Never fails.
    void start(double nowSeconds);
    void start(double nowSeconds, const LocalDateTime& boardClock);
    // Runs the steps due up to `nowSeconds`. A time before the last one, or any call
    // before start(), does nothing; more than an hour of steps due at once runs only the
    // last hour of them. Never fails.
    void tick(double nowSeconds);

    // Main drive switch (slot 0-0 "Main Drive ON"): off, the line runs down and stops; on, it
    // ramps up again with the restart blow-offs. Takes effect at the next step; never fails.
    void setMainDrive(bool on) { m_driveOn = on; }
    // Setpoints of one timing channel (0..15) for the W170 outputs; both 0 turns it off.
    // A channel outside 0..15 is ignored.
    void setTimingChannel(int channel, int onPosition, int offPosition);

    // Speed the resolver turns at, one turn per can: equal to W182 (0 before start()).
    int resolverRpm() const;
    // Position within the turn in W186 divisions, shifted by W188.
    int resolverPosition() const;
    bool running() const { return m_speed >= 0.5; }

private:
    struct Counts;
    void onWrite(std::uint16_t address);
    void fillStartingValues();
    void step();
    void makeCans(int cans, Counts& counts);
    void trip();
    void addCounts(const Counts& counts);
    void fireBlowoffCommand();
    void endShift();
    void setClockFromBoard();
    void publish();
    void publishClock();
    void publishInputsAndOutputs();
    double stepTime() const { return static_cast<double>(m_step) * kStepSeconds; }
    std::uint64_t nextRandom();

    SimBoard& m_board;
    bool m_started = false;
    double m_startSeconds = 0;
    std::int64_t m_step = 0;
    std::uint64_t m_randomState = 0;

    bool m_driveOn = true;
    double m_speed = 0;
    double m_canFraction = 0; // part of the current can (resolver turn) done
    std::uint64_t m_cansMade = 0;
    double m_jamClearsAt = -1; // step time at which a jam is cleared, or -1
    bool m_restartPending = false;
    int m_misloadCansLeft = 0;
    int m_restartCansLeft = 0;
    bool m_shiftEndLatched = false;

    double m_tripUntil = -1;     // print carriage and varnish unit tripped out
    double m_badCanUntil = -1;   // damaged-can blow-off solenoid on
    double m_qcUntil = -1;       // pick-n-test blow-off solenoid on
    double m_pinChainUntil = -1; // pin chain blow-off solenoid on
    double m_alarmResetUntil = -1;

    LocalDateTime m_clockAtBase;
    double m_clockBase = 0; // step time at which the board clock showed m_clockAtBase

    std::array<std::array<int, 2>, 16> m_channels{};
};

} // namespace quelby::sim

#pragma once

#include "sim/SimBoard.h"
#include "sim/SimMachine.h"
#include "sim/SimPls.h"
#include "sim/SimProgramMode.h"

namespace quelby::sim {

// The simulated K650 and the line behind it: the board's byte protocol with its PLS and
// program mode, and a running machine whose resolver drives the PLS. What it shows depends
// only on the times it is ticked at, so tests can pin it.
class SimulatedLine {
public:
    SimulatedLine();
    SimulatedLine(const SimulatedLine&) = delete;
    SimulatedLine& operator=(const SimulatedLine&) = delete;

    // Fills the board with the line's starting values and sets the machine going.
    void start(double nowSeconds);
    // Moves the machine and the resolver on to `nowSeconds`.
    void tick(double nowSeconds);

    SimBoard& board() { return m_board; }
    SimPls& pls() { return m_pls; }
    SimProgramMode& programMode() { return m_programMode; }
    SimMachine& machine() { return m_machine; }

private:
    SimBoard m_board;
    SimPls m_pls;
    SimProgramMode m_programMode{m_board};
    SimMachine m_machine{m_board};
};

} // namespace quelby::sim

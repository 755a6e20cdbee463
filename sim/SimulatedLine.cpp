#include "sim/SimulatedLine.h"

namespace quelby::sim {

SimulatedLine::SimulatedLine() {
    m_board.addHandler(m_pls);
    m_board.addHandler(m_programMode);
}

void SimulatedLine::start(double nowSeconds) {
    m_machine.start(nowSeconds);
    m_pls.advanceTo(nowSeconds);
}

void SimulatedLine::tick(double nowSeconds) {
    m_machine.tick(nowSeconds);
    m_pls.setRpm(m_machine.resolverRpm());
    m_pls.advanceTo(nowSeconds);
}

} // namespace quelby::sim

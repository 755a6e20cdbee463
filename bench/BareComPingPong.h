#pragma once

#include <string>

namespace quelby::bench {

// Exchanges per second of a bare one-byte ping-pong through a COM port (such as "COM12")
// whose far side echoes every byte: one WriteFile and one blocking ReadFile per exchange at
// 9600 baud, 8N1. Negative when the port cannot be opened or a byte does not come back.
double BareComExchangesPerSecond(const std::string& port, long exchanges);

} // namespace quelby::bench

#pragma once

namespace quelby::bench {

// One-byte exchanges per second between two processes over a pseudo-terminal pair with
// nothing else in the way: the fastest any lock-step protocol can go on this machine.
// Returns a negative value when the pseudo-terminal could not be set up.
double BarePtyExchangesPerSecond(long exchanges);

} // namespace quelby::bench

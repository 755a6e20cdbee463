#pragma once

// The operating system's serial port, for the programs that open the board link. Both
// classes are built from a PortMap and an optional device override and offer device() and
// lowLatencyNote(), so callers need no code of their own for either system.
#ifdef _WIN32
#include "link/WindowsSerialPort.h"
namespace quelby {
using SystemSerialPort = WindowsSerialPort;
}
#else
#include "link/PosixSerialPort.h"
namespace quelby {
using SystemSerialPort = PosixSerialPort;
}
#endif

#pragma once

#include <array>

namespace quelby {

// One of the seventeen set-up parameters the Set-up Parameters window edits: its board
// address and the limits a typed value must keep.
struct SetupParameter {
    const char* address;
    int minimum;
    int maximum;
};

inline constexpr int kSetupFieldCount = 17;
// Field i is data point kSetupFirstDataPoint + i of the data set.
inline constexpr int kSetupFirstDataPoint = 85;

// In field order: print carriage and varnish unit response times, blow-off set-up, solenoid
// ON/OFF times (bad can ON, bad can OFF, Q.C. ON, Q.C. OFF).
inline constexpr std::array<SetupParameter, kSetupFieldCount> kSetupParameters{{
    {"B1012", 5, 80},
    {"B1013", 5, 80},
    {"B1014", 5, 80},
    {"B1015", 5, 80},
    {"B1017", 0, 6},
    {"W1004", 0, 999},
    {"B1019", 4, 14},
    {"B1003", 1, 15},
    {"B1000", 0, 99},
    {"B1001", 0, 99},
    {"B1002", 0, 99},
    {"B1010", 1, 24},
    {"B1018", 4, 12},
    {"B1006", 5, 50},
    {"B1007", 5, 50},
    {"B1008", 5, 50},
    {"B1009", 5, 50},
}};

// A run of field or entry indices, first..last inclusive.
struct IndexRange {
    int first;
    int last;
    bool contains(int index) const { return index >= first && index <= last; }
};

// The fields on each of the window's three pages.
inline constexpr std::array<IndexRange, 3> kSetupPages{{{0, 4}, {5, 12}, {13, 16}}};

} // namespace quelby

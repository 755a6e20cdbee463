#include "app/data/ShiftDataTable.h"

namespace quelby {
namespace {

// The six totals of a shift block, in display order (good cans, total, bad can, manual,
// Q.C., restart), as offsets from the block's first double word.
constexpr std::array<int, 6> kTotalOffsets{0, 4, 8, 16, 20, 12};

std::string ShiftBlockAddress(int entry, int base) {
    // entry 0..29 of a shift block: six totals, then 24 spindle words
    if (entry < 6) return "D" + std::to_string(base + kTotalOffsets[static_cast<std::size_t>(entry)]);
    return "W" + std::to_string(base + 24 + 2 * (entry - 6));
}

} // namespace

std::string ShiftDataAddress(int index) {
    if (index < 0 || index >= kShiftDataEntries) return {};
    if (index == kTrippedSpindleEntry) return kTrippedSpindleAddress;
    if (index <= kSpindleCount) return "W" + std::to_string(1020 + 2 * (index - 1));
    if (index <= 54) return ShiftBlockAddress(index - 25, 1100);
    return ShiftBlockAddress(index - 55, 1200);
}

std::int64_t PageTripTotal(const std::array<std::int32_t, kShiftDataEntries>& values, int page) {
    if (page < 0 || page >= static_cast<int>(kShiftDataPages.size())) return 0;
    const int first = kShiftDataPages[static_cast<std::size_t>(page)].firstSpindle;
    std::int64_t total = 0;
    for (int i = first; i < first + kSpindleCount; ++i)
        total += values[static_cast<std::size_t>(i)];
    return total;
}

} // namespace quelby

#pragma once

#include <optional>

namespace quelby {

enum class TransferDirection { Upload, Download };
// The items of the Upload (save) Data and Download Data submenus, by menu index (3 is the
// separator).
enum class TransferData { SetupParameters = 0, TimingChannels = 1, ShiftData = 2, All = 4 };

// What one transfer moves and which way: TransferRequest's code is the menu index for an
// upload, the index + 10 for a download.
struct TransferRequest {
    static constexpr int kDownloadCodeOffset = 10;

    TransferDirection direction = TransferDirection::Upload;
    TransferData data = TransferData::SetupParameters;

    bool upload() const { return direction == TransferDirection::Upload; }
    // 0, 1, 2, 4 or 10, 11, 12, 14. Never fails.
    int code() const;
    // nullopt for a code no menu item requests (3, 13 and anything outside 0..4, 10..14).
    static std::optional<TransferRequest> FromCode(int code);

    // Data points the loop moves, in increasing order; nullopt for timing channels alone.
    // Data point 0 of a set-up transfer goes before the range. Never fails.
    struct Range {
        int first;
        int last;
    };
    std::optional<Range> dataPoints() const;
    // Whether the PLS configuration and the 16 channels follow. Never fails.
    bool includesTimingChannels() const;
    // The progress bar's maximum: 21, 33, 85 or LastDataIndex + 33. Never fails.
    int progressMaximum() const;

    bool operator==(const TransferRequest&) const = default;
};

} // namespace quelby

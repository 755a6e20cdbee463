#include "app/data/TransferRequest.h"

#include "app/data/MachineData.h"

namespace quelby {
namespace {
constexpr int kFirstSetupPoint = 85;
constexpr int kFirstShiftPoint = 1;
constexpr int kLastShiftPoint = 84;
// A timing-channel transfer counts two steps per channel; the bar stops one short.
constexpr int kTimingMaximum = 2 * kTimingChannelCount + 1;
} // namespace

int TransferRequest::code() const {
    return static_cast<int>(data) + (upload() ? 0 : kDownloadCodeOffset);
}

std::optional<TransferRequest> TransferRequest::FromCode(int code) {
    if (code < 0 || code >= 2 * kDownloadCodeOffset) return std::nullopt;
    const auto direction =
        code >= kDownloadCodeOffset ? TransferDirection::Download : TransferDirection::Upload;
    switch (code % kDownloadCodeOffset) {
    case 0:
        return TransferRequest{direction, TransferData::SetupParameters};
    case 1:
        return TransferRequest{direction, TransferData::TimingChannels};
    case 2:
        return TransferRequest{direction, TransferData::ShiftData};
    case 4:
        return TransferRequest{direction, TransferData::All};
    default:
        return std::nullopt;
    }
}

std::optional<TransferRequest::Range> TransferRequest::dataPoints() const {
    switch (data) {
    case TransferData::SetupParameters:
        return Range{kFirstSetupPoint, LastDataIndex};
    case TransferData::ShiftData:
        return Range{kFirstShiftPoint, kLastShiftPoint};
    case TransferData::All:
        return Range{0, LastDataIndex};
    case TransferData::TimingChannels:
        break;
    }
    return std::nullopt;
}

bool TransferRequest::includesTimingChannels() const {
    return data == TransferData::TimingChannels || data == TransferData::All;
}

int TransferRequest::progressMaximum() const {
    switch (data) {
    case TransferData::SetupParameters:
        return LastDataIndex - kFirstSetupPoint + 2; // the range and data point 0
    case TransferData::TimingChannels:
        return kTimingMaximum;
    case TransferData::ShiftData:
        return kLastShiftPoint - kFirstShiftPoint + 2;
    case TransferData::All:
        return LastDataIndex + kTimingMaximum;
    }
    return 0;
}

} // namespace quelby

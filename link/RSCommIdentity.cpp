// The board's identity: model names, fault code, firmware revision and fault texts.
#include "link/RSComm.h"

#include "link/BoardIdentity.h"
#include "link/CodeDescriptionFile.h"

namespace quelby {

std::string RSComm::TargetboardName(int BoardType) const { return quelby::TargetboardName(BoardType); }

std::string RSComm::LCFBoardIndex(int BoardType) const { return quelby::LCFBoardIndex(BoardType); }

int RSComm::FaultCode() { return std::stoi(RSRead(kFaultCodeAddress)); }

int RSComm::FirmwareRev() {
    if (!OnlineMode || CommError) return -1;
    return std::stoi(RSRead(kFirmwareRevAddress));
}

std::string RSComm::FaultDescription(int FltCode) {
    FaultDescriptionResult result = FaultDescriptionText(FaultCodesFile(m_homeFolder), FltCode);
    if (result.message) Ask(*result.message);
    return result.text;
}

} // namespace quelby

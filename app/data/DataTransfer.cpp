// The data-point part of the transfers and the frame around every transfer. The PLS part is
// in TimingTransfer.cpp.
#include "app/data/DataTransfer.h"

#include "app/data/TransferMessages.h"
#include "app/data/TransferValues.h"

#include <algorithm>

namespace quelby {

DataTransfer::DataTransfer(RSComm& link, UserPrompt& prompt, MachineData& currentData,
                           TransferRequest request, TransferHooks hooks)
    : m_link(link), m_prompt(prompt), m_data(currentData), m_request(request),
      m_hooks(std::move(hooks)) {
    m_progress.maximum = m_request.progressMaximum();
    m_progress.label = TransferMessages::ProcessingLabel(m_request);
}

TransferOutcome DataTransfer::Run() {
    m_cancelFlag = false;
    m_plsStopFlag = false;
    m_timingDownloaded = false;
    m_unconfirmed = 0;
    m_unreadPoints.clear();
    Yield();

    if (const auto range = m_request.dataPoints()) TransferDataPoints(*range);
    if (m_request.includesTimingChannels()) {
        if (m_request.upload())
            UploadTimingChannels();
        else
            DownloadTimingChannels();
    }

    TransferOutcome outcome;
    outcome.commError = m_link.CommError;
    outcome.cancelled = m_cancelFlag;
    outcome.plsStopped = m_plsStopFlag;
    outcome.timingDownloaded = m_timingDownloaded;
    outcome.unconfirmed = m_unconfirmed;
    outcome.unreadPoints = m_unreadPoints;
    if (outcome.commError) m_prompt.ask(TransferMessages::ProcessNotComplete());
    return outcome;
}

void DataTransfer::TransferDataPoints(TransferRequest::Range range) {
    // Data point 0 leads the set-up parameters, without a yield or a look at the cancel flag.
    if (m_request.data == TransferData::SetupParameters && !m_link.CommError) {
        TransferDataPoint(0);
        Step();
    }
    for (int i = range.first; i <= range.last; ++i) {
        Yield();
        if (m_cancelFlag || m_link.CommError) break;
        TransferDataPoint(i);
        Step();
    }
}

void DataTransfer::TransferDataPoint(int index) {
    const auto i = static_cast<std::size_t>(index);
    // A data set fitted from a short file has empty addresses, which the link refuses.
    const std::string address = i < m_data.Address.size() ? m_data.Address[i] : std::string();
    if (m_request.upload()) {
        RSComm::ReadResult read = m_link.RSReadChecked(address);
        if (!read.trusted && !m_link.CommError && !address.empty())
            read = m_link.RSReadChecked(address);
        // A failed read answers "0", which is no value of the board's.
        if (m_link.CommError) return;
        if (!read.trusted) m_unreadPoints.push_back(index);
        if (!read.trusted && !address.empty()) {
            ++m_unconfirmed;
            return;
        }
        if (m_data.Value.size() < kDataPointCount) m_data.Value.resize(kDataPointCount, 0);
        m_data.Value[i] = ValueFromBoardText(read.text);
    } else {
        m_link.RSWrite(address, BoardTextFromValue(PointValue(m_data, index)));
        if (!m_link.WriteConfirmed() && !m_link.CommError && !m_link.EntryRefused())
            ++m_unconfirmed;
    }
}

void DataTransfer::Yield() {
    if (m_hooks.yield) m_hooks.yield();
}

void DataTransfer::Step(int count) {
    m_steps += count;
    // A bar cannot go past its maximum; the count may, when recalled lists end early.
    m_progress.value = std::min(m_steps, m_progress.maximum);
    if (m_hooks.progress) m_hooks.progress(m_progress);
}

void DataTransfer::SetLabel(std::string label) {
    m_progress.label = std::move(label);
    if (m_hooks.progress) m_hooks.progress(m_progress);
}

} // namespace quelby

#pragma once

#include "app/data/DataTransfer.h"
#include "tests/link/LinkRig.h"
#include "sim/SimPls.h"

namespace quelby::test {

// The link online to the simulated board with its PLS, a data set, and a record of what the
// progress window would have shown.
struct TransferRig : LinkRig {
    sim::SimPls pls;
    MachineData data = BuildDefaultData();
    std::vector<TransferProgress> shown;
    // Runs at every yield, with the transfer in progress (e.g. to press Cancel).
    std::function<void(DataTransfer&, int yieldCount)> onYield;

    TransferRig() {
        board.addHandler(pls);
        goOnline();
    }

    TransferOutcome run(int requestCode) {
        int yields = 0;
        DataTransfer* running = nullptr;
        DataTransfer transfer(
            link, prompt, data, *TransferRequest::FromCode(requestCode),
            {[&] {
                 if (onYield) onYield(*running, ++yields);
             },
             [&](const TransferProgress& progress) { shown.push_back(progress); }});
        running = &transfer;
        return transfer.Run();
    }

    // A value the board can hold at data point `index`'s address, different for each point.
    static std::int32_t BoardValue(int index) {
        const std::string address = BuildDefaultData().Address[static_cast<std::size_t>(index)];
        if (address.find('.') != std::string::npos) return 1;
        if (address[0] == 'B') return 100 + index;
        return address[0] == 'W' ? 30000 + index : 600000000 + index;
    }
    void fillBoard() {
        for (int i = 0; i <= LastDataIndex; ++i)
            board.setValue(data.Address[static_cast<std::size_t>(i)],
                           static_cast<std::uint32_t>(BoardValue(i)));
    }
    std::int32_t onBoard(int index) {
        return static_cast<std::int32_t>(
            *board.value(data.Address[static_cast<std::size_t>(index)]));
    }
};

} // namespace quelby::test

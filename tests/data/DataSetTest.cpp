// Which edits count as unsaved changes.
#include "app/data/DataSet.h"
#include "tests/support/ScriptedPrompt.h"

#include <gtest/gtest.h>

#include <functional>

namespace quelby::test {
namespace {

TEST(DataSet, valuesVersionAndChannels0To7CountButPlsConfigAndChannels8To15DoNot) {
    const struct {
        std::function<void(MachineData&)> edit;
        bool counts;
    } edits[] = {
        {[](MachineData& d) { d.Value[0] = 1; }, true},
        {[](MachineData& d) { d.Value[LastDataIndex] = 11; }, true},
        {[](MachineData& d) { d.Version = "QUELBY_R2.2.3"; }, true},
        {[](MachineData& d) { d.Setpoint[0][kOnSetpoint] = 1; }, true},
        {[](MachineData& d) { d.Setpoint[7][kOffSetpoint] = 1; }, true},
        {[](MachineData& d) { d.Setpoint[8][kOnSetpoint] = 1; }, false},
        {[](MachineData& d) { d.Setpoint[15][kOffSetpoint] = 4; }, false},
        {[](MachineData& d) {
             d.PLSChannels = 8;
             d.PLSScale = 720;
             d.ResolverOffset = 5;
             d.PLSProgram = 1;
             d.SpeedComp[3] = 9;
             d.Address[5] = "W9";
         },
         false},
    };
    const MessageRequest question{
        "QUELBY", {"Save Changes to File?"}, MessageButtons::YesNoCancel, MessageIcon::Exclamation};
    for (const auto& e : edits) {
        DataSet data;
        e.edit(data.CurrentData);
        ScriptedPrompt prompt;
        prompt.answerNext(MessageAnswer::No);
        EXPECT_EQ(data.ConfirmSaveChanges(prompt),
                  e.counts ? std::optional(MessageAnswer::No) : std::nullopt);
        std::vector<MessageRequest> asked;
        if (e.counts) asked.push_back(question);
        EXPECT_EQ(prompt.requests(), asked);
    }
}

} // namespace
} // namespace quelby::test

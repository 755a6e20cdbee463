#include "SimBoard.h"

#include <gtest/gtest.h>

#include <initializer_list>

using quelby::sim::SimBoard;
using quelby::sim::TraceEntry;

namespace {

// Feeds the bytes one by one; the answers as trace-style text, "--" where none came.
std::string answers(SimBoard& board, std::initializer_list<std::uint8_t> bytes) {
    std::string text;
    for (auto byte : bytes) {
        const auto answer = board.receive(byte);
        text += (text.empty() ? "" : " ") + quelby::sim::FormatTraceEntry({byte, answer}).substr(3);
    }
    return text;
}

} // namespace

TEST(SimBoardProtocol, handshakeIsAnsweredWithAcknowledgeForReadAndWrite) {
    SimBoard board;
    EXPECT_EQ(answers(board, {0xFF, 0x01}), "55 55");
    EXPECT_EQ(board.mode(), SimBoard::Mode::Read);
    EXPECT_EQ(answers(board, {0xFF, 0x02}), "55 55");
    EXPECT_EQ(board.mode(), SimBoard::Mode::Write);
}

TEST(SimBoardProtocol, readEchoesHighByteAndAnswersLowByteWithData) {
    SimBoard board;
    ASSERT_TRUE(board.setValue("W182", 1200)); // 0x04B0, low byte first
    EXPECT_EQ(answers(board, {0xFF, 0x01, 0x00, 0xB6, 0x00, 0xB7}), "55 55 00 B0 00 04");
}

TEST(SimBoardProtocol, writeEchoesAllThreeBytesAndStores) {
    SimBoard board;
    EXPECT_EQ(answers(board, {0xFF, 0x02, 0x12, 0x34, 0x42}), "55 55 12 34 42");
    EXPECT_EQ(board.peek(0x1234), 0x42);
}

TEST(SimBoardProtocol, syncByteInsideAWriteIsAddressOrData) {
    SimBoard board;
    EXPECT_EQ(answers(board, {0xFF, 0x02, 0x00, 0xFF, 0xFF}), "55 55 00 FF FF");
    EXPECT_EQ(board.peek(0x00FF), 0xFF);
    EXPECT_EQ(answers(board, {0x01, 0xFF, 0xFF}), "01 FF FF"); // still in write mode
    EXPECT_EQ(board.peek(0x01FF), 0xFF);
}

TEST(SimBoardProtocol, syncAtTheStartOfARequestRestartsTheHandshake) {
    SimBoard board;
    EXPECT_EQ(answers(board, {0xFF, 0x01, 0x00, 0x10}), "55 55 00 00");
    EXPECT_EQ(answers(board, {0xFF, 0x02, 0x00, 0x10, 0x07}), "55 55 00 10 07");
    EXPECT_EQ(answers(board, {0xFF, 0xFF, 0x01, 0x00, 0x10}), "55 55 55 00 07");
}

TEST(SimBoardProtocol, unexpectedByteIsAnsweredZeroAndLeavesTheBoardIdle) {
    SimBoard board;
    EXPECT_EQ(answers(board, {0x01}), "00");
    EXPECT_EQ(answers(board, {0xFF, 0x09, 0x01}), "55 00 00");
    EXPECT_EQ(board.mode(), SimBoard::Mode::Idle);
}

TEST(SimBoardFaults, silentBoardAnswersNothingButTracesEveryByte) {
    SimBoard board;
    board.setSilent(true);
    EXPECT_EQ(answers(board, {0xFF, 0x01}), "-- --");
    EXPECT_EQ(board.trace(), (std::vector<TraceEntry>{{0xFF, {}}, {0x01, {}}}));
}

TEST(SimBoardFaults, corruptedAnswerFlipsTheLowestBitOfThatAnswerOnly) {
    SimBoard board;
    board.corruptAnswerAt(1);
    EXPECT_EQ(answers(board, {0xFF, 0x01, 0x00}), "55 54 00");
}

TEST(SimBoardFaults, boardStopsAnsweringAfterTheGivenCount) {
    SimBoard board;
    board.stopAnsweringAfter(2);
    EXPECT_EQ(answers(board, {0xFF, 0x01, 0x00, 0xFF}), "55 55 -- --");
}

TEST(SimBoardValues, bitValueChangesOnlyItsBit) {
    SimBoard board;
    board.poke(1016, 0x81);
    ASSERT_TRUE(board.setValue("B1016.3", 1));
    EXPECT_EQ(board.peek(1016), 0x89);
    ASSERT_TRUE(board.setValue("B1016.0", 0));
    EXPECT_EQ(board.peek(1016), 0x88);
    EXPECT_FALSE(board.setValue("B1016.3", 2));
    EXPECT_EQ(board.value("B1016.3"), 1u);
}

TEST(SimBoardValues, valuesOutOfTheirItemsRangeAreRefused) {
    SimBoard board;
    EXPECT_FALSE(board.setValue("B10", 256));
    EXPECT_FALSE(board.setValue("W10", 65536));
    EXPECT_FALSE(board.setValue("X10", 1));
    EXPECT_TRUE(board.setValue("D1100", 123456));
    EXPECT_EQ(board.value("D1100"), 123456u);
}

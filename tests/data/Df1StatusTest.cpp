#include "app/data/Df1Status.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace quelby {
namespace {

// Every byte the board can hold gives a text: its own for a known code, else the form for
// unknown codes. The known texts themselves are checked by samples.
TEST(Df1StatusTexts, everyConfigurationAndTransmitByteGivesItsTextOrTheUnknownForm) {
    const std::set<unsigned> configuration{1, 2, 3, 4, 32, 34};
    const std::set<unsigned> transmit{1, 2, 3, 4, 5, 6};
    for (unsigned n = 0; n < 256; ++n) {
        const std::string unknown = "(" + std::to_string(n) + ") Unknown Status";
        const std::string known = "(" + std::to_string(n) + ") ";
        const std::string c = Df1ConfigurationStatusText(n);
        const std::string t = Df1TransmitStatusText(n);
        if (configuration.count(n))
            EXPECT_TRUE(c.starts_with(known) && c != unknown) << n << ": " << c;
        else
            EXPECT_EQ(c, unknown);
        if (transmit.count(n))
            EXPECT_TRUE(t.starts_with(known) && t != unknown) << n << ": " << t;
        else
            EXPECT_EQ(t, unknown);
    }
    EXPECT_EQ(Df1ConfigurationStatusText(2), "(2) Success");
    EXPECT_EQ(Df1TransmitStatusText(2), "(2) Done");
    EXPECT_EQ(Df1ConfigurationStatusText(33), "(33) Unknown Status");
    EXPECT_EQ(Df1ConfigurationStatusText(34), "(34) Invalid Slot ADD");
    EXPECT_EQ(Df1ConfigurationStatusText(32), "(32) Hardware ACK Error");
    EXPECT_EQ(Df1ConfigurationStatusText(4), "(4) Timeout - No Response");
    EXPECT_EQ(Df1TransmitStatusText(3), "(3) DLE NAK Received");
    EXPECT_EQ(Df1TransmitStatusText(6), "(6) Message Packet Error");
    EXPECT_EQ(Df1TransmitStatusText(7), "(7) Unknown Status");

    EXPECT_EQ(Df1ActiveCommandText(0), "Read");
    EXPECT_EQ(Df1ActiveCommandText(1), "Write");
    EXPECT_EQ(Df1ActiveCommandText(9), "(9) Unknown Command");
    EXPECT_EQ(Df1ReceivedCommandText(0), "Command");
    EXPECT_EQ(Df1ReceivedCommandText(1), "Reply");
}

TEST(Df1StatusTexts, everyLinkLayerAndExtendedByteGivesItsTextOrTheNotUsedForm) {
    std::set<unsigned> known{1, 2, 3, 4, 5, 6, 7, 8};
    for (unsigned high = 1; high <= 0xE; ++high) known.insert(high << 4);
    const char* hex = "0123456789ABCDEF";
    const auto hexOf = [&](unsigned n) {
        return n < 16 ? std::string(1, hex[n]) : std::string{hex[n >> 4], hex[n & 15]};
    };
    for (unsigned s = 0; s < 256; ++s) {
        const std::string text = Df1LinkLayerStatusText(s, 0);
        if (s == 0xF0) {
            EXPECT_EQ(text, "(F0-0) Not Used");
        } else if (known.count(s)) {
            const std::string twoDigits{hex[s >> 4], hex[s & 15]};
            EXPECT_TRUE(text.starts_with("(" + twoDigits + ") ") && !text.ends_with("- Not Used"))
                << s << ": " << text;
        } else {
            EXPECT_EQ(text, "(" + hexOf(s) + ") - Not Used");
        }
    }
    for (unsigned e = 0; e < 256; ++e) {
        const std::string text = Df1LinkLayerStatusText(0xF0, e);
        if (e <= 0x1B)
            EXPECT_TRUE(text.starts_with("(F0-" + hexOf(e) + ") ") && !text.ends_with("- Not Used"))
                << e << ": " << text;
        else
            EXPECT_EQ(text, "(F0-" + hexOf(e) + ") - Not Used");
    }

    const std::map<std::pair<unsigned, unsigned>, std::string> samples{
        {{1, 0}, "(01) Not Used"},
        {{5, 0}, "(05) Application Layer Timed out waiting for a response"},
        {{16, 0}, "(10) Illegal Command or Format"},
        {{15, 0}, "(F) - Not Used"},
        {{0, 0}, "(0) - Not Used"},
        {{0xA0, 0}, "(A0) Not Used"},
        {{0xC0, 0}, "(C0) Cannot Execute Command Due to Active IPBs"},
        {{0xF1, 0}, "(F1) - Not Used"},
        {{240, 6}, "(F0-6) Address Dosen't Point to Something Usable"},
        {{240, 20},
         "(F0-14) Command Execution Failure for unknown reason; Possible PLC-3 Histogram Overflow"},
        {{240, 27}, "(F0-1B) Another Node is the Program Owner"},
        {{240, 28}, "(F0-1C) - Not Used"},
        {{16, 27}, "(10) Illegal Command or Format"},
    };
    for (const auto& [codes, text] : samples)
        EXPECT_EQ(Df1LinkLayerStatusText(codes.first, codes.second), text);
    EXPECT_EQ(HexDigitsOf(0x1234ABCD), "1234ABCD");
}

} // namespace
} // namespace quelby

// Protects the code histogram: statistics, grouping of codes into the rows, their placement and
// bar shares, the failures that stop a drawing, the binary code texts and the row grid.
#include <gtest/gtest.h>

#include <vector>

#include "common/NumberedError.h"
#include "histogram/HistogramCore.h"

namespace hist = rq::histogram;
using Codes = std::vector<double>;

namespace {

std::vector<int> visibleRows(const hist::Display& d) {
    std::vector<int> rows;
    for (int i = 0; i < hist::MaxRows; ++i) {
        if (d.rows[i].visible) {
            rows.push_back(i);
        }
    }
    return rows;
}

int failureNumber(const std::vector<double>& data, int16_t rows, hist::Display& d) {
    try {
        hist::Draw(data, rows, 3000, d);
    } catch (const rq::NumberedError& e) {
        return e.number();
    }
    return 0;
}

}  // namespace

TEST(HistogramDraw, FewCodesTakeOneRowEachInTheMiddle) {
    hist::Display d;
    hist::Draw(Codes{100, 101, 101, 103}, 8, 2000, d);
    EXPECT_EQ(visibleRows(d), (std::vector<int>{2, 3, 4, 5}));
    const char* counts[] = {"1", "2", "0", "1"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(d.rows[2 + i].code, hist::Dec2Bin(100 + i, 16, 0));
        EXPECT_EQ(d.rows[2 + i].count, counts[i]);
    }
    EXPECT_EQ(d.rows[3].barWidth, 1000.0);  // half the samples, half the bar
    EXPECT_EQ(d.rows[4].barWidth, 0.0);
    EXPECT_EQ(d.results, (std::array<QString, 6>{"4", "103", "100", "4", "1.258", "101.250"}));
}

TEST(HistogramDraw, RampGroupsInPowersOfTwoWithXForTheLowBits) {
    std::vector<double> ramp;
    for (int c = 0; c < 4096; ++c) {
        ramp.push_back(c);
    }
    hist::Display d;
    hist::Draw(ramp, 16, 3200, d);
    EXPECT_EQ(d.groupBits, 8);
    EXPECT_EQ(visibleRows(d).size(), 16u);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(d.rows[i].code, hist::Dec2Bin(i, 8, 0) + "XXXXXXXX");
        EXPECT_EQ(d.rows[i].count, "256");
        EXPECT_EQ(d.rows[i].barWidth, 200.0);
    }
    EXPECT_EQ(d.results[3], "4096");

    // Two's complement codes: groups stay aligned on the code values.
    for (double& c : ramp) {
        c -= 2048;
    }
    hist::Draw(ramp, 16, 3200, d);
    EXPECT_EQ(d.rows[0].code, "11111000XXXXXXXX");
    EXPECT_EQ(d.rows[15].code, "00000111XXXXXXXX");
}

TEST(HistogramDraw, GroupingStartsWithAPartialGroupAndWidensWhenGroupsDoNotFit) {
    hist::Display d;
    // Nine codes in eight rows: pairs, the first partial because 1 is odd.
    hist::Draw(Codes{1, 2, 3, 4, 5, 6, 7, 8, 9, 9}, 8, 1000, d);
    ASSERT_EQ(d.entries.size(), 5u);
    EXPECT_EQ(d.entries[0].first, 1);
    EXPECT_EQ(d.entries[0].last, 1);
    EXPECT_EQ(d.entries[0].text, "000000000000000X");
    EXPECT_EQ(d.entries[4].text, "000000000000100X");
    EXPECT_EQ(d.entries[4].count, 3);
    EXPECT_EQ(d.firstRow, 2);  // (8 - 5) / 2 = 1.5, halves to even

    // Sixteen codes 1..16: pairs would need nine aligned groups, so groups of four.
    std::vector<double> codes;
    for (int c = 1; c <= 16; ++c) {
        codes.push_back(c);
    }
    hist::Draw(codes, 8, 1000, d);
    EXPECT_EQ(d.groupBits, 2);
    ASSERT_EQ(d.entries.size(), 5u);
    const int counts[] = {3, 4, 4, 4, 1};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(d.entries[i].count, counts[i]);
    }
}

TEST(HistogramDraw, RunningSumRoundsAtEachStepAndOneCodeSitsInTheMiddle) {
    hist::Display d;
    // Min 10 (10.5 halves to even). The running sum rounds, halves to even, after each add:
    // 0, 1, 2 (from 1.5), 4 (from 3.5), so the mean reads 11 where the samples average 10.875.
    hist::Draw(Codes{10.5, 11, 10.5, 11.5}, 8, 900, d);
    EXPECT_EQ(d.results[5], "11.000");
    EXPECT_EQ(d.results[1], "12");
    ASSERT_EQ(d.entries.size(), 3u);
    EXPECT_EQ(d.entries[0].count, 2);

    // One repeated code: one row in the middle, the full bar, no spread.
    hist::Draw(std::vector<double>(50, 7), 9, 900, d);
    EXPECT_EQ(visibleRows(d), std::vector<int>{4});
    EXPECT_EQ(d.rows[4].barWidth, 900.0);
    EXPECT_EQ(d.results[4], "0.000");
    EXPECT_EQ(d.results[3], "1");
}

TEST(HistogramDraw, FailuresHideTheRowsAndKeepWhatWasWritten) {
    hist::Display d;
    hist::Draw(Codes{100, 101, 101, 103}, 8, 2000, d);
    const auto before = d.results;
    EXPECT_EQ(failureNumber({5}, 8, d), 11);
    EXPECT_TRUE(visibleRows(d).empty());
    EXPECT_EQ(d.results, before);

    // 40000 samples of one code: the statistics are written, the row count overflows.
    EXPECT_EQ(failureNumber(std::vector<double>(40000, 3), 8, d), 6);
    EXPECT_TRUE(visibleRows(d).empty());
    EXPECT_EQ(d.results[0], "40000");
    EXPECT_EQ(failureNumber({}, 8, d), 9);
    EXPECT_EQ(failureNumber({1, 3e10}, 8, d), 6);
    // A span past what 2^18-code groups can hold in the rows.
    EXPECT_EQ(failureNumber({0, 5000000}, 8, d), 9);
}

TEST(Dec2Bin, TopBitsThenBlanks) {
    EXPECT_EQ(hist::Dec2Bin(-1, 16, 0), QString(16, u'1'));
    EXPECT_EQ(hist::Dec2Bin(5, 8, 2), "000001XX");
    EXPECT_EQ(hist::Dec2Bin(0x8001, 16, 0), "1000000000000001");
    EXPECT_EQ(hist::Dec2Bin(3, 4, 4), "XXXX");
}

TEST(HistogramGeometry, HeightSnapsToTheRowGrid) {
    EXPECT_EQ(hist::snapHeight(1500), 1515);
    EXPECT_EQ(hist::snapHeight(2000), 2055);
    EXPECT_EQ(hist::rowsForHeight(2055), 11);
    EXPECT_EQ(hist::snapHeight(5000), 2955);
    EXPECT_EQ(hist::rowsForHeight(2955), 16);
    // Every snapped height keeps its place and gives one more row per step.
    const int steps[] = {1515, 1690, 1870, 2055, 2235, 2410, 2595, 2775, 2955};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(hist::snapHeight(steps[i]), steps[i]);
        EXPECT_EQ(hist::rowsForHeight(steps[i]), 8 + i);
    }
    EXPECT_EQ(hist::snapHeight(1594), 1515);
    EXPECT_EQ(hist::snapHeight(1595), 1690);
    EXPECT_EQ(hist::snapHeight(2134), 2055);
    EXPECT_EQ(hist::snapHeight(2135), 2235);
    EXPECT_EQ(hist::snapHeight(3034), 2955);
    // As whole pixels the platform reports some heights 5 twips higher.
    EXPECT_EQ(hist::rowsForHeight(1695), 9);
    EXPECT_EQ(hist::rowsForHeight(1875), 10);
    EXPECT_EQ(hist::rowsForHeight(2415), 13);

    const hist::Layout l = hist::layout(6000, 2955, 1500);
    EXPECT_EQ(l.panelWidth, 4470);
    EXPECT_EQ(l.infoLeft, 4480);
    EXPECT_EQ(l.countLeft, 3945);
    EXPECT_EQ(l.barLength, 1995);
}

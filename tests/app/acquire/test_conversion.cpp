// Protects the conversion of codes to volts in both codings, the record-length index of a count,
// and that 16-bit converters convert.
#include <gtest/gtest.h>

#include "acquire/Conversion.h"
#include "common/NumberedError.h"

using namespace rq;

namespace {
Settings range(int bits, int format, double vmin, double vmax) {
    Settings s;
    s.NumberOfBits = static_cast<int16_t>(bits);
    s.DataFormat = static_cast<int16_t>(format);
    s.InputVMin = vmin;
    s.InputVMax = vmax;
    return s;
}
}  // namespace

TEST(ConvertToVolts, TwosComplementCodesMapToTheirLevel) {
    std::vector<double> volts;
    ConvertToVolts(range(12, 1, -2.5, 2.5), {-2048, -1, 0, 2047}, volts);
    EXPECT_DOUBLE_EQ(volts[0], -2.5);
    EXPECT_DOUBLE_EQ(volts[1], -5.0 / 4096);
    EXPECT_DOUBLE_EQ(volts[2], 0.0);
    EXPECT_NEAR(volts[3], 2.49878, 1e-5);
}

TEST(ConvertToVolts, StraightBinaryTopCodeIsOneStepBelowTheTop) {
    std::vector<double> volts{99};
    ConvertToVolts(range(12, 0, 0, 5), {0, 2048, 4095, 2047.5, 2048.5}, volts);
    ASSERT_EQ(volts.size(), 5u);
    EXPECT_DOUBLE_EQ(volts[0], 0.0);
    EXPECT_DOUBLE_EQ(volts[1], 2.5);
    EXPECT_NEAR(volts[2], 4.99878, 1e-5);
    EXPECT_DOUBLE_EQ(volts[3], 2.5);  // codes round halves to even
    EXPECT_DOUBLE_EQ(volts[4], 2.5);
}

TEST(ConvertToVolts, SixteenBitConvertersConvertInBothCodings) {
    std::vector<double> volts;
    ConvertToVolts(range(16, 0, 0, 4.096), {0, 40000, 65535}, volts);
    EXPECT_DOUBLE_EQ(volts[1], 40000 * 4.096 / 65536);
    ConvertToVolts(range(16, 1, -1, 1), {-32768, 0, 32767}, volts);
    EXPECT_DOUBLE_EQ(volts[0], -1.0);
    EXPECT_DOUBLE_EQ(volts[1], 0.0);
    EXPECT_DOUBLE_EQ(volts[2], 1.0 - 2.0 / 65536);
}

TEST(ConvertToVolts, EmptyRecordFails) {
    std::vector<double> volts;
    try {
        ConvertToVolts(range(12, 0, 0, 5), {}, volts);
        FAIL();
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), 9);
    }
}

TEST(RecordLength, IndexOfACountRoundsHalvesToEven) {
    EXPECT_EQ(recordLength(0), 256);
    EXPECT_EQ(recordLength(5), 8192);
    EXPECT_EQ(recordLength(6), 16384);
    // A loaded file of one value has index -8; of 32767 values, index 7.
    EXPECT_EQ(recordLength(-8), 1);
    EXPECT_EQ(recordLength(7), 32768);
    EXPECT_EQ(recordLength(22), 1 << 30);
    // Past that the count would overflow (index 23 is 2^31): refused, named.
    for (int16_t index : {int16_t(-9), int16_t(23), int16_t(32767)}) {
        try {
            recordLength(index);
            ADD_FAILURE() << index;
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.number(), 6);
            EXPECT_TRUE(e.description().contains(QString("index %1 ").arg(index)));
        }
    }
    // A capture takes only what the board captures.
    EXPECT_EQ(captureRecordLength(6), 16384);
    for (int16_t index : {int16_t(-1), int16_t(7), int16_t(23)}) {
        try {
            captureRecordLength(index);
            ADD_FAILURE() << index;
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.number(), 9);
            EXPECT_TRUE(e.description().startsWith(
                QString("The record length index %1 gives no record the board").arg(index)));
        }
    }
    EXPECT_EQ(recordLengthIndex(1024), 2);
    EXPECT_EQ(recordLengthIndex(1000), 2);
    EXPECT_EQ(recordLengthIndex(300), 0);
    EXPECT_EQ(recordLengthIndex(3000), 4);
    EXPECT_THROW(recordLengthIndex(0), NumberedError);
}

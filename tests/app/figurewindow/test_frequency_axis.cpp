// Protects how frequencies read: the unit picked by the size of the value at the edges between
// units, the rounding that moves a value up a unit, and an axis in Hz titled and labelled in it.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "WidgetTest.h"
#include "figures/FrequencyText.h"
#include "figurewindow/FrequencyAxis.h"

using rq::figures::FrequencyAxis;
using rq::figures::frequencyText;
using rq::figures::levelText;

namespace {

TEST(FrequencyText, PicksTheUnitByTheSizeOfTheValue) {
    EXPECT_EQ(frequencyText(0), "0.000 Hz");
    EXPECT_EQ(frequencyText(999), "999.000 Hz");
    EXPECT_EQ(frequencyText(999.999), "999.999 Hz");
    EXPECT_EQ(frequencyText(1000), "1.000 kHz");
    EXPECT_EQ(frequencyText(10000), "10.000 kHz");
    EXPECT_EQ(frequencyText(999999), "999.999 kHz");
    EXPECT_EQ(frequencyText(1e6), "1.000 MHz");
    EXPECT_EQ(frequencyText(2.5e6), "2.500 MHz");
    EXPECT_EQ(frequencyText(3e9), "3000.000 MHz");  // no unit above MHz
}

TEST(FrequencyText, AValueRoundingTo1000GoesUpAUnit) {
    EXPECT_EQ(frequencyText(999.9996), "1.000 kHz");
    EXPECT_EQ(frequencyText(999999.6), "1.000 MHz");
    EXPECT_EQ(frequencyText(999.9994), "999.999 Hz");
}

TEST(FrequencyText, NegativeDifferencesKeepTheirSignAndPickTheUnitBySize) {
    EXPECT_EQ(frequencyText(-1500), "-1.500 kHz");
    EXPECT_EQ(frequencyText(-0.0001), "0.000 Hz");
}

TEST(LevelText, TwoDecimalsWithoutANegativeZero) {
    EXPECT_EQ(levelText(-1), "-1.00");
    EXPECT_EQ(levelText(-80.456), "-80.46");
    EXPECT_EQ(levelText(-0.004), "0.00");
}

class FrequencyAxisTest : public rq::test::WidgetTest {
protected:
    void SetUp() override {
        plot.resize(600, 400);
        axis = new FrequencyAxis(plot.xAxis);
    }
    QString labelFor(double lower, double upper) {
        plot.xAxis->setRange(lower, upper);
        return plot.xAxis->label();
    }
    QCustomPlot plot;
    FrequencyAxis* axis = nullptr;
};

TEST_F(FrequencyAxisTest, TheTitleNamesTheUnitTheRangeCallsFor) {
    EXPECT_EQ(labelFor(0, 999), "Frequency (Hz)");
    EXPECT_EQ(labelFor(0, 1000), "Frequency (kHz)");
    EXPECT_EQ(labelFor(0, 999999), "Frequency (kHz)");
    EXPECT_EQ(labelFor(0, 1e6), "Frequency (MHz)");
    EXPECT_EQ(labelFor(-2000, 10), "Frequency (kHz)");  // by the larger end in size
}

TEST_F(FrequencyAxisTest, TickLabelsAreScaledToTheUnitWhileTicksStayInHz) {
    plot.xAxis->setRange(0, 50000);
    plot.replot();
    const QVector<double> ticks = plot.xAxis->tickVector();
    const QVector<QString> labels = plot.xAxis->tickVectorLabels();
    ASSERT_EQ(ticks.size(), labels.size());
    const int i = int(ticks.indexOf(20000));
    ASSERT_GE(i, 0);
    EXPECT_EQ(labels[i], "20");
}

TEST_F(FrequencyAxisTest, ZoomingInChangesTheUnit) {
    plot.xAxis->setRange(0, 50000);
    plot.xAxis->scaleRange(0.01, 0);  // 0..500 Hz
    EXPECT_EQ(plot.xAxis->label(), "Frequency (Hz)");
    EXPECT_EQ(axis->unit().name, "Hz");
}

}  // namespace

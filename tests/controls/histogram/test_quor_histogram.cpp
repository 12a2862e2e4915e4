// Protects the histogram control: what Draw leaves on its rows and statistics, the height snapping
// with the rows that follow it, the layout whose bars never go negative, the failure path, the
// colour properties with their load and save orders, and the main window's histogram.
#include <QFrame>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <vector>

#include "WidgetTest.h"
#include "common/NumberedError.h"
#include "histogram/QuorHistogram.h"
#include "host/ControlRegistry.h"
#include "host/PropertyBag.h"
#include "host/Twips.h"

using rq::controls::QuorHistogram;
using namespace rq::host;
using Codes = std::vector<double>;

namespace {

// At the main window's width: counts at 9135 - 555 - 2055, bars from 1750 to 200 short of them.
constexpr int MainWidth = 9135;
constexpr int MainBarLength = 6525 - 1750 - 200;

Codes ramp(int from, int to) {
    Codes codes;
    for (int c = from; c <= to; ++c) {
        codes.push_back(c);
    }
    return codes;
}

// A 12-bit sine over most of the range with some noise, the same every run.
Codes noisySine(int samples) {
    Codes codes;
    uint32_t seed = 12345;
    const auto uniform = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) / double(1 << 24) + 1e-9;
    };
    for (int k = 0; k < samples; ++k) {
        const double noise = std::sqrt(-2 * std::log(uniform())) * std::cos(2 * M_PI * uniform());
        codes.push_back(
            std::round(2048 + 1800 * std::sin(2 * M_PI * k * 37 / samples) + 25 * noise));
    }
    return codes;
}

class QuorHistogramTest : public rq::test::WidgetTest {
protected:
    template <class T = QLabel>
    T* part(const char* name, int k) {
        return histo.findChild<T*>(QString::fromLatin1(name) + QString::number(k));
    }
    QLabel* code(int k) { return part("lblCODE", k); }
    QLabel* count(int k) { return part("lblCOUNT", k); }
    QWidget* bar(int k) { return part<QWidget>("shape1", k); }
    QLabel* result(int k) { return part("lblResults", k); }
    QWidget* box(const char* name) { return histo.findChild<QWidget*>(QString::fromLatin1(name)); }

    // Rows on show; the code, bar and count of a row are shown or hidden together.
    std::vector<int> shownRows() {
        std::vector<int> rows;
        for (int k = 0; k < QuorHistogram::RowCount; ++k) {
            EXPECT_EQ(code(k)->isHidden(), bar(k)->isHidden()) << k;
            EXPECT_EQ(code(k)->isHidden(), count(k)->isHidden()) << k;
            if (!code(k)->isHidden()) {
                rows.push_back(k);
            }
        }
        return rows;
    }
    QStringList results() {
        QStringList out;
        for (int k = 0; k < QuorHistogram::StatisticCount; ++k) {
            out << result(k)->text();
        }
        return out;
    }
    int barWidth(int k) { return twipsGeometry(bar(k)).width(); }
    int failure(const Codes& codes) {
        try {
            histo.Draw(codes, 12);
        } catch (const rq::NumberedError& e) {
            return e.number();
        }
        return 0;
    }

    QWidget window;
    QuorHistogram histo{&window};
};

TEST_F(QuorHistogramTest, FewCodesSitInTheMiddleRowsWithBarsAsTheirShareOfAllSamples) {
    ASSERT_EQ(histo.Rows(), 8);
    ASSERT_EQ(histo.BarLength(), MainBarLength);
    histo.Draw(Codes{100, 101, 101, 103}, 12);
    EXPECT_EQ(shownRows(), (std::vector<int>{2, 3, 4, 5}));
    const char* counts[] = {"1", "2", "0", "1"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(code(2 + i)->text(), histo.Dec2Bin(100 + i, 16, 0));
        EXPECT_EQ(count(2 + i)->text(), QString::fromLatin1(counts[i]));
    }
    EXPECT_EQ(code(2)->accessibleName(), QStringLiteral("0000000001100100"));
    EXPECT_EQ(count(3)->accessibleName(), QStringLiteral("2"));
    EXPECT_NEAR(barWidth(3), MainBarLength / 2.0, 0.5);  // half the samples, not the tallest row
    EXPECT_NEAR(barWidth(2), MainBarLength / 4.0, 0.5);
    EXPECT_EQ(barWidth(4), 0);
    EXPECT_EQ(results(), QStringList({"4", "103", "100", "4", "1.258", "101.250"}));
    EXPECT_EQ(result(3)->accessibleName(), QStringLiteral("4"));

    // One repeated code: one row, at (8 - 1) / 2 rounded to even, a full bar; the rows of the
    // drawing before are hidden again.
    histo.Draw(Codes{7, 7, 7, 7, 7}, 12);
    EXPECT_EQ(shownRows(), std::vector<int>{4});
    EXPECT_EQ(barWidth(4), MainBarLength);
    EXPECT_EQ(count(4)->text(), QStringLiteral("5"));
    EXPECT_EQ(result(4)->text(), QStringLiteral("0.000"));
    EXPECT_EQ(result(3)->text(), QStringLiteral("1"));
}

TEST_F(QuorHistogramTest, WideRecordsAreGroupedWithTheLowBitsShownAsX) {
    // One code more than the rows: pairs, the last one alone.
    histo.Draw(ramp(0, 8), 12);
    EXPECT_EQ(shownRows(), (std::vector<int>{2, 3, 4, 5, 6}));
    EXPECT_EQ(code(2)->text(), QStringLiteral("000000000000000X"));
    EXPECT_EQ(code(6)->text(), QStringLiteral("000000000000100X"));
    EXPECT_EQ(count(2)->text(), QStringLiteral("2"));
    EXPECT_EQ(count(6)->text(), QStringLiteral("1"));

    // The full 16-bit range: the widest grouped texts still fit their boxes whole.
    histo.Draw(Codes{-32768, 32767}, 16);
    for (const int k : {0, 7}) {
        EXPECT_EQ(code(k)->text().count(u'X'), 13);
        EXPECT_LE(QFontMetrics(code(k)->font()).horizontalAdvance(code(k)->text()),
                  code(k)->width());
    }

    // A 12-bit ramp in sixteen rows: groups of 256, eight digits and eight "X".
    window.resize(toPixels(MainWidth) + 20, toPixels(2955) + 20);
    histo.setBounds(0, 0, MainWidth, 2955);
    ASSERT_EQ(histo.Rows(), 16);
    histo.Draw(ramp(0, 4095), 12);
    ASSERT_EQ(shownRows().size(), 16u);
    for (int k = 0; k < 16; ++k) {
        EXPECT_EQ(code(k)->text(), histo.Dec2Bin(k, 8, 0) + QStringLiteral("XXXXXXXX"));
        EXPECT_EQ(count(k)->text(), QStringLiteral("256"));
        EXPECT_NEAR(barWidth(k), MainBarLength / 16.0, 0.5);
    }
    EXPECT_EQ(results(), QStringList({"4096", "4095", "0", "4096", "1182.558", "2047.500"}));
    window.show();
    EXPECT_TRUE(rq::test::savePng(&histo, QStringLiteral("histogram_ramp.png")));
}

TEST_F(QuorHistogramTest, TheHeightSnapsToTheRowGridAndRowsFollowTheReportedHeight) {
    // Asked height, height reported, rows.
    const int cases[][3] = {{0, 1515, 8},     {1500, 1515, 8},  {1594, 1515, 8},  {1595, 1695, 9},
                            {1774, 1695, 9},  {1775, 1875, 10}, {2000, 2055, 11}, {2134, 2055, 11},
                            {2135, 2235, 12}, {2315, 2415, 13}, {2494, 2415, 13}, {2495, 2595, 14},
                            {2675, 2775, 15}, {2855, 2955, 16}, {3100, 2955, 16}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        histo.setHeight(c[0]);
        EXPECT_EQ(histo.Height(), c[1]);
        EXPECT_EQ(histo.Rows(), c[2]);
        EXPECT_EQ(twipsGeometry(box("Panel")).height(), c[1]);
    }

    // Qt's own resize in pixels goes through the same rule: 120 pixels, 1800 twips.
    window.resize(700, 300);
    window.show();
    histo.resize(toPixels(MainWidth), 120);
    EXPECT_EQ(histo.Height(), 1875);
    EXPECT_EQ(histo.Rows(), 10);
    histo.Draw(ramp(0, 9), 12);  // ten codes fill ten rows
    EXPECT_EQ(shownRows().size(), 10u);
    EXPECT_EQ(code(9)->text(), histo.Dec2Bin(9, 16, 0));

    histo.setHeight(1500);  // eight rows: the same codes pair up
    histo.Draw(ramp(0, 9), 12);
    EXPECT_EQ(shownRows(), (std::vector<int>{2, 3, 4, 5, 6}));
    EXPECT_EQ(code(6)->text(), QStringLiteral("000000000000100X"));
}

TEST_F(QuorHistogramTest, TheStatisticsBoxTakesTheRightAndANarrowControlDrawsNoBars) {
    EXPECT_EQ(twipsGeometry(box("Panel")), QRect(0, 0, 7050, 1515));
    EXPECT_EQ(twipsGeometry(box("picInfo")), QRect(7060, 0, QuorHistogram::InfoWidth, 1515));
    EXPECT_EQ(twipsGeometry(count(15)), QRect(6525, 2700, 495, 195));
    EXPECT_EQ(twipsGeometry(code(1)), QRect(120, 180, 1600, 195));

    histo.setWidth(6000);
    EXPECT_EQ(twipsGeometry(count(0)).left(), 3390);
    EXPECT_EQ(histo.BarLength(), 3390 - 1950);

    // Counts left of where the bars start: no bars, the counts over the codes and the
    // statistics beside them all in sight.
    window.resize(toPixels(3000), toPixels(1515));
    window.show();
    histo.setWidth(3000);
    EXPECT_EQ(histo.BarLength(), 0);
    EXPECT_EQ(failure(Codes{100, 101, 101, 103}), 0);
    EXPECT_EQ(shownRows(), (std::vector<int>{2, 3, 4, 5}));
    for (int k = 2; k <= 5; ++k) {
        EXPECT_EQ(barWidth(k), 0) << k;
    }
    const auto inSight = [this](QWidget* w) {
        return histo.rect().contains(QRect(w->mapTo(&histo, QPoint(0, 0)), w->size()));
    };
    EXPECT_EQ(count(3)->text(), QStringLiteral("2"));
    EXPECT_TRUE(inSight(count(3)));
    EXPECT_EQ(count(3)->palette().color(count(3)->backgroundRole()), toQColor(0xFFFF00));
    EXPECT_EQ(result(5)->text(), QStringLiteral("101.250"));
    EXPECT_TRUE(inSight(result(5)));

    // Narrower than the statistics box itself: still no failure and no bars.
    histo.setWidth(1000);
    EXPECT_EQ(failure(Codes{100, 101, 101, 103}), 0);
    EXPECT_EQ(barWidth(3), 0);
    EXPECT_EQ(twipsGeometry(box("Panel")).width(), 0);
    EXPECT_EQ(twipsGeometry(box("picInfo")).left(), 10);
}

TEST_F(QuorHistogramTest, AFailureHidesEveryRowAndLeavesTheStatisticsWrittenSoFar) {
    histo.Draw(Codes{1, 2, 3, 3}, 12);
    const QStringList before = results();
    ASSERT_EQ(before, QStringList({"4", "3", "1", "3", "0.957", "2.250"}));

    // One element: its deviation divides by zero before any statistic is written.
    EXPECT_EQ(failure(Codes{5}), 11);
    EXPECT_TRUE(shownRows().empty());
    EXPECT_EQ(results(), before);

    // A row past 32767 samples fails after the statistics of this record are shown.
    histo.Draw(Codes{1, 2, 3, 3}, 12);
    EXPECT_EQ(failure(Codes(40000, 9.0)), 6);
    EXPECT_TRUE(shownRows().empty());
    EXPECT_EQ(results(), QStringList({"40000", "9", "9", "1", "0.000", "9.000"}));
}

TEST_F(QuorHistogramTest, BackgroundsActAtOnceAndTheOtherColoursWaitForTheNextLoad) {
    // A new control shows the design's colours while its five stored values are 0.
    EXPECT_EQ(histo.HistogramPanelBackground(), 0xFFFF00u);
    EXPECT_EQ(histo.StatusBackground(), 0xFFFFFFu);
    EXPECT_EQ(backColour(bar(0)), 0xFF0000u);
    EXPECT_EQ(foreColour(code(0)), SystemColour::ButtonText);
    EXPECT_EQ(part("lblNames", 1)->text(), QStringLiteral("Max Code:"));
    for (Colour stored : {histo.BarColour(), histo.CodeLabelColour(), histo.CountLabelColour(),
                          histo.InfoLabelColour(), histo.ResultsLabelColour()}) {
        EXPECT_EQ(stored, 0u);
    }

    QSignalSpy changed(&histo, &HostedControl::propertyChanged);
    histo.setHistogramPanelBackground(0xC0C0C0);
    histo.setStatusBackground(SystemColour::ButtonFace);
    histo.setBarColour(0xFF);
    histo.setCodeLabelColour(0xFF00);
    histo.setCountLabelColour(0xFF00);
    histo.setInfoLabelColour(0x808080);
    histo.setResultsLabelColour(0x800000);
    QStringList names;
    for (const auto& args : changed) {
        names << args.at(0).toString();
    }
    EXPECT_EQ(names, QStringList({"HistogramPanelBackground", "StatusBackground", "BarColour",
                                  "CodeLabelColour", "CountLabelColour", "InfoLabelColour",
                                  "ResultsLabelColour"}));
    EXPECT_EQ(backColour(box("Panel")), 0xC0C0C0u);
    EXPECT_EQ(histo.StatusBackground(), SystemColour::ButtonFace);
    EXPECT_EQ(histo.BarColour(), 0xFFu);
    EXPECT_EQ(backColour(bar(0)), 0xFF0000u);
    EXPECT_EQ(foreColour(code(0)), SystemColour::ButtonText);
}

TEST_F(QuorHistogramTest, LoadingColoursTheConstituentsThenReadsTheStoredValues) {
    MemoryPropertyBag bag;
    bag.writeColour(QStringLiteral("BarColour"), 0xFF, 0);
    bag.writeColour(QStringLiteral("InfoLabelColour"), SystemColour::Highlight, 0);
    bag.writeColour(QStringLiteral("StatusBackground"), 0xE0E0E0, 0);
    bag.log.clear();
    histo.readProperties(bag);
    EXPECT_EQ(bag.log,
              QStringList({"r HistogramPanelBackground", "r BarColour", "r CodeLabelColour",
                           "r CountLabelColour", "r InfoLabelColour", "r ResultsLabelColour",
                           "r StatusBackground", "r BarColour", "r CodeLabelColour",
                           "r CountLabelColour", "r InfoLabelColour", "r ResultsLabelColour"}));
    EXPECT_EQ(backColour(bar(15)), 0xFFu);
    EXPECT_EQ(foreColour(part("lblNames", 5)), SystemColour::Highlight);
    EXPECT_EQ(foreColour(result(5)), SystemColour::ButtonText);
    EXPECT_EQ(histo.StatusBackground(), 0xE0E0E0u);
    EXPECT_EQ(histo.HistogramPanelBackground(), 0xFFFF00u);
    EXPECT_EQ(histo.BarColour(), 0xFFu);
    EXPECT_EQ(histo.InfoLabelColour(), SystemColour::Highlight);
    EXPECT_EQ(histo.CodeLabelColour(), 0u);  // absent: the stored default, not the label's
}

TEST_F(QuorHistogramTest, SavingWritesTheConstituentsThenTheStoredValuesOverThem) {
    MemoryPropertyBag bare;
    histo.writeProperties(bare);
    EXPECT_EQ(bare.log,
              QStringList({"w HistogramPanelBackground", "w BarColour", "w CodeLabelColour",
                           "w CountLabelColour", "w InfoLabelColour", "w ResultsLabelColour",
                           "w StatusBackground", "w BarColour", "w CodeLabelColour",
                           "w CountLabelColour", "w InfoLabelColour", "w ResultsLabelColour"}));
    EXPECT_TRUE(bare.names().isEmpty());  // every value at its default

    // Red bars loaded, then green stored: the stored value is the one kept, and the bars take it
    // when the saved state is loaded.
    MemoryPropertyBag design;
    design.writeColour(QStringLiteral("BarColour"), 0xFF, 0);
    histo.readProperties(design);
    histo.setBarColour(0xFF00);
    histo.setHistogramPanelBackground(0x808000);
    MemoryPropertyBag saved;
    histo.writeProperties(saved);
    EXPECT_EQ(saved.readColour(QStringLiteral("BarColour"), 0), 0xFF00u);
    QuorHistogram restored;
    restored.readProperties(saved);
    EXPECT_EQ(backColour(restored.findChild<QWidget*>(QStringLiteral("shape17"))), 0xFF00u);
    EXPECT_EQ(restored.BarColour(), 0xFF00u);
    EXPECT_EQ(restored.HistogramPanelBackground(), 0x808000u);
}

TEST_F(QuorHistogramTest, TheMainWindowsHistogramIsMadeFromItsDesignAndReadsWhole) {
    ControlRegistry registry;
    rq::controls::registerHistoPane(registry);

    // Bare: the design's colours on show, the stored ones 0.
    auto* bare = registry.create<QuorHistogram>(QStringLiteral("HistoPane.QuorHistogram"), nullptr,
                                                QStringLiteral("bare"));
    EXPECT_EQ(bare->BarColour(), 0u);
    EXPECT_EQ(bare->HistogramPanelBackground(), 0xFFFF00u);
    delete bare;

    QWidget main;
    main.resize(toPixels(9465), toPixels(8200));
    SettingsPropertyBag design(QStringLiteral(":/design/frmMainScreen.ini"),
                               QStringLiteral("QuorHistogram1"));
    auto* h = registry.create<QuorHistogram>(QStringLiteral("HistoPane.QuorHistogram"), &main,
                                             QStringLiteral("QuorHistogram1"), &design);
    placeTwips(h, 360, 6480, MainWidth, 1515);
    main.show();
    EXPECT_EQ(h->objectName(), QStringLiteral("QuorHistogram1"));
    EXPECT_EQ(h->BarColour(), 0xFF0000u);
    EXPECT_EQ(h->HistogramPanelBackground(), 0xFFFF00u);
    EXPECT_EQ(h->StatusBackground(), 0xFFFFFFu);
    EXPECT_EQ(h->CodeLabelColour(), SystemColour::ButtonText);
    EXPECT_EQ(h->ResultsLabelColour(), SystemColour::ButtonText);

    h->Draw(noisySine(4096), 12);
    const auto labels = h->findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 2 * 16 + 12);
    int shown = 0;
    for (const QLabel* label : labels) {
        if (label->isHidden()) {
            continue;
        }
        ++shown;
        SCOPED_TRACE(label->objectName().toStdString() + " " + label->text().toStdString());
        const QFontMetrics metrics(label->font());
        EXPECT_LE(metrics.horizontalAdvance(label->text()), label->width());
        EXPECT_LE(metrics.height(), label->height());
        EXPECT_TRUE(label->parentWidget()->rect().contains(label->geometry()));
        EXPECT_EQ(label->palette().color(label->foregroundRole()),
                  toQColor(SystemColour::ButtonText));
        EXPECT_EQ(label->font().family(), QStringLiteral("Liberation Sans"));
    }
    EXPECT_EQ(shown, 2 * 8 + 12);  // the sine's codes fill all eight rows
    EXPECT_EQ(h->findChild<QLabel*>(QStringLiteral("lblResults0"))->text(), QStringLiteral("4096"));
    EXPECT_EQ(backColour(h->findChild<QWidget*>(QStringLiteral("shape13"))), 0xFF0000u);
    EXPECT_TRUE(rq::test::savePng(h, QStringLiteral("histogram_noisy_sine.png")));
}

}  // namespace

// Protects the FFT panel: what CalcFFT leaves in the read-outs and properties (and after a
// failure), the averaging box and its count, the window box that only raises BHWindow, the bin
// buttons and "Harms", focus after clicks, BackColor and the colour keys, the saved state in
// table order, and a layout whose texts stay whole at the main window's size.
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <random>

#include "WidgetTest.h"
#include "common/BasicText.h"
#include "fft/QuorFFTControl.h"
#include "host/ControlRegistry.h"
#include "host/DesignFont.h"
#include "host/PropertyBag.h"
#include "host/Twips.h"

using rq::controls::QuorFFTControl;
using namespace rq::host;

namespace {

constexpr int N = 4096;

// A coherent tone at bin 404 (9863.3 Hz at 100 kHz) on a DC offset, with a little of
// harmonics 2 and 3 and noise, as a 12-bit converter would deliver it.
std::vector<double> toneRecord(unsigned seed, double amplitude = 1500) {
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0.0, 0.6);
    std::vector<double> x(N);
    for (int i = 0; i < N; ++i) {
        const double a = 2 * M_PI * 404 * i / N;
        x[i] = 2048 + amplitude * std::sin(a) + 0.4 * std::sin(2 * a + 1) +
               0.3 * std::sin(3 * a + 2) + noise(rng);
    }
    return x;
}

QStringList names(const QSignalSpy& spy) {
    QStringList out;
    for (const auto& args : spy) {
        out << args.at(0).toString();
    }
    return out;
}

class QuorFFTControlTest : public rq::test::WidgetTest {
protected:
    QuorFFTControlTest() {
        window.resize(toPixels(9465), toPixels(7170));
        fft.setBounds(7500, 4140, QuorFFTControl::DesignWidth, QuorFFTControl::DesignHeight);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    template <class T = QWidget>
    T* part(const char* name) {
        T* w = fft.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString text(const char* name) { return part<QLabel>(name)->text(); }
    // Clicks the constituent and checks that the focus went to Picture1 afterwards.
    void click(const char* name) {
        QWidget* w = part(name);
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(w->width() / 2, w->height() / 2));
        EXPECT_EQ(QApplication::focusWidget(), part("Picture1")) << "after clicking " << name;
    }

    QWidget window;
    QuorFFTControl fft{&window};
    std::vector<double> out;
};

TEST_F(QuorFFTControlTest, CalcFFTShowsTheCoresReadOutsAndThePropertiesHoldTheirThreeDecimals) {
    QSignalSpy changed(&fft, &HostedControl::propertyChanged);
    fft.CalcFFT(toneRecord(1), out);  // no sample frequency: 100000 Hz
    EXPECT_EQ(fft.SampleFrequency(), 100000);
    EXPECT_EQ(text("lblFREQvalue"), QStringLiteral("9863.3Hz"));
    ASSERT_EQ(out.size(), size_t(N / 2));
    EXPECT_EQ(text("lblSNRvalue"), fft.readOuts().snrText());
    EXPECT_EQ(text("lblTHDvalue"), fft.readOuts().thdText());
    EXPECT_EQ(part<QLabel>("lblSNRvalue")->accessibleName(), text("lblSNRvalue"));
    // A clean 12-bit tone: SNR well up, THD well down, both ending in "dB".
    EXPECT_GT(fft.SNR(), 50.0);
    EXPECT_LT(fft.THD(), -50.0);
    EXPECT_EQ(fft.SNR(), rq::leadingNumber(text("lblSNRvalue")));
    EXPECT_EQ(fft.THD(), rq::leadingNumber(text("lblTHDvalue")));
    EXPECT_DOUBLE_EQ(fft.SNR(), std::round(fft.SNR() * 1000) / 1000);
    EXPECT_EQ(names(changed), QStringList({"SNR", "THD"}));

    fft.CalcFFT(toneRecord(2), out, 1000000.4);
    EXPECT_EQ(fft.SampleFrequency(), 1000000);
    EXPECT_EQ(text("lblFREQvalue"), QStringLiteral("98.63KHz"));
}

TEST_F(QuorFFTControlTest, AFailedRecordReadsZeroWithoutPassingTheFailureOn) {
    fft.CalcFFT(toneRecord(3), out);
    ASSERT_EQ(text("lblFREQvalue"), QStringLiteral("9863.3Hz"));
    QSignalSpy changed(&fft, &HostedControl::propertyChanged);
    fft.CalcFFT(std::vector<double>(N, 0.0), out);
    EXPECT_EQ(fft.analysis().lastError(), 531);
    EXPECT_EQ(out, std::vector<double>(N / 2, 0.0));
    EXPECT_EQ(text("lblSNRvalue"), QStringLiteral("0.000dB"));
    EXPECT_EQ(text("lblTHDvalue"), QStringLiteral("0.000dB"));
    EXPECT_EQ(fft.SNR(), 0.0);
    EXPECT_EQ(fft.THD(), 0.0);
    EXPECT_EQ(names(changed), QStringList({"SNR", "THD"}));
    // No peak: the good record's frequency would read as this one's.
    EXPECT_EQ(text("lblFREQvalue"), QStringLiteral(".0Hz"));
    EXPECT_EQ(part<QLabel>("lblFREQvalue")->accessibleName(), QStringLiteral(".0Hz"));

    // The bin buttons re-measure the last good spectrum.
    click("cmdDCplus");
    EXPECT_GT(rq::leadingNumber(text("lblSNRvalue")), 50.0);

    // Called directly, GenerateFFT raises.
    EXPECT_THROW(fft.GenerateFFT(std::vector<double>(1000, 1.0), out), rq::NumberedError);
}

TEST_F(QuorFFTControlTest, TheAvgBoxAloneShowsTheCountLabelAndRestartsTheCount) {
    QLabel* numAvgs = part<QLabel>("lblNumAvgs");
    EXPECT_FALSE(numAvgs->isVisible());
    fft.CalcFFT(toneRecord(4), out);
    EXPECT_FALSE(numAvgs->isVisible());
    EXPECT_EQ(text("lblAvgNumber"), QString());

    click("chkAvg");
    EXPECT_TRUE(numAvgs->isVisible());
    EXPECT_EQ(numAvgs->text(), QStringLiteral("Avg. No."));
    const QString freq = text("lblFREQvalue");
    std::vector<double> first;
    fft.CalcFFT(toneRecord(5), first);
    EXPECT_EQ(text("lblAvgNumber"), QStringLiteral("1"));
    fft.CalcFFT(toneRecord(6), out);
    EXPECT_EQ(text("lblAvgNumber"), QStringLiteral("2"));
    EXPECT_NE(out, first);                          // the mean of the two
    EXPECT_EQ(text("lblFREQvalue"), freq);          // averaging leaves the frequency alone
    fft.CalcFFT(std::vector<double>(N, 0.0), out);  // a failure neither counts nor hides
    EXPECT_EQ(text("lblAvgNumber"), QStringLiteral("2"));
    EXPECT_TRUE(numAvgs->isVisible());
    EXPECT_EQ(text("lblFREQvalue"), QStringLiteral(".0Hz"));
    fft.CalcFFT(toneRecord(9), out);
    EXPECT_EQ(text("lblAvgNumber"), QStringLiteral("3"));
    EXPECT_EQ(text("lblFREQvalue"), QStringLiteral(".0Hz"));  // still not rewritten

    click("chkAvg");
    EXPECT_FALSE(numAvgs->isVisible());
    EXPECT_EQ(text("lblAvgNumber"), QString());
    EXPECT_EQ(fft.analysis().averageCount(), 0);
    EXPECT_TRUE(fft.analysis().runningMean().empty());
    fft.CalcFFT(toneRecord(7), out);
    EXPECT_EQ(text("lblAvgNumber"), QString());

    click("chkAvg");
    EXPECT_EQ(text("lblAvgNumber"), QString());
    fft.CalcFFT(toneRecord(8), out);
    EXPECT_EQ(text("lblAvgNumber"), QStringLiteral("1"));
}

TEST_F(QuorFFTControlTest, TheWindowBoxRaisesBHWindowAndTakesEffectAtTheNextCall) {
    const std::vector<double> x = toneRecord(9);
    fft.CalcFFT(x, out);
    const std::vector<double> windowed = out;
    const QString snr = text("lblSNRvalue"), thd = text("lblTHDvalue");
    QSignalSpy raised(&fft, &QuorFFTControl::BHWindow);
    QSignalSpy changed(&fft, &HostedControl::propertyChanged);
    click("chkBHwindow");
    EXPECT_EQ(raised.count(), 1);
    EXPECT_FALSE(part<QCheckBox>("chkBHwindow")->isChecked());
    EXPECT_EQ(text("lblSNRvalue"), snr);
    EXPECT_EQ(text("lblTHDvalue"), thd);
    EXPECT_TRUE(changed.isEmpty());

    // Unwindowed, the coherent tone leaks nowhere and stands at its height against DC.
    fft.CalcFFT(x, out);
    EXPECT_NEAR(out[404], 20 * std::log10(750.0 / 2048), 0.01);
    EXPECT_LT(out[405], -80.0);
    EXPECT_GT(windowed[405], windowed[404] - 10);
    click("chkBHwindow");
    EXPECT_EQ(raised.count(), 2);
    fft.CalcFFT(x, out);
    EXPECT_EQ(out, windowed);
}

TEST_F(QuorFFTControlTest, BinButtonsStayWithinOneToNineAndRefreshTheirLabels) {
    fft.CalcFFT(toneRecord(10), out);
    const double snr = fft.SNR(), thd = fft.THD();
    EXPECT_EQ(text("lblDCb"), QStringLiteral("5"));
    EXPECT_EQ(text("lblSbin"), QStringLiteral("4"));
    QSignalSpy changed(&fft, &HostedControl::propertyChanged);

    click("cmdSigPlus");
    EXPECT_EQ(fft.SIGBins(), 5);
    EXPECT_EQ(text("lblSbin"), QStringLiteral("5"));
    EXPECT_EQ(text("lblSNRvalue"), fft.readOuts().snrText());
    EXPECT_EQ(text("lblTHDvalue"), fft.readOuts().thdText());
    EXPECT_NE(text("lblSNRvalue"), rq::controls::decibelText(snr));
    EXPECT_EQ(fft.SNR(), snr);  // the properties keep the last CalcFFT's values
    EXPECT_EQ(fft.THD(), thd);

    for (int i = 0; i < 4; ++i) {
        click("cmdDCplus");
    }
    EXPECT_EQ(fft.DCBins(), 9);
    const QString snrAtNine = text("lblSNRvalue");
    changed.clear();
    fft.setSIGBins(7);  // a host's value shows in its label
    EXPECT_EQ(text("lblSbin"), QStringLiteral("7"));
    part<QLabel>("lblDCb")->setText(QStringLiteral("stale"));
    click("cmdDCplus");  // at 9: nothing but the label
    EXPECT_EQ(fft.DCBins(), 9);
    EXPECT_EQ(text("lblDCb"), QStringLiteral("9"));
    EXPECT_EQ(text("lblSbin"), QStringLiteral("7"));
    EXPECT_EQ(text("lblSNRvalue"), snrAtNine);
    EXPECT_EQ(names(changed), QStringList({"SIGBins"}));

    fft.setDCBins(1);
    fft.setSIGBins(1);
    changed.clear();
    click("cmdDCminus");
    click("cmdSigMinus");
    EXPECT_EQ(fft.DCBins(), 1);
    EXPECT_EQ(fft.SIGBins(), 1);
    EXPECT_TRUE(changed.isEmpty());
    click("cmdSigPlus");
    click("cmdDCminus");
    EXPECT_EQ(names(changed), QStringList({"SIGBins"}));
}

TEST_F(QuorFFTControlTest, HarmsCountsHarmonicsAsNoiseAndReMeasuresSNROnly) {
    // Strong harmonics make the difference plain.
    std::vector<double> x = toneRecord(11);
    for (int i = 0; i < N; ++i) {
        x[i] += 3 * std::sin(2 * M_PI * 808 * i / N) + 2 * std::sin(2 * M_PI * 1212 * i / N);
    }
    fft.CalcFFT(x, out);
    const QString snr = text("lblSNRvalue"), thd = text("lblTHDvalue");
    click("chkHarms");
    EXPECT_LT(rq::leadingNumber(text("lblSNRvalue")), rq::leadingNumber(snr) - 3);
    EXPECT_EQ(text("lblTHDvalue"), thd);
    EXPECT_TRUE(fft.analysis().harmonicsInNoise());
    click("chkHarms");
    EXPECT_EQ(text("lblSNRvalue"), snr);
    EXPECT_FALSE(fft.analysis().harmonicsInNoise());
}

TEST_F(QuorFFTControlTest, SavedBackColorColoursThePanelOnlyWhileSettingItColoursTwoBoxesToo) {
    MemoryPropertyBag bag;
    bag.writeColour(QStringLiteral("BackColor"), 0xC0FFC0, 0);
    fft.readProperties(bag);
    EXPECT_EQ(fft.BackColor(), 0xC0FFC0u);
    EXPECT_EQ(backColour(part("Picture2")), 0xC0FFC0u);
    for (const char* box : {"chkAvg", "chkHarms", "chkBHwindow"}) {
        EXPECT_EQ(backColour(part(box)), SystemColour::ButtonFace) << box;
    }

    QSignalSpy changed(&fft, &HostedControl::propertyChanged);
    fft.setBackColor(0x80FFFF);
    EXPECT_EQ(names(changed), QStringList({"BackColor"}));
    EXPECT_EQ(backColour(part("Picture2")), 0x80FFFFu);
    EXPECT_EQ(backColour(part("chkAvg")), 0x80FFFFu);
    EXPECT_EQ(backColour(part("chkHarms")), 0x80FFFFu);
    EXPECT_EQ(backColour(part("chkBHwindow")), SystemColour::ButtonFace);
    EXPECT_EQ(part("Picture2")->palette().color(part("Picture2")->backgroundRole()),
              QColor(0xFF, 0xFF, 0x80));
}

TEST_F(QuorFFTControlTest, KeysAreReadAndWrittenInTableOrderWithTheirDefaults) {
    const QStringList keys = {"DCBins",    "SIGBins",
                              "SNR",       "THD",
                              "FREQ",      "Value",
                              "BackColor", "CheckBoxColour",
                              "TextColor", "AveragingDisabledColour"};
    MemoryPropertyBag untouched;
    fft.writeProperties(untouched);
    QStringList writes, reads;
    for (const QString& k : keys) {
        writes << "w " + k;
        reads << "r " + k;
    }
    EXPECT_EQ(untouched.log, writes);
    EXPECT_TRUE(untouched.names().isEmpty());  // all defaults

    // The colour keys come from their constituents.
    fft.setDCBins(7);
    fft.setFREQ(9863);
    fft.setValue(2.5);
    fft.setBackColor(SystemColour::WindowBackground);
    setForeColour(part("chkAvg"), 0xFF);
    setForeColour(part("lblDCb"), 0x8000);
    setForeColour(part("lblAverage"), SystemColour::GrayText);
    fft.CalcFFT(toneRecord(12), out);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("state.ini"));
    {
        SettingsPropertyBag saved(file, QStringLiteral("QuorFFTControl1"));
        fft.writeProperties(saved);
    }
    QuorFFTControl restored;
    restored.readProperties(SettingsPropertyBag(file, QStringLiteral("QuorFFTControl1")));
    MemoryPropertyBag memory;
    fft.writeProperties(memory);
    memory.log.clear();
    QuorFFTControl().readProperties(memory);
    EXPECT_EQ(memory.log, reads);
    EXPECT_EQ(restored.DCBins(), 7);
    EXPECT_EQ(restored.SIGBins(), 4);
    EXPECT_EQ(restored.findChild<QLabel*>(QStringLiteral("lblDCb"))->text(), QStringLiteral("7"));
    EXPECT_EQ(restored.SNR(), fft.SNR());
    EXPECT_EQ(restored.THD(), fft.THD());
    EXPECT_EQ(restored.FREQ(), 9863);
    EXPECT_EQ(restored.Value(), 2.5);
    EXPECT_EQ(restored.BackColor(), SystemColour::WindowBackground);
    EXPECT_EQ(foreColour(restored.findChild<QWidget*>(QStringLiteral("chkAvg"))), 0xFFu);
    EXPECT_EQ(foreColour(restored.findChild<QWidget*>(QStringLiteral("lblDCb"))), 0x8000u);
    EXPECT_EQ(foreColour(restored.findChild<QWidget*>(QStringLiteral("lblAverage"))),
              SystemColour::GrayText);

    // Without saved state the defaults, blue for the two blue keys.
    QuorFFTControl fresh;
    fresh.readProperties(MemoryPropertyBag());
    EXPECT_EQ(fresh.DCBins(), 5);
    EXPECT_EQ(fresh.BackColor(), SystemColour::ButtonFace);
    EXPECT_EQ(foreColour(fresh.findChild<QWidget*>(QStringLiteral("chkAvg"))), 0xFF0000u);
    EXPECT_EQ(foreColour(fresh.findChild<QWidget*>(QStringLiteral("lblDCb"))),
              SystemColour::ButtonText);
    MemoryPropertyBag tooBig;
    tooBig.writeInt(QStringLiteral("SIGBins"), 40000, 4);
    EXPECT_THROW(fresh.readProperties(tooBig), rq::NumberedError);
}

TEST_F(QuorFFTControlTest, SettersReportUnderThePersistedNames) {
    QSignalSpy changed(&fft, &HostedControl::propertyChanged);
    fft.setDCBins(6);
    fft.setSIGBins(3);
    fft.setSNR(1.5);
    fft.setTHD(-2.5);
    fft.setFREQ(100);
    fft.setValue(4);
    fft.setBackColor(0xFF);
    EXPECT_EQ(names(changed),
              QStringList({"DCBins", "SIGBins", "SNR", "THD", "FREQ", "Value", "BackColor"}));

    // SNRincHarm sets SNR when it measures, and keeps it (unreported) when it fails.
    changed.clear();
    std::vector<double> dB(64, -60.0);
    dB[30] = 0.0;
    fft.SNRincHarm(dB, 64);
    EXPECT_NEAR(fft.SNR(), 10 * std::log10(1 + 10 * 1e-6) - 10 * std::log10(49 * 1e-6), 1e-9);
    const double snr = fft.SNR();
    dB[30] = -60;
    dB[2] = 0.0;  // a window below position 0
    fft.SNRincHarm(dB, 64);
    EXPECT_EQ(fft.SNR(), snr);
    EXPECT_EQ(names(changed), QStringList({"SNR"}));
}

TEST_F(QuorFFTControlTest, TheRegistryCreatesItWithInitialOrDesignTimeValues) {
    ControlRegistry registry;
    rq::controls::registerSpectrumPane(registry);
    QWidget main;
    auto* bare = registry.create<QuorFFTControl>(QStringLiteral("spectrumpane.quorfftcontrol"),
                                                 &main, QStringLiteral("QuorFFTControl1"));
    EXPECT_EQ(bare->objectName(), QStringLiteral("QuorFFTControl1"));
    EXPECT_EQ(bare->DCBins(), 5);
    EXPECT_EQ(bare->SIGBins(), 4);
    EXPECT_EQ(QSize(bare->Width(), bare->Height()), QSize(1755, 2235));
    EXPECT_TRUE(bare->Visible());

    MemoryPropertyBag design;
    design.setValue(QStringLiteral("DCBins"), QStringLiteral("3"));  // as an INI file has it
    design.setValue(QStringLiteral("BackColor"), QStringLiteral("&HFFFF00"));
    auto* designed = registry.create<QuorFFTControl>(QString::fromLatin1(QuorFFTControl::ProgId),
                                                     &main, QStringLiteral("F2"), &design);
    EXPECT_EQ(designed->DCBins(), 3);
    EXPECT_EQ(designed->findChild<QLabel*>(QStringLiteral("lblDCb"))->text(), QStringLiteral("3"));
    EXPECT_EQ(designed->BackColor(), 0xFFFF00u);
}

TEST_F(QuorFFTControlTest, Picture2FillsTheControlAndTheRestKeepTheirPlaces) {
    QWidget* picture1 = part("Picture1");
    const QRect before = twipsGeometry(picture1);
    for (const QSize size : {QSize(1755, 2445), QSize(3000, 1000), QSize(1755, 2235)}) {
        fft.setBounds(7500, 4065, size.width(), size.height());
        EXPECT_EQ(twipsGeometry(part("Picture2")), QRect(QPoint(0, 0), size));
        EXPECT_EQ(twipsGeometry(picture1), before);
    }
}

// Every text, the widest the read-outs can show included, fits its widget at the design size
// in the design font; no two constituents overlap; a PNG shows it after a tone averaged.
TEST_F(QuorFFTControlTest, AtTheMainWindowsSizeEveryTextIsWhole) {
    EXPECT_EQ(fft.font().family(), designFont().family());  // Liberation Sans
    EXPECT_EQ(fft.font().pointSizeF(), 8.0);
    fft.CalcFFT(toneRecord(13), out);  // the frequency, which averaging leaves alone
    click("chkAvg");
    for (unsigned seed = 14; seed < 18; ++seed) {
        fft.CalcFFT(toneRecord(seed), out);
    }
    QWidget* picture2 = part("Picture2");
    const QString widest[] = {"-100.000dB", "100.000dB", "9999.9Hz", "999.99KHz", "99.999MHz"};
    for (QWidget* w : picture2->findChildren<QWidget*>()) {
        const std::string name = w->objectName().toStdString();
        EXPECT_TRUE(w->parentWidget()->contentsRect().contains(w->geometry())) << name;
        for (QWidget* sibling :
             w->parentWidget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            EXPECT_TRUE(sibling == w || !sibling->geometry().intersects(w->geometry()))
                << name << " overlaps " << sibling->objectName().toStdString();
        }
        const QFontMetrics fm(w->font());
        if (auto* label = qobject_cast<QLabel*>(w)) {
            QStringList texts = {label->text()};
            if (label->objectName().endsWith(QStringLiteral("value"))) {
                texts << QStringList(std::begin(widest), std::end(widest));
            }
            for (const QString& t : texts) {
                EXPECT_LE(fm.horizontalAdvance(t), label->contentsRect().width())
                    << name << " " << t.toStdString();
            }
            EXPECT_GE(label->height(), fm.height()) << name;
        } else if (auto* box = qobject_cast<QCheckBox*>(w)) {
            EXPECT_GE(box->width(), box->sizeHint().width()) << name;
            EXPECT_GE(box->height(), box->sizeHint().height()) << name;
        }
        if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            EXPECT_LE(fm.horizontalAdvance(button->text()) + 4, button->width()) << name;
            EXPECT_GE(button->height(), fm.height()) << name;
            EXPECT_EQ(button->accessibleName(), button->text()) << name;
        }
    }
    EXPECT_EQ(text("lblAvgNumber"), QStringLiteral("4"));
    EXPECT_TRUE(rq::test::savePng(&fft, QStringLiteral("fft_panel_averaging.png")));

    QuorFFTControl failed(&window);
    failed.setBounds(0, 0, QuorFFTControl::DesignWidth, QuorFFTControl::DesignHeight);
    failed.show();
    failed.CalcFFT(toneRecord(18), out);
    failed.CalcFFT(std::vector<double>(N, 0.0), out);
    EXPECT_EQ(failed.findChild<QLabel*>(QStringLiteral("lblSNRvalue"))->text(),
              QStringLiteral("0.000dB"));
    EXPECT_TRUE(rq::test::savePng(&failed, QStringLiteral("fft_panel_failed.png")));
}

}  // namespace

// Protects what the FFT panel shows of its measurements: the read-out texts after a record, a
// spectrum alone and a failure, the averaging count, the bin buttons' limits and the "Harms" box,
// which re-measure the texts only.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <vector>

#include "FftRecords.h"
#include "common/BasicText.h"
#include "common/NumberedError.h"
#include "fft/FftAnalysis.h"
#include "fft/SpectrumReadOuts.h"

using fftrecords::adcRecord;
using fftrecords::makeTone;
using fftrecords::toDb;
using fftrecords::Tone;
using fftrecords::tone;
using rq::FftAnalysis;
using rq::controls::decibelText;
using rq::controls::frequencyText;
using rq::controls::SpectrumReadOuts;

namespace {

// A record through the core, then into the read-outs, as the panel takes it.
void calc(FftAnalysis& fft, SpectrumReadOuts& texts, const std::vector<double>& x,
          std::vector<double>& out, std::optional<double> sampleFrequency = std::nullopt) {
    fft.CalcFFT(x, out, sampleFrequency);
    texts.showRecord();
}

void generate(FftAnalysis& fft, SpectrumReadOuts& texts, const std::vector<double>& x,
              std::vector<double>& out) {
    fft.GenerateFFT(x, out);
    texts.showSpectrum();
}

}  // namespace

TEST(ReadOutTexts, DecibelsWithThreeDecimalsAndFrequencyInItsUnit) {
    EXPECT_EQ(decibelText(0.0), "00.000dB");
    EXPECT_EQ(decibelText(-71.23449), "-71.234dB");
    EXPECT_EQ(decibelText(5.0006), "05.001dB");
    EXPECT_EQ(frequencyText(0.0), ".0Hz");
    EXPECT_EQ(frequencyText(9999.94), "9999.9Hz");
    EXPECT_EQ(frequencyText(10000.0), "10.00KHz");
    EXPECT_EQ(frequencyText(999994.0), "999.99KHz");
    EXPECT_EQ(frequencyText(1000000.0), "1.000MHz");
}

TEST(SpectrumReadOuts, FrequencyOfThePeakAfterEachSpectrum) {
    FftAnalysis fft;
    SpectrumReadOuts texts(fft);
    texts.showSpectrum();
    EXPECT_EQ(texts.freqText(), "");  // no peak yet
    fft.setSampleFrequency(100000);
    std::vector<double> out;
    // Bin 31 of 1024 at 100 kHz is 3027.3 Hz.
    generate(fft, texts, tone(1024, 31), out);
    EXPECT_EQ(texts.freqText(), "3027.3Hz");

    fft.setSampleFrequency(80000);
    generate(fft, texts, tone(1024, 128), out);
    EXPECT_EQ(texts.freqText(), "10.00KHz");
    fft.setSampleFrequency(8000000);
    generate(fft, texts, tone(1024, 128), out);
    EXPECT_EQ(texts.freqText(), "1.000MHz");

    // A peak on the DC position reads 0 Hz.
    std::vector<double> x = tone(256, 40, 0.01);
    for (int i = 0; i < 256; ++i) {
        x[i] += 5.0 + 1e-6 * ((i * 7919) % 13);
    }
    fft.setDCBins(0);
    generate(fft, texts, x, out);
    EXPECT_EQ(texts.freqText(), ".0Hz");
}

TEST(SpectrumReadOuts, AveragingCountFollowsTheRecordsAveragedIn) {
    FftAnalysis fft;
    SpectrumReadOuts texts(fft);
    fft.setSampleFrequency(100000);
    std::vector<double> out;
    generate(fft, texts, tone(256, 20), out);
    generate(fft, texts, adcRecord(256, 33, 1), out);
    const QString freqBefore = texts.freqText();
    EXPECT_EQ(texts.avgNumberText(), "");

    texts.avgClicked(true);
    EXPECT_TRUE(fft.averaging());
    EXPECT_EQ(texts.avgNumberText(), "");
    generate(fft, texts, tone(256, 20), out);
    EXPECT_EQ(texts.avgNumberText(), "1");
    generate(fft, texts, adcRecord(256, 33, 1), out);
    EXPECT_EQ(texts.avgNumberText(), "2");
    EXPECT_EQ(texts.freqText(), freqBefore);
    // A record the spectrum refuses is not counted.
    EXPECT_THROW(fft.GenerateFFT(std::vector<double>(100, 1.0), out), rq::NumberedError);
    texts.showSpectrum();
    EXPECT_EQ(texts.avgNumberText(), "2");

    // Off and on again starts over at 1; the box empties the count either way.
    texts.avgClicked(false);
    EXPECT_FALSE(fft.averaging());
    EXPECT_EQ(fft.averageCount(), 0);
    EXPECT_EQ(texts.avgNumberText(), "");
    generate(fft, texts, adcRecord(256, 33, 1), out);
    EXPECT_EQ(texts.avgNumberText(), "");  // not averaging: nothing counted
    texts.avgClicked(true);
    generate(fft, texts, adcRecord(256, 33, 1), out);
    EXPECT_EQ(texts.avgNumberText(), "1");
    texts.avgClicked(true);
    EXPECT_EQ(texts.avgNumberText(), "");
    generate(fft, texts, adcRecord(256, 33, 1), out);
    EXPECT_EQ(texts.avgNumberText(), "2");
}

TEST(CalcFFTReadOuts, ReadOutsPropertiesAndFailure) {
    const Tone t = makeTone(127, 5);
    FftAnalysis fft;
    SpectrumReadOuts texts(fft);
    fft.setSampleFrequency(1);
    std::vector<double> out;
    calc(fft, texts, t.x, out);
    EXPECT_EQ(fft.SampleFrequency(), 100000);
    EXPECT_EQ(texts.freqText(), "3100.6Hz");  // bin 127 of 4096 at 100 kHz
    ASSERT_EQ(out.size(), 2048u);
    EXPECT_EQ(fft.storedSpectrum(), out);
    // The properties hold the read-outs' three decimals, not the measurement.
    EXPECT_EQ(fft.SNR(), rq::leadingNumber(texts.snrText()));
    EXPECT_EQ(fft.THD(), rq::leadingNumber(texts.thdText()));
    EXPECT_NE(fft.SNR(), fft.CalcSNR());
    EXPECT_NEAR(fft.SNR(), fft.CalcSNR(), 0.0005);
    EXPECT_TRUE(texts.snrText().endsWith("dB"));

    // Switching the window changes nothing until the next call.
    const QString snrText = texts.snrText();
    fft.setWindowing(false);
    EXPECT_EQ(texts.snrText(), snrText);

    // A failed record zeroes the output and the read-outs, and keeps the older spectrum.
    const std::vector<double> stored = fft.storedSpectrum();
    calc(fft, texts, std::vector<double>(4096, 0.0), out, 1000000);
    EXPECT_EQ(out, std::vector<double>(2048, 0.0));
    EXPECT_EQ(texts.snrText(), "0.000dB");
    EXPECT_EQ(texts.thdText(), "0.000dB");
    EXPECT_EQ(texts.freqText(), ".0Hz");  // not the good record's 3100.6Hz
    EXPECT_EQ(fft.SNR(), 0.0);
    EXPECT_EQ(fft.THD(), 0.0);
    EXPECT_EQ(fft.storedSpectrum(), stored);
    texts.dcPlus();
    EXPECT_NEAR(rq::leadingNumber(texts.snrText()), rq::leadingNumber(snrText), 0.5);

    // A measurement that fails on a good spectrum reads a computed zero.
    fft.setWindowing(true);
    fft.setDCBins(0);
    std::vector<double> low(256);
    for (int i = 0; i < 256; ++i) {
        low[i] = std::cos(2 * M_PI * 2 * i / 256);
    }
    calc(fft, texts, low, out);
    EXPECT_EQ(texts.snrText(), "00.000dB");
    EXPECT_EQ(texts.thdText(), "00.000dB");
}

TEST(FftBinButtons, KeepBinsBetweenOneAndNineAndRewriteOnlyTheTexts) {
    const Tone t = makeTone(127, 9);
    FftAnalysis fft;
    SpectrumReadOuts texts(fft);
    std::vector<double> out;
    calc(fft, texts, t.x, out);
    const double snr = fft.SNR(), thd = fft.THD();
    EXPECT_EQ(texts.dcBinsText(), "5");
    EXPECT_EQ(texts.sigBinsText(), "4");

    EXPECT_TRUE(texts.sigMinus());
    EXPECT_EQ(texts.sigBinsText(), "3");
    EXPECT_EQ(texts.snrText(), decibelText(fft.CalcSNR()));
    EXPECT_EQ(texts.thdText(), decibelText(fft.CalcTHD()));
    EXPECT_EQ(fft.SNR(), snr);
    EXPECT_EQ(fft.THD(), thd);

    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(texts.dcPlus());
    }
    const QString snrAtNine = texts.snrText();
    EXPECT_FALSE(texts.dcPlus());
    EXPECT_EQ(fft.DCBins(), 9);
    EXPECT_EQ(texts.dcBinsText(), "9");
    EXPECT_EQ(texts.snrText(), snrAtNine);
    while (texts.sigMinus()) {
    }
    EXPECT_EQ(fft.SIGBins(), 1);
    fft.setDCBins(1);
    EXPECT_FALSE(texts.dcMinus());
    EXPECT_EQ(texts.dcBinsText(), "1");

    // The harmonics box re-measures SNR only.
    fft.setSIGBins(4);
    fft.setDCBins(5);
    texts.dcMinus();
    texts.dcPlus();
    const QString thdText = texts.thdText();
    const QString snrText = texts.snrText();
    texts.harmsClicked(true);
    EXPECT_LT(rq::leadingNumber(texts.snrText()), rq::leadingNumber(snrText));
    EXPECT_EQ(texts.thdText(), thdText);
}

TEST(HarmsBox, RewritesOnlyTheSnrReadOutWithHarmonicsAsNoise) {
    // 64 positions, fundamental at 5 (bin 4), harmonics at 9, 13, ..., 29.
    std::vector<double> p(64, 1e-6);
    p[0] = 0.5;
    p[1] = 2e-5;
    p[63] = 3e-5;
    p[4] = 1.0;
    p[3] = p[5] = 0.01;
    for (int pos = 9; pos <= 29; pos += 4) {
        p[pos - 1] = 1e-3;
        p[pos - 2] = p[pos] = 1e-4;
    }
    FftAnalysis fft;
    SpectrumReadOuts texts(fft);
    fft.setStoredSpectrum(toDb(p));
    fft.setDCBins(2);
    fft.setSIGBins(1);
    texts.harmsClicked(true);
    EXPECT_TRUE(fft.harmonicsInNoise());
    EXPECT_EQ(texts.snrText(), decibelText(fft.CalcSNR()));
    EXPECT_EQ(texts.thdText(), "");
    EXPECT_EQ(fft.SNR(), 0.0);  // the property waits for the next record

    // Nothing left to call noise: the failed measurement reads a computed zero.
    std::vector<double> q(9, 1e-6);
    q[4] = 1.0;
    fft.setStoredSpectrum(toDb(q));
    fft.setSIGBins(3);
    texts.harmsClicked(true);
    EXPECT_EQ(texts.snrText(), "00.000dB");
}

TEST(HarmsBox, OnAndOffAgainReadsTheRecordsMeasurementOnATone) {
    for (int bin : {127, 700}) {
        const Tone t = makeTone(bin, 17u + bin);
        FftAnalysis fft;
        SpectrumReadOuts texts(fft);
        std::vector<double> out;
        calc(fft, texts, t.x, out, 1000000);
        texts.harmsClicked(true);
        EXPECT_LT(rq::leadingNumber(texts.snrText()), fft.SNR()) << bin;
        EXPECT_EQ(texts.thdText(), decibelText(fft.THD()));
        texts.harmsClicked(false);
        EXPECT_EQ(texts.snrText(), decibelText(fft.SNR()));
    }
}

TEST(ReadOutsOfACore, WhatThePanelShowsAfterTheSameRecord) {
    // A front end without the panel reads the same texts from the core alone.
    const Tone t = makeTone(127, 5);
    for (const std::vector<double>& x : {t.x, std::vector<double>(4096, 0.0)}) {
        FftAnalysis fft;
        SpectrumReadOuts texts(fft);
        std::vector<double> out;
        calc(fft, texts, x, out);
        EXPECT_EQ(rq::controls::snrReadOut(fft), texts.snrText());
        EXPECT_EQ(rq::controls::thdReadOut(fft), texts.thdText());
        EXPECT_EQ(rq::controls::frequencyReadOut(fft), texts.freqText());
    }
    FftAnalysis averaging;
    averaging.setAveraging(true);
    std::vector<double> out;
    averaging.CalcFFT(t.x, out);
    EXPECT_EQ(rq::controls::frequencyReadOut(averaging), "");  // no peak looked for
    EXPECT_EQ(rq::controls::snrReadOut(averaging), decibelText(averaging.measuredSNR()));
}

#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "fft/FftAnalysis.h"
#include "fft/SpectrumReadOuts.h"
#include "host/Colours.h"
#include "host/HostedControl.h"

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;

namespace rq::host {
class ControlRegistry;
}

namespace rq::controls {

// The FFT analysis panel beside the spectrum chart. The host hands it each record through
// CalcFFT and plots the dB spectrum it gets back; the panel shows SNR, THD and the peak
// frequency and offers the window, averaging, harmonics-in-noise and the two bin widths. All
// numbers come from FftAnalysis and every text and button rule from SpectrumReadOuts; this
// class only maps their state onto the constituents.
//
// Constituents: "Picture2" fills the control and carries BackColor; on it the check boxes
// "chkBHwindow", "chkAvg", "chkHarms", the averaging row "lblNumAvgs", "lblAvgNumber",
// "lblAverage", the bin rows "lblDCbins", "cmdDCminus", "lblDCb", "cmdDCplus" and "lblSigBin",
// "cmdSigMinus", "lblSbin", "cmdSigPlus", and the read-out box "Picture1" (which takes the focus
// after every click on the panel) holding "lblSNR", "lblSNRvalue", "lblTHD", "lblTHDvalue",
// "lblFREQ", "lblFREQvalue". Every text is also its widget's accessible name.
//
// First appearance: the window box checked, "Avg" and "Harms" clear, "Avg. No." hidden, the
// read-outs empty.
class QuorFFTControl : public host::HostedControl {
    Q_OBJECT
    // 16-bit values are int properties: Qt Designer has no editor for short ones.
    Q_PROPERTY(int DCBins READ DCBins WRITE setDCBins)
    Q_PROPERTY(int SIGBins READ SIGBins WRITE setSIGBins)
    Q_PROPERTY(double SNR READ SNR WRITE setSNR)
    Q_PROPERTY(double THD READ THD WRITE setTHD)
    Q_PROPERTY(int FREQ READ FREQ WRITE setFREQ)
    Q_PROPERTY(double Value READ Value WRITE setValue)
    Q_PROPERTY(uint BackColor READ BackColor WRITE setBackColor)

public:
    static constexpr char ProgId[] = "SpectrumPane.QuorFFTControl";
    static constexpr int DesignWidth = 1755;  // twips, as the main window sites it
    static constexpr int DesignHeight = 2235;

    explicit QuorFFTControl(QWidget* parent = nullptr);

    // Window, spectrum, SNR and THD of one record into the read-outs; FFTarray gets the N/2 dB
    // values. 100000 Hz when no sample frequency is given. Never throws: a failure zeroes
    // FFTarray and reads "0.000dB" and ".0Hz" (see analysis().lastError() for why).
    void CalcFFT(std::span<const double> DataArray, std::vector<double>& FFTarray,
                 std::optional<double> SampleFrequency = std::nullopt);

    // The core's methods for a host that calls them directly. GenerateFFT and Blackman_Harris
    // follow the window box; GenerateFFT also updates the frequency read-out and the count and
    // raises 531 on failure. SNRincHarm sets SNR (reported) unless it fails.
    int32_t GenerateFFT(std::span<const double> Data, std::vector<double>& ReturnArray);
    void Blackman_Harris(std::span<const double> Data, std::span<double> finish_array,
                         int32_t Length);
    void RealFFT(std::span<double> Data, int32_t n, int16_t isign);
    static double Log10(double X) { return FftAnalysis::Log10(X); }
    static void max_min(std::span<const double> Data, int16_t Length, double& Max, double& Min) {
        FftAnalysis::max_min(Data, Length, Max, Min);
    }
    static void LocateHarmonics(int32_t Fundamental, int32_t ArrayLength,
                                std::array<int32_t, 7>& HarmonicsArray) {
        FftAnalysis::LocateHarmonics(Fundamental, ArrayLength, HarmonicsArray);
    }
    double SNRincHarm(std::span<const double> Data, int16_t Length);

    // Every setter stores the value and reports it under its persisted name. The bin setters
    // also show the value in its label; SNR and THD leave the read-outs as they are.
    int16_t DCBins() const { return m_fft.DCBins(); }
    void setDCBins(int16_t value);
    int16_t SIGBins() const { return m_fft.SIGBins(); }
    void setSIGBins(int16_t value);
    double SNR() const { return m_fft.SNR(); }
    void setSNR(double value);
    double THD() const { return m_fft.THD(); }
    void setTHD(double value);
    int32_t FREQ() const { return m_freq; }
    void setFREQ(int32_t value);
    double Value() const { return m_value; }
    void setValue(double value);
    // Picture2's background; setting it also colours the "Avg" and "Harms" boxes.
    host::Colour BackColor() const;
    void setBackColor(host::Colour value);

    int32_t SampleFrequency() const { return m_fft.SampleFrequency(); }
    // Everything the last call left behind: lastError(), the averaging state, the spectrum.
    const FftAnalysis& analysis() const { return m_fft; }
    // The texts the read-outs and bin labels show.
    const SpectrumReadOuts& readOuts() const { return m_readOuts; }

    void initProperties() override;
    // Saved BackColor colours Picture2 only.
    void readProperties(const host::PropertyBag& bag) override;
    void writeProperties(host::PropertyBag& bag) const override;

Q_SIGNALS:
    // The window box was clicked; the host recomputes with CalcFFT when it has a record.
    void BHWindow();

protected:
    QSize onResize(QSize askedTwips) override;

private Q_SLOTS:
    void chkAvg_Click();
    void chkBHwindow_Click();
    void chkHarms_Click();
    void cmdDCminus_Click();
    void cmdDCplus_Click();
    void cmdSigMinus_Click();
    void cmdSigPlus_Click();

private:
    void showSpectrumTexts();
    void showMeasurementTexts();
    // A bin button's step (with new read-outs when it changed the value), then its label.
    void dcStepped(bool changed);
    void sigStepped(bool changed);
    void focusPicture1();

    FftAnalysis m_fft;
    SpectrumReadOuts m_readOuts{m_fft};
    int32_t m_freq = 0;
    double m_value = 0.0;

    QFrame* m_picture2;
    QFrame* m_picture1;
    QCheckBox* m_chkBHwindow;
    QCheckBox* m_chkAvg;
    QCheckBox* m_chkHarms;
    QLabel* m_lblNumAvgs;
    QLabel* m_lblAvgNumber;
    QLabel* m_lblAverage;
    QLabel* m_lblDCbins;
    QLabel* m_lblDCb;
    QPushButton* m_cmdDCminus;
    QPushButton* m_cmdDCplus;
    QLabel* m_lblSigBin;
    QLabel* m_lblSbin;
    QPushButton* m_cmdSigMinus;
    QPushButton* m_cmdSigPlus;
    QLabel* m_lblSNR;
    QLabel* m_lblSNRvalue;
    QLabel* m_lblTHD;
    QLabel* m_lblTHDvalue;
    QLabel* m_lblFREQ;
    QLabel* m_lblFREQvalue;
};

// Adds "SpectrumPane.QuorFFTControl" to the registry.
void registerSpectrumPane(host::ControlRegistry& registry);

}  // namespace rq::controls

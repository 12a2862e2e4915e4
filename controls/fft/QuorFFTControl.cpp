#include "fft/QuorFFTControl.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <cmath>
#include <limits>

#include "common/BasicText.h"
#include "host/ControlRegistry.h"
#include "host/PropertyBag.h"
#include "host/ReadOut.h"
#include "host/Twips.h"

namespace rq::controls {

using host::Colour;

namespace {

constexpr int16_t DefaultDCBins = 5;
constexpr int16_t DefaultSIGBins = 4;
constexpr Colour DefaultBackColor = host::SystemColour::ButtonFace;
constexpr Colour DefaultCheckBoxColour = 0xFF0000;
constexpr Colour DefaultTextColor = host::SystemColour::ButtonText;
constexpr Colour DefaultAveragingDisabledColour = 0xFF0000;

// Places inside Picture2 (and, for the read-outs, inside Picture1), in twips. Sized for the
// design font at the 1755 x 2235 the main window gives the panel: the widest read-outs
// ("-100.000dB", "999.99KHz") and "Signal Bins" with its buttons still fit whole.
constexpr QRect BHwindowPlace(60, 30, 1635, 285);
constexpr QRect AvgPlace(60, 315, 690, 285);
constexpr QRect HarmsPlace(795, 315, 900, 285);
constexpr QRect NumAvgsPlace(75, 615, 705, 210);
constexpr QRect AvgNumberPlace(810, 615, 510, 210);
constexpr QRect AveragePlace(1350, 615, 345, 210);
constexpr int BinRowTop[2] = {855, 1140};  // the buttons' tops; labels sit 30 lower
constexpr int BinCaptionLeft = 75;
constexpr int BinCaptionWidth = 840;
constexpr int MinusLeft = 945;
constexpr int BinValueLeft = 1215;
constexpr int PlusLeft = 1455;
constexpr int BinButtonSize = 255;
constexpr int BinLabelHeight = 210;
constexpr QRect Picture1Place(45, 1440, 1665, 765);
constexpr int ReadOutTop[3] = {45, 255, 465};
constexpr int ReadOutHeight = 210;
constexpr int ReadOutCaptionLeft = 45;
constexpr int ReadOutCaptionWidth = 540;
constexpr int ReadOutValueLeft = 600;
constexpr int ReadOutValueWidth = 1005;

void showText(QLabel* label, const QString& text) {
    host::showReadOut(label, text);
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text,
                  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(alignment);
    showText(label, text);
    return label;
}

// Check boxes are opaque, as BackColor colours two of them on their own.
QCheckBox* makeCheck(QWidget* parent, const char* name, const QString& text) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setAccessibleName(text);
    host::setBackColour(box, DefaultBackColor);
    return box;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(text);
    button->setAutoDefault(false);
    return button;
}

void place(QWidget* widget, const QRect& twips) {
    host::placeTwips(widget, twips);
}

// A 16-bit property from the store: 6 when the stored number does not fit.
int16_t readInt16(const host::PropertyBag& bag, const QString& name, int16_t defaultValue) {
    return toInt16(double(bag.readInt(name, defaultValue)));
}

}  // namespace

QuorFFTControl::QuorFFTControl(QWidget* parent)
    : HostedControl(parent), m_picture2(new QFrame(this)), m_picture1(new QFrame(m_picture2)) {
    m_picture2->setObjectName(QStringLiteral("Picture2"));
    m_picture2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    host::setBackColour(m_picture2, DefaultBackColor);
    m_picture1->setObjectName(QStringLiteral("Picture1"));
    m_picture1->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_picture1->setFocusPolicy(Qt::ClickFocus);

    m_chkBHwindow = makeCheck(m_picture2, "chkBHwindow", QStringLiteral("B-H Windowing"));
    m_chkBHwindow->setChecked(m_fft.windowing());
    m_chkAvg = makeCheck(m_picture2, "chkAvg", QStringLiteral("Avg"));
    host::setForeColour(m_chkAvg, DefaultCheckBoxColour);
    m_chkHarms = makeCheck(m_picture2, "chkHarms", QStringLiteral("Harms"));

    m_lblNumAvgs = makeLabel(m_picture2, "lblNumAvgs", QStringLiteral("Avg. No."));
    m_lblNumAvgs->hide();
    m_lblAvgNumber = makeLabel(m_picture2, "lblAvgNumber", QString());
    m_lblAverage = makeLabel(m_picture2, "lblAverage", QString());
    host::setForeColour(m_lblAverage, DefaultAveragingDisabledColour);

    const auto centred = Qt::AlignCenter;
    m_lblDCbins = makeLabel(m_picture2, "lblDCbins", QStringLiteral("DC Bins"));
    m_cmdDCminus = makeButton(m_picture2, "cmdDCminus", QStringLiteral("-"));
    m_lblDCb = makeLabel(m_picture2, "lblDCb", m_readOuts.dcBinsText(), centred);
    host::setForeColour(m_lblDCb, DefaultTextColor);
    m_cmdDCplus = makeButton(m_picture2, "cmdDCplus", QStringLiteral("+"));
    m_lblSigBin = makeLabel(m_picture2, "lblSigBin", QStringLiteral("Signal Bins"));
    m_cmdSigMinus = makeButton(m_picture2, "cmdSigMinus", QStringLiteral("-"));
    m_lblSbin = makeLabel(m_picture2, "lblSbin", m_readOuts.sigBinsText(), centred);
    m_cmdSigPlus = makeButton(m_picture2, "cmdSigPlus", QStringLiteral("+"));

    const auto value = Qt::AlignRight | Qt::AlignVCenter;
    m_lblSNR = makeLabel(m_picture1, "lblSNR", QStringLiteral("SNR:"));
    m_lblSNRvalue = makeLabel(m_picture1, "lblSNRvalue", QString(), value);
    m_lblTHD = makeLabel(m_picture1, "lblTHD", QStringLiteral("THD:"));
    m_lblTHDvalue = makeLabel(m_picture1, "lblTHDvalue", QString(), value);
    m_lblFREQ = makeLabel(m_picture1, "lblFREQ", QStringLiteral("FREQ:"));
    m_lblFREQvalue = makeLabel(m_picture1, "lblFREQvalue", QString(), value);

    // Constituents keep their places; only Picture2 follows the control's size.
    place(m_chkBHwindow, BHwindowPlace);
    place(m_chkAvg, AvgPlace);
    place(m_chkHarms, HarmsPlace);
    place(m_lblNumAvgs, NumAvgsPlace);
    place(m_lblAvgNumber, AvgNumberPlace);
    place(m_lblAverage, AveragePlace);
    const struct {
        QLabel* caption;
        QPushButton* minus;
        QLabel* value;
        QPushButton* plus;
    } binRows[2] = {{m_lblDCbins, m_cmdDCminus, m_lblDCb, m_cmdDCplus},
                    {m_lblSigBin, m_cmdSigMinus, m_lblSbin, m_cmdSigPlus}};
    for (int r = 0; r < 2; ++r) {
        const int top = BinRowTop[r];
        const int labelTop = top + (BinButtonSize - BinLabelHeight) / 2;
        place(binRows[r].caption, {BinCaptionLeft, labelTop, BinCaptionWidth, BinLabelHeight});
        place(binRows[r].minus, {MinusLeft, top, BinButtonSize, BinButtonSize});
        place(binRows[r].value, {BinValueLeft, labelTop, PlusLeft - BinValueLeft, BinLabelHeight});
        place(binRows[r].plus, {PlusLeft, top, BinButtonSize, BinButtonSize});
    }
    place(m_picture1, Picture1Place);
    const std::array<std::pair<QLabel*, QLabel*>, 3> readOuts{
        {{m_lblSNR, m_lblSNRvalue}, {m_lblTHD, m_lblTHDvalue}, {m_lblFREQ, m_lblFREQvalue}}};
    for (size_t r = 0; r < readOuts.size(); ++r) {
        place(readOuts[r].first,
              {ReadOutCaptionLeft, ReadOutTop[r], ReadOutCaptionWidth, ReadOutHeight});
        place(readOuts[r].second,
              {ReadOutValueLeft, ReadOutTop[r], ReadOutValueWidth, ReadOutHeight});
    }

    connect(m_chkAvg, &QCheckBox::clicked, this, &QuorFFTControl::chkAvg_Click);
    connect(m_chkBHwindow, &QCheckBox::clicked, this, &QuorFFTControl::chkBHwindow_Click);
    connect(m_chkHarms, &QCheckBox::clicked, this, &QuorFFTControl::chkHarms_Click);
    connect(m_cmdDCminus, &QPushButton::clicked, this, &QuorFFTControl::cmdDCminus_Click);
    connect(m_cmdDCplus, &QPushButton::clicked, this, &QuorFFTControl::cmdDCplus_Click);
    connect(m_cmdSigMinus, &QPushButton::clicked, this, &QuorFFTControl::cmdSigMinus_Click);
    connect(m_cmdSigPlus, &QPushButton::clicked, this, &QuorFFTControl::cmdSigPlus_Click);

    setBounds(0, 0, DesignWidth, DesignHeight);
}

// ---------------------------------------------------------------------------------------------
// Methods

void QuorFFTControl::CalcFFT(std::span<const double> DataArray, std::vector<double>& FFTarray,
                             std::optional<double> SampleFrequency) {
    m_fft.setWindowing(m_chkBHwindow->isChecked());
    m_fft.CalcFFT(DataArray, FFTarray, SampleFrequency);
    m_readOuts.showRecord();
    showSpectrumTexts();
    showMeasurementTexts();
    // The core set both from the read-outs (or to 0 on a failure).
    reportChange(QStringLiteral("SNR"));
    reportChange(QStringLiteral("THD"));
}

int32_t QuorFFTControl::GenerateFFT(std::span<const double> Data,
                                    std::vector<double>& ReturnArray) {
    m_fft.setWindowing(m_chkBHwindow->isChecked());
    try {
        const int32_t peak = m_fft.GenerateFFT(Data, ReturnArray);
        m_readOuts.showSpectrum();
        showSpectrumTexts();
        return peak;
    } catch (...) {
        m_readOuts.showSpectrum();
        showSpectrumTexts();
        throw;
    }
}

void QuorFFTControl::Blackman_Harris(std::span<const double> Data, std::span<double> finish_array,
                                     int32_t Length) {
    m_fft.setWindowing(m_chkBHwindow->isChecked());
    m_fft.Blackman_Harris(Data, finish_array, Length);
}

void QuorFFTControl::RealFFT(std::span<double> Data, int32_t n, int16_t isign) {
    m_fft.RealFFT(Data, n, isign);
}

double QuorFFTControl::SNRincHarm(std::span<const double> Data, int16_t Length) {
    // The core leaves SNR alone when it fails; a NaN marker tells the two cases apart, since a
    // measurement that succeeds is always finite.
    const double before = m_fft.SNR();
    m_fft.setSNR(std::numeric_limits<double>::quiet_NaN());
    const double result = m_fft.SNRincHarm(Data, Length);
    if (std::isnan(m_fft.SNR())) {
        m_fft.setSNR(before);
    } else {
        reportChange(QStringLiteral("SNR"));
    }
    return result;
}

void QuorFFTControl::showSpectrumTexts() {
    showText(m_lblFREQvalue, m_readOuts.freqText());
    showText(m_lblAvgNumber, m_readOuts.avgNumberText());
}

void QuorFFTControl::showMeasurementTexts() {
    showText(m_lblSNRvalue, m_readOuts.snrText());
    showText(m_lblTHDvalue, m_readOuts.thdText());
}

// ---------------------------------------------------------------------------------------------
// Properties

void QuorFFTControl::setDCBins(int16_t value) {
    m_fft.setDCBins(value);
    showText(m_lblDCb, QString::number(value));
    reportChange(QStringLiteral("DCBins"));
}

void QuorFFTControl::setSIGBins(int16_t value) {
    m_fft.setSIGBins(value);
    showText(m_lblSbin, QString::number(value));
    reportChange(QStringLiteral("SIGBins"));
}

void QuorFFTControl::setSNR(double value) {
    m_fft.setSNR(value);
    reportChange(QStringLiteral("SNR"));
}

void QuorFFTControl::setTHD(double value) {
    m_fft.setTHD(value);
    reportChange(QStringLiteral("THD"));
}

void QuorFFTControl::setFREQ(int32_t value) {
    m_freq = value;
    reportChange(QStringLiteral("FREQ"));
}

void QuorFFTControl::setValue(double value) {
    m_value = value;
    reportChange(QStringLiteral("Value"));
}

Colour QuorFFTControl::BackColor() const {
    return host::backColour(m_picture2);
}

void QuorFFTControl::setBackColor(Colour value) {
    host::setBackColour(m_picture2, value);
    host::setBackColour(m_chkAvg, value);
    host::setBackColour(m_chkHarms, value);
    reportChange(QStringLiteral("BackColor"));
}

// ---------------------------------------------------------------------------------------------
// Container

void QuorFFTControl::initProperties() {
    m_fft.setDCBins(DefaultDCBins);
    m_fft.setSIGBins(DefaultSIGBins);
    m_fft.setSNR(0.0);
    m_fft.setTHD(0.0);
    m_freq = 0;
    m_value = 0.0;
    showText(m_lblDCb, QString::number(DefaultDCBins));
    showText(m_lblSbin, QString::number(DefaultSIGBins));
}

void QuorFFTControl::readProperties(const host::PropertyBag& bag) {
    m_fft.setDCBins(readInt16(bag, QStringLiteral("DCBins"), DefaultDCBins));
    m_fft.setSIGBins(readInt16(bag, QStringLiteral("SIGBins"), DefaultSIGBins));
    m_fft.setSNR(bag.readDouble(QStringLiteral("SNR"), 0.0));
    m_fft.setTHD(bag.readDouble(QStringLiteral("THD"), 0.0));
    m_freq = bag.readInt(QStringLiteral("FREQ"), 0);
    m_value = bag.readDouble(QStringLiteral("Value"), 0.0);
    host::setBackColour(m_picture2, bag.readColour(QStringLiteral("BackColor"), DefaultBackColor));
    host::setForeColour(m_chkAvg,
                        bag.readColour(QStringLiteral("CheckBoxColour"), DefaultCheckBoxColour));
    host::setForeColour(m_lblDCb, bag.readColour(QStringLiteral("TextColor"), DefaultTextColor));
    host::setForeColour(m_lblAverage, bag.readColour(QStringLiteral("AveragingDisabledColour"),
                                                     DefaultAveragingDisabledColour));
    showText(m_lblDCb, QString::number(DCBins()));
    showText(m_lblSbin, QString::number(SIGBins()));
}

void QuorFFTControl::writeProperties(host::PropertyBag& bag) const {
    bag.writeInt(QStringLiteral("DCBins"), DCBins(), DefaultDCBins);
    bag.writeInt(QStringLiteral("SIGBins"), SIGBins(), DefaultSIGBins);
    bag.writeDouble(QStringLiteral("SNR"), SNR(), 0.0);
    bag.writeDouble(QStringLiteral("THD"), THD(), 0.0);
    bag.writeInt(QStringLiteral("FREQ"), m_freq, 0);
    bag.writeDouble(QStringLiteral("Value"), m_value, 0.0);
    bag.writeColour(QStringLiteral("BackColor"), host::backColour(m_picture2), DefaultBackColor);
    bag.writeColour(QStringLiteral("CheckBoxColour"), host::foreColour(m_chkAvg),
                    DefaultCheckBoxColour);
    bag.writeColour(QStringLiteral("TextColor"), host::foreColour(m_lblDCb), DefaultTextColor);
    bag.writeColour(QStringLiteral("AveragingDisabledColour"), host::foreColour(m_lblAverage),
                    DefaultAveragingDisabledColour);
}

QSize QuorFFTControl::onResize(QSize asked) {
    const int w = std::max(asked.width(), 0);
    const int h = std::max(asked.height(), 0);
    host::placeTwips(m_picture2, 0, 0, w, h);
    return {w, h};
}

// ---------------------------------------------------------------------------------------------
// Panel handlers

void QuorFFTControl::chkAvg_Click() {
    const bool on = m_chkAvg->isChecked();
    m_readOuts.avgClicked(on);
    m_lblNumAvgs->setVisible(on);
    showText(m_lblAvgNumber, m_readOuts.avgNumberText());
    focusPicture1();
}

void QuorFFTControl::chkBHwindow_Click() {
    // The box is read at the next call; recomputing is the host's business.
    Q_EMIT BHWindow();
    focusPicture1();
}

void QuorFFTControl::chkHarms_Click() {
    m_readOuts.harmsClicked(m_chkHarms->isChecked());
    showText(m_lblSNRvalue, m_readOuts.snrText());
    focusPicture1();
}

void QuorFFTControl::dcStepped(bool changed) {
    if (changed) {
        reportChange(QStringLiteral("DCBins"));
        showMeasurementTexts();
    }
    showText(m_lblDCb, m_readOuts.dcBinsText());
    focusPicture1();
}

void QuorFFTControl::sigStepped(bool changed) {
    if (changed) {
        reportChange(QStringLiteral("SIGBins"));
        showMeasurementTexts();
    }
    showText(m_lblSbin, m_readOuts.sigBinsText());
    focusPicture1();
}

void QuorFFTControl::cmdDCminus_Click() {
    dcStepped(m_readOuts.dcMinus());
}

void QuorFFTControl::cmdDCplus_Click() {
    dcStepped(m_readOuts.dcPlus());
}

void QuorFFTControl::cmdSigMinus_Click() {
    sigStepped(m_readOuts.sigMinus());
}

void QuorFFTControl::cmdSigPlus_Click() {
    sigStepped(m_readOuts.sigPlus());
}

void QuorFFTControl::focusPicture1() {
    m_picture1->setFocus(Qt::OtherFocusReason);
}

void registerSpectrumPane(host::ControlRegistry& registry) {
    registry.add(QString::fromLatin1(QuorFFTControl::ProgId),
                 [](QWidget* parent) { return new QuorFFTControl(parent); });
}

}  // namespace rq::controls

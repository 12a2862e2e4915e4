#include "fft/FftAnalysis.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <utility>

#include "common/BasicText.h"
#include "common/NumberedError.h"

namespace rq {
namespace {

bool isPowerOfTwo(int64_t n) {
    return n > 0 && (n & (n - 1)) == 0;
}

[[noreturn]] void failSpectrum(const QString& description) {
    throw NumberedError(FftAnalysis::ErrorNumber, FftAnalysis::ErrorSource, description);
}

// The largest value and the index of its first occurrence, -1 for no values. Four independent
// lanes keep the comparisons from waiting on one another; the values are all finite.
std::pair<int32_t, double> firstLargest(const double* v, size_t count) {
    if (count == 0) {
        return {-1, -std::numeric_limits<double>::infinity()};
    }
    size_t best[4] = {0, 0, 0, 0};
    size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        for (size_t lane = 0; lane < 4; ++lane) {
            best[lane] = v[i + lane] > v[best[lane]] ? i + lane : best[lane];
        }
    }
    for (; i < count; ++i) {
        best[0] = v[i] > v[best[0]] ? i : best[0];
    }
    size_t first = best[0];
    for (size_t lane = 1; lane < 4; ++lane) {
        if (v[best[lane]] > v[first] || (v[best[lane]] == v[first] && best[lane] < first)) {
            first = best[lane];
        }
    }
    return {static_cast<int32_t>(first), v[first]};
}

}  // namespace

const QString FftAnalysis::ErrorSource = QStringLiteral("FFT Control");

void FftAnalysis::setAveraging(bool on) {
    m_averaging = on;
    if (!on) {
        m_averageCount = 0;
        m_runningMean.clear();
    }
}

// ---------------------------------------------------------------------------------------------
// Spectrum

void FftAnalysis::CalcFFT(std::span<const double> DataArray, std::vector<double>& FFTarray,
                          std::optional<double> SampleFrequency) {
    m_lastError = 0;
    m_lastErrorText.clear();
    m_lastPeak = 0;
    try {
        m_SampleFrequency = SampleFrequency ? toInt32(*SampleFrequency) : DefaultSampleFrequency;
        m_lastPeak = GenerateFFT(DataArray, FFTarray);
        m_storedSpectrum.assign(FFTarray.begin(), FFTarray.end());
        // The properties hold what the read-outs show, three decimals.
        m_measuredSNR = CalcSNR();
        m_SNR = leadingNumber(formatNumber(m_measuredSNR, DecibelDigits));
        m_measuredTHD = CalcTHD();
        m_THD = leadingNumber(formatNumber(m_measuredTHD, DecibelDigits));
    } catch (const std::exception& e) {
        const auto* numbered = dynamic_cast<const NumberedError*>(&e);
        m_lastError = numbered ? numbered->number() : ErrorNumber;
        m_lastErrorText = numbered ? numbered->description() : QString::fromLocal8Bit(e.what());
        std::fill(FFTarray.begin(), FFTarray.end(), 0.0);
        // No peak was found: the previous record's frequency beside zeroed SNR and THD would
        // read as this record's.
        m_peakFrequency = 0.0;
        m_measuredSNR = 0.0;
        m_measuredTHD = 0.0;
        m_SNR = 0.0;
        m_THD = 0.0;
    }
}

int32_t FftAnalysis::GenerateFFT(std::span<const double> Data, std::vector<double>& ReturnArray) {
    try {
        const int64_t n = static_cast<int64_t>(Data.size());
        if (n > MaxRecordLength) {
            failSpectrum(
                QStringLiteral("record length %1 is longer than %2").arg(n).arg(MaxRecordLength));
        }
        // Any other length gives a meaningless spectrum: refuse it so the user sees why.
        if (n < 2) {
            failSpectrum(QStringLiteral("record length %1 is too short for a spectrum").arg(n));
        }
        if (!isPowerOfTwo(n)) {
            failSpectrum(QStringLiteral("record length %1 is not a power of two").arg(n));
        }
        const auto N = static_cast<int32_t>(n);
        const int32_t half = N / 2;

        m_buffer.resize(static_cast<size_t>(N));
        Blackman_Harris(Data, m_buffer, N);
        RealFFT(m_buffer, N, 1);

        // Position 1 takes DC and Nyquist together, as the packed layout pairs them.
        m_dB.resize(static_cast<size_t>(half));
        const double ln10 = std::log(10.0);
        const double* buf = m_buffer.data();
        for (int32_t k = 0; k < half; ++k) {
            const double re = buf[2 * k];
            const double im = buf[2 * k + 1];
            const double m = std::sqrt(re * re + im * im);
            if (!(m > 0.0) || !std::isfinite(m)) {
                if (m != 0.0) {
                    failSpectrum(QStringLiteral("bin %1 of the spectrum is out of range").arg(k));
                }
                if (std::all_of(Data.begin(), Data.end(), [](double v) { return v == 0.0; })) {
                    failSpectrum(QStringLiteral("every value of the record is 0"));
                }
                failSpectrum(QStringLiteral("bin %1 of the spectrum is exactly 0, which has no "
                                            "level in dB")
                                 .arg(k));
            }
            m_dB[static_cast<size_t>(k)] = 20.0 * std::log(std::fabs(m)) / ln10;
        }

        // The peak ignores the DC positions; the reference does not.
        if (m_DCBins < 0) {
            failSpectrum(QStringLiteral("Peak search below the first position"));
        }
        const size_t skipped = std::min<size_t>(static_cast<size_t>(m_DCBins), m_dB.size());
        const auto [peakIndex, peakValue] =
            firstLargest(m_dB.data() + skipped, m_dB.size() - skipped);
        const int32_t peak = peakIndex < 0 ? 0 : static_cast<int32_t>(skipped) + peakIndex + 1;
        double reference = firstLargest(m_dB.data(), skipped).second;
        if (peakIndex >= 0 && peakValue > reference) {
            reference = peakValue;
        }
        ReturnArray.resize(static_cast<size_t>(half));
        for (int32_t k = 0; k < half; ++k) {
            ReturnArray[static_cast<size_t>(k)] = m_dB[static_cast<size_t>(k)] - reference;
        }

        if (m_averaging) {
            // Grows or shrinks with the record, keeping what it has; a mean of dB values.
            m_runningMean.resize(ReturnArray.size(), 0.0);
            if (m_averageCount == std::numeric_limits<int16_t>::max()) {
                failSpectrum(runtimeErrorDescription(RuntimeError::Overflow));
            }
            ++m_averageCount;
            if (m_averageCount < 2) {
                m_runningMean = ReturnArray;
            } else {
                const double count = m_averageCount;
                for (size_t i = 0; i < ReturnArray.size(); ++i) {
                    m_runningMean[i] = (m_runningMean[i] * (count - 1.0) + ReturnArray[i]) / count;
                    ReturnArray[i] = m_runningMean[i];
                }
            }
            return 0;
        }

        // The read-out names the peak's bin, one below its position, so it agrees with the
        // chart's cursor.
        const int32_t bin = peak > 0 ? peak - 1 : 0;
        m_peakFrequency = (m_SampleFrequency / 2.0) / (N / 2.0) * bin;
        return peak;
    } catch (const NumberedError& e) {
        if (e.number() == ErrorNumber && e.source() == ErrorSource) {
            throw;
        }
        failSpectrum(e.description());
    } catch (const std::exception& e) {
        failSpectrum(QString::fromLocal8Bit(e.what()));
    }
}

void FftAnalysis::Blackman_Harris(std::span<const double> Data, std::span<double> finish_array,
                                  int32_t Length) {
    if (Length < 0 || static_cast<size_t>(Length) > Data.size() ||
        static_cast<size_t>(Length) > finish_array.size()) {
        throw runtimeError(RuntimeError::SubscriptOutOfRange);
    }
    if (!m_windowing) {
        std::copy_n(Data.begin(), Length, finish_array.begin());
        return;
    }
    const std::vector<double>& w = m_window.weights(Length);
    for (int32_t i = 0; i < Length; ++i) {
        finish_array[static_cast<size_t>(i)] =
            w[static_cast<size_t>(i)] * Data[static_cast<size_t>(i)];
    }
}

double FftAnalysis::Log10(double X) {
    if (!(X > 0.0)) {
        throw runtimeError(RuntimeError::InvalidCall);
    }
    return std::log(X) / std::log(10.0);
}

void FftAnalysis::max_min(std::span<const double> Data, int16_t Length, double& Max, double& Min) {
    if (Length > 0 && static_cast<size_t>(Length) > Data.size()) {
        throw runtimeError(RuntimeError::SubscriptOutOfRange);
    }
    Max = -16777216.0;
    Min = 16777216.0;
    for (int16_t i = 0; i < Length; ++i) {
        if (Data[static_cast<size_t>(i)] > Max) {
            Max = Data[static_cast<size_t>(i)];
        }
        if (Data[static_cast<size_t>(i)] < Min) {
            Min = Data[static_cast<size_t>(i)];
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Measurements

void FftAnalysis::LocateHarmonics(int32_t Fundamental, int32_t ArrayLength,
                                  std::array<int32_t, 7>& HarmonicsArray) {
    if (ArrayLength == 0) {
        throw runtimeError(RuntimeError::DivisionByZero);
    }
    if (ArrayLength < 0) {
        throw runtimeError(RuntimeError::InvalidCall);
    }
    // A sampled harmonic aliases with the period of the record, N = 2L bins, and folds about
    // Nyquist; positions are bins plus one, with DC and Nyquist sharing position 1.
    const int64_t L = ArrayLength;
    const int64_t N = 2 * L;
    HarmonicsArray[0] = Fundamental;
    for (int h = 2; h <= 7; ++h) {
        const int64_t b = h * (static_cast<int64_t>(Fundamental) - 1);
        if (b > std::numeric_limits<int32_t>::max() || b < std::numeric_limits<int32_t>::min()) {
            throw runtimeError(RuntimeError::Overflow);
        }
        const int64_t r = ((b % N) + N) % N;
        const int64_t bin = r <= L ? r : N - r;
        // On DC or Nyquist the harmonic shares position 1 with both and has no window of its
        // own: measured there it would take the DC skirt for distortion.
        HarmonicsArray[static_cast<size_t>(h - 1)] =
            (bin == 0 || bin == L) ? NoPosition : static_cast<int32_t>(bin + 1);
    }
}

bool FftAnalysis::harmonicOnNyquist(int32_t fundamental, int32_t arrayLength) {
    const int64_t L = arrayLength;
    for (int h = 2; h <= 7; ++h) {
        const int64_t b = h * (static_cast<int64_t>(fundamental) - 1);
        if (L > 0 && ((b % (2 * L)) + 2 * L) % (2 * L) == L) {
            return true;
        }
    }
    return false;
}

double FftAnalysis::windowPower(int64_t centre, int64_t halfWidth) const {
    double sum = 0.0;
    for (int64_t p = centre - halfWidth; p <= centre + halfWidth; ++p) {
        sum += power(p);
    }
    return sum;
}

double FftAnalysis::power(int64_t position) const {
    if (position < 1 || position > static_cast<int64_t>(m_storedSpectrum.size())) {
        throw runtimeError(RuntimeError::SubscriptOutOfRange);
    }
    const double p = std::pow(10.0, m_storedSpectrum[static_cast<size_t>(position - 1)] / 10.0);
    if (!std::isfinite(p)) {
        throw runtimeError(RuntimeError::Overflow);
    }
    return p;
}

int32_t FftAnalysis::findFundamental() {
    const auto M = static_cast<int64_t>(m_storedSpectrum.size());
    if (m_DCBins < 0) {
        throw runtimeError(RuntimeError::SubscriptOutOfRange);
    }
    int32_t fund = 0;
    double best = -100000.0;
    for (int64_t p = static_cast<int64_t>(m_DCBins) + 1; p <= M; ++p) {
        const double v = m_storedSpectrum[static_cast<size_t>(p - 1)];
        if (v > best) {
            best = v;
            fund = static_cast<int32_t>(p);
        }
    }
    // Nothing above the start value leaves no fundamental; its window then fails below.
    m_Fund = fund;
    return fund;
}

double FftAnalysis::CalcSNR() {
    try {
        const auto M = static_cast<int32_t>(m_storedSpectrum.size());
        const int64_t w = m_SIGBins;
        const int64_t d = m_DCBins;
        const int64_t F = findFundamental();
        const double signal = windowPower(F, w);
        double noise = 0.0;
        if (m_harmonicsInNoise) {
            for (int64_t p = d; p <= F - w - 1; ++p) {
                noise += power(p);
            }
            for (int64_t p = F + w + 1; p <= M - 1; ++p) {
                noise += power(p);
            }
        } else {
            LocateHarmonics(m_Fund, M, m_harmonics);
            // A harmonic on Nyquist has no position, but its skirt reaches down into the last
            // w positions; that is distortion, not noise.
            const int64_t nyquistSkirt = harmonicOnNyquist(m_Fund, M) ? M + 1 - w : M + 1;
            for (int64_t p = d; p <= M; ++p) {
                // Chained from the seventh window down: a window only reaches up to the next
                // one's start, which is plain membership while the harmonics are in order. A
                // harmonic without a position has no window and passes the chain on.
                bool excluded = false;
                for (int i = 6; i >= 0; --i) {
                    const int64_t h = m_harmonics[static_cast<size_t>(i)];
                    if (h != NoPosition) {
                        excluded = p >= h - w && (p <= h + w || excluded);
                    }
                }
                excluded = excluded || p >= nyquistSkirt;
                if (!excluded) {
                    noise += power(p);
                }
            }
        }
        if (!std::isfinite(signal) || !std::isfinite(noise)) {
            throw runtimeError(RuntimeError::Overflow);
        }
        return 10.0 * Log10(signal) - 10.0 * Log10(noise);
    } catch (const std::exception&) {
        return 0.0;
    }
}

double FftAnalysis::CalcTHD() {
    try {
        const auto M = static_cast<int32_t>(m_storedSpectrum.size());
        const int64_t w = m_SIGBins;
        const int64_t d = m_DCBins;
        const int64_t F = findFundamental();
        const double signal = windowPower(F, w);
        LocateHarmonics(m_Fund, M, m_harmonics);
        double harmonics = 0.0;
        const auto within = [w](int64_t p, int64_t centre) {
            return p >= centre - w && p <= centre + w;
        };
        for (int64_t p = d; p <= M; ++p) {
            if (within(p, m_harmonics[0])) {
                continue;
            }
            for (size_t h = 1; h < m_harmonics.size(); ++h) {
                if (m_harmonics[h] != NoPosition && within(p, m_harmonics[h])) {
                    harmonics += power(p);
                    break;
                }
            }
        }
        if (!std::isfinite(signal) || !std::isfinite(harmonics)) {
            throw runtimeError(RuntimeError::Overflow);
        }
        return 10.0 * Log10(harmonics) - 10.0 * Log10(signal);
    } catch (const std::exception&) {
        return 0.0;
    }
}

double FftAnalysis::SNRincHarm(std::span<const double> Data, int16_t Length) {
    try {
        const auto value = [&](int64_t i) {
            if (i < 0 || i >= static_cast<int64_t>(Data.size())) {
                throw runtimeError(RuntimeError::SubscriptOutOfRange);
            }
            return Data[static_cast<size_t>(i)];
        };
        const auto powerAt = [&](int64_t i) {
            const double p = std::pow(10.0, value(i) / 10.0);
            if (!std::isfinite(p)) {
                throw runtimeError(RuntimeError::Overflow);
            }
            return p;
        };
        int32_t fund = 0;
        double best = -100000.0;
        for (int64_t i = 0; i < Length; ++i) {
            if (value(i) > best) {
                best = value(i);
                fund = static_cast<int32_t>(i);
            }
        }
        m_Fund = fund;
        double signal = 0.0;
        for (int64_t i = fund - 5; i <= fund + 5; ++i) {
            signal += powerAt(i);
        }
        double noise = 0.0;
        for (int64_t i = 4; i <= fund - 6; ++i) {
            noise += powerAt(i);
        }
        for (int64_t i = fund + 6; i <= Length - 1; ++i) {
            noise += powerAt(i);
        }
        m_SNR = 10.0 * Log10(signal) - 10.0 * Log10(noise);
    } catch (const std::exception&) {
        // The property keeps its last value.
    }
    return 0.0;
}

}  // namespace rq

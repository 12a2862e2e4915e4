#include "analysis/PowerSpectrum.h"

#include <cmath>

#include "common/NumberedError.h"

namespace rq::analysis {
namespace {

[[noreturn]] void refuse(const QString& why) {
    throw NumberedError(RuntimeError::InvalidCall, QStringLiteral("Analysis"), why);
}

}  // namespace

PowerSpectrum SpectrumAnalyser::spectrum(std::span<const double> record, WindowKind window) {
    const auto n = static_cast<int64_t>(record.size());
    if (n < 16 || n > (int64_t{1} << 20) || (n & (n - 1)) != 0) {
        refuse(QStringLiteral("record length %1 is not a power of two from 16 to 1048576").arg(n));
    }
    const auto N = static_cast<int>(n);
    if (m_windowKind != window || static_cast<int>(m_weights.size()) != N) {
        m_weights = windowWeights(window, N);
        m_weightSum = 0.0;
        for (double w : m_weights) {
            m_weightSum += w;
        }
        m_noiseBandwidth = equivalentNoiseBandwidth(m_weights);
        m_windowKind = window;
    }
    double mean = 0.0;
    for (double v : record) {
        mean += v;
    }
    mean /= N;
    if (!std::isfinite(mean)) {
        refuse(QStringLiteral("the record holds a value that is not a finite number"));
    }
    // The mean comes off before the window so that the window's side lobes cannot carry the
    // offset into the noise; DC is put back from the weighted mean.
    m_buffer.resize(static_cast<size_t>(N));
    for (int i = 0; i < N; ++i) {
        m_buffer[static_cast<size_t>(i)] =
            m_weights[static_cast<size_t>(i)] * (record[static_cast<size_t>(i)] - mean);
    }
    m_transform.RealFFT(m_buffer, N, 1);

    PowerSpectrum s;
    s.recordLength = N;
    s.window = window;
    s.noiseBandwidth = m_noiseBandwidth;
    s.records = 1;
    s.mean = mean;
    s.power.resize(static_cast<size_t>(N / 2 + 1));
    const double g = 1.0 / m_weightSum;
    const double dc = mean + m_buffer[0] * g;
    s.power[0] = dc * dc;
    const double nyquist = m_buffer[1] * g;
    s.power[static_cast<size_t>(N / 2)] = nyquist * nyquist;
    const double twoG2 = 2.0 * g * g;
    for (int k = 1; k < N / 2; ++k) {
        const double re = m_buffer[static_cast<size_t>(2 * k)];
        const double im = m_buffer[static_cast<size_t>(2 * k + 1)];
        s.power[static_cast<size_t>(k)] = twoG2 * (re * re + im * im);
    }
    return s;
}

void SpectrumAverage::add(const PowerSpectrum& spectrum) {
    if (m_average.records == 0) {
        m_average = spectrum;
        m_average.records = 1;
        return;
    }
    if (spectrum.recordLength != m_average.recordLength || spectrum.window != m_average.window) {
        refuse(QStringLiteral("spectra of different lengths or windows cannot be averaged"));
    }
    const double k = 1.0 / (m_average.records + 1);
    for (size_t i = 0; i < m_average.power.size(); ++i) {
        m_average.power[i] += (spectrum.power[i] - m_average.power[i]) * k;
    }
    m_average.mean += (spectrum.mean - m_average.mean) * k;
    ++m_average.records;
}

}  // namespace rq::analysis

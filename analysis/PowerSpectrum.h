#pragma once

#include <span>
#include <vector>

#include "analysis/Window.h"
#include "transform/RealTransform.h"

namespace rq::analysis {

// The one-sided power spectrum of a record, bins 0 (DC) to N/2 (Nyquist) kept apart. Each bin
// holds mean-square codes with the window's coherent gain taken out: a coherent tone of
// amplitude A reads A^2/2 at its bin, and the power of any component is the sum of its bins
// divided by the equivalent noise bandwidth.
struct PowerSpectrum {
    std::vector<double> power;
    int recordLength = 0;
    WindowKind window = WindowKind::PanelBlackmanHarris;
    double noiseBandwidth = 1.0;  // equivalent noise bandwidth, bins
    int records = 0;              // records whose spectra are averaged in here
    double mean = 0.0;            // the records' plain mean, codes (bin 0 holds the weighted one)

    int bins() const { return static_cast<int>(power.size()); }
};

// Takes spectra with the panel's transform. Keeps the transform's tables and the last window's
// weights, so a run of records of one length pays for them once.
class SpectrumAnalyser {
public:
    // The record's length must be a power of two from 16 to 2^20; raises 5 otherwise, and for a
    // value that is not finite.
    PowerSpectrum spectrum(std::span<const double> record, WindowKind window);

private:
    transform::RealTransform m_transform;
    WindowKind m_windowKind = WindowKind::None;
    std::vector<double> m_weights;
    double m_weightSum = 0.0;
    double m_noiseBandwidth = 1.0;
    std::vector<double> m_buffer;
};

// Power average of spectra, bin by bin, with the count: averaging dB values would bias the
// noise low.
class SpectrumAverage {
public:
    // Raises 5 for a spectrum of another length or window than those already in.
    void add(const PowerSpectrum& spectrum);
    void clear() { m_average = PowerSpectrum{}; }
    const PowerSpectrum& average() const { return m_average; }
    int count() const { return m_average.records; }

private:
    PowerSpectrum m_average;
};

}  // namespace rq::analysis

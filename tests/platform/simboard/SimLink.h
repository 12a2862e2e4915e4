// The PC's real byte transport wired to a simulated board, plus a tone fit to judge records.
#pragma once

#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

#include "Fakes.h"
#include "board/CommsFunctions.h"
#include "common/NumberedError.h"
#include "simboard/FaultSpec.h"
#include "simboard/SimBoard.h"
#include "state/ProgramState.h"

namespace rq::test {

inline SimBoardSettings immediateSettings() {
    SimBoardSettings s;
    s.immediateCapture = true;
    return s;
}

inline SimBoardSettings withFaults(SimBoardSettings settings, const QString& spec) {
    settings.faults = parseFaultSpec(spec).value();
    return settings;
}

struct SimLink {
    static constexpr int16_t Base = 0x378;

    SimBoard board;
    ProgramState state;
    FakeYield yield;
    FakeTimer timer;
    FakeMessageList messages;
    FakeMessageBoxes boxes;
    CommsFunctions comms{linkStateOf(state), board, yield, timer, messages, boxes};
    int tickAfterYields = 1000;  // the watchdog, counted in yields

    explicit SimLink(const SimBoardSettings& settings = immediateSettings()) : board(settings) {
        state.PortAddress = Base;
        timer.setOnTick([this] { state.TimedOut = true; });
        yield.onYield = [this](int n) {
            if (n >= tickAfterYields) {
                timer.tick();
            }
        };
    }

    void write(int value) { comms.EPPWrite(Base, static_cast<int16_t>(value)); }
    int read() { return comms.EPPRead(Base); }
    void frame(int first, int word, int code) {
        write(first);
        write(word / 256);
        write(word % 256);
        write(code);
    }
    // One program word; returns the acknowledge.
    int packet(uint32_t word, int checksumError = 0) {
        const int b1 = (word >> 16) & 0xFF, b2 = (word >> 8) & 0xFF, b3 = word & 0xFF;
        write(b1);
        write(b2);
        write(b3);
        write((b1 + b2 + b3 + checksumError) & 0xFF);
        return read();
    }
    void download(const std::vector<uint32_t>& words) {
        frame(0, 0, 2);
        write(static_cast<int>(words.size()) / 256);
        write(static_cast<int>(words.size()) % 256);
        for (uint32_t w : words) {
            packet(w);
        }
    }
    void startProgram() {
        download({0x123456, 0xABCDEF});
        frame(144, 0, 3);
        frame(0, 0, 4);
    }
    // The PC's reset pulse on control bits 0 and 3.
    void pulseReset() {
        const int c = board.InByte(Base + 2) & 0xD4;
        board.OutByte(Base + 2, c);
        board.OutByte(Base + 2, c | 9);
        board.OutByte(Base + 2, c);
    }
    // Command 7, the wait, and the raw words, high byte first.
    std::vector<uint16_t> capture(int lengthIndex, int periodWord) {
        frame(lengthIndex, periodWord, 7);
        state.TimedOut = false;
        yield.count = 0;
        comms.WaitForReady();
        timer.setEnabled(false);
        std::vector<uint16_t> words(static_cast<size_t>(256 << lengthIndex));
        for (uint16_t& w : words) {
            const int high = read();
            w = static_cast<uint16_t>(high * 256 | read());
        }
        return words;
    }
};

// The number of the numbered error f raises, or 0.
inline int errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const NumberedError& e) {
        return e.number();
    }
    return 0;
}

// Codes as the PC decodes words: masked to the converter's bits, sign applied for two's
// complement.
inline std::vector<double> decode(const std::vector<uint16_t>& words, int bits, bool twos) {
    std::vector<double> codes;
    for (uint16_t w : words) {
        int v = w & ((1 << bits) - 1);
        if (twos && v >= (1 << (bits - 1))) {
            v -= 1 << bits;
        }
        codes.push_back(v);
    }
    return codes;
}

struct ToneFit {
    double mean = 0.0;
    std::vector<double> amplitudes;  // peak, codes, one per frequency
    double residualRms = 0.0;
};

// Joint least-squares fit of a constant and sines of known frequencies (cycles per sample), so
// that a strong tone does not leak into a weak harmonic's estimate.
inline ToneFit fitTones(const std::vector<double>& x, const std::vector<double>& cyclesPerSample) {
    const size_t n = 1 + 2 * cyclesPerSample.size();
    const auto basis = [&](size_t i, std::vector<double>& row) {
        row[0] = 1.0;
        for (size_t k = 0; k < cyclesPerSample.size(); ++k) {
            const double p = 2.0 * std::numbers::pi * cyclesPerSample[k] * static_cast<double>(i);
            row[1 + 2 * k] = std::sin(p);
            row[2 + 2 * k] = std::cos(p);
        }
    };
    std::vector<std::vector<double>> m(n, std::vector<double>(n + 1, 0.0));
    std::vector<double> row(n);
    for (size_t i = 0; i < x.size(); ++i) {
        basis(i, row);
        for (size_t r = 0; r < n; ++r) {
            for (size_t c = 0; c < n; ++c) {
                m[r][c] += row[r] * row[c];
            }
            m[r][n] += row[r] * x[i];
        }
    }
    for (size_t p = 0; p < n; ++p) {  // the normal matrix is positive definite: no pivoting
        for (size_t r = p + 1; r < n; ++r) {
            const double f = m[r][p] / m[p][p];
            for (size_t c = p; c <= n; ++c) {
                m[r][c] -= f * m[p][c];
            }
        }
    }
    std::vector<double> coef(n);
    for (size_t p = n; p-- > 0;) {
        double v = m[p][n];
        for (size_t c = p + 1; c < n; ++c) {
            v -= m[p][c] * coef[c];
        }
        coef[p] = v / m[p][p];
    }
    ToneFit fit;
    fit.mean = coef[0];
    for (size_t k = 0; k < cyclesPerSample.size(); ++k) {
        fit.amplitudes.push_back(std::hypot(coef[1 + 2 * k], coef[2 + 2 * k]));
    }
    double r2 = 0.0;
    for (size_t i = 0; i < x.size(); ++i) {
        basis(i, row);
        double model = 0.0;
        for (size_t c = 0; c < n; ++c) {
            model += row[c] * coef[c];
        }
        r2 += (x[i] - model) * (x[i] - model);
    }
    fit.residualRms = std::sqrt(r2 / static_cast<double>(x.size()));
    return fit;
}

inline double dB(double ratio) {
    return 20.0 * std::log10(ratio);
}

}  // namespace rq::test

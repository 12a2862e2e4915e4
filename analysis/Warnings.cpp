#include "analysis/Warnings.h"

#include <algorithm>
#include <cmath>

namespace rq::analysis {
namespace {

// Bins this far past the lobe's edge are where a tone between bins leaks to with a short
// window; a coherent tone leaves them at the noise.
constexpr int LeakageReach = 8;

// The median power of the bins that hold only noise: outside DC's lobe, the tone's and the
// harmonics'. The median is not moved by a few spurs.
double medianNoiseBin(const PowerSpectrum& s, const DynamicFigures& f) {
    const int last = s.bins() - 1;
    const int K = f.mainLobeHalfWidth;
    std::vector<bool> taken(static_cast<size_t>(last + 1), false);
    const auto take = [&](int centre) {
        for (int k = std::max(0, centre - K); k <= std::min(last, centre + K); ++k) {
            taken[static_cast<size_t>(k)] = true;
        }
    };
    take(0);
    take(f.fundamentalBin);
    for (const Harmonic& h : f.harmonics) {
        take(h.bin);
    }
    std::vector<double> noise;
    for (int k = 1; k < last; ++k) {
        if (!taken[static_cast<size_t>(k)]) {
            noise.push_back(s.power[static_cast<size_t>(k)]);
        }
    }
    if (noise.empty()) {
        return 0.0;
    }
    const auto middle = noise.begin() + static_cast<std::ptrdiff_t>(noise.size() / 2);
    std::nth_element(noise.begin(), middle, noise.end());
    return *middle;
}

QString maskText(const Harmonic& h) {
    switch (h.maskedBy) {
        case Harmonic::MaskedBy::Fundamental:
            return QStringLiteral("the fundamental's lobe");
        case Harmonic::MaskedBy::Dc:
            return QStringLiteral("DC's lobe");
        case Harmonic::MaskedBy::Harmonic:
            return QStringLiteral("H%1").arg(h.maskingOrder);
        case Harmonic::MaskedBy::Nothing:
            break;
    }
    return QString();
}

}  // namespace

void checkRecord(std::span<const double> codes, CodeRange range, Warnings& out) {
    const int64_t beyond = countOutside(codes, range);
    if (beyond > 0) {
        out.push_back({QStringLiteral("outside_bits"),
                       QStringLiteral("%1 values outside %2 to %3")
                           .arg(beyond)
                           .arg(QString::number(range.lowest, 'f', 0),
                                QString::number(range.highest, 'f', 0)),
                       beyond});
    }
    int64_t atEnds = 0;
    for (double v : codes) {
        const double code = std::nearbyint(v);
        atEnds += code == range.lowest || code == range.highest ? 1 : 0;
    }
    if (atEnds * 1000 > static_cast<int64_t>(codes.size())) {
        out.push_back({QStringLiteral("clipping"),
                       QStringLiteral("%1 samples sit at the lowest or the highest code: the input "
                                      "is clipped, and every dynamic figure reads low")
                           .arg(atEnds),
                       atEnds});
    }
}

void checkNotNumbers(int64_t count, Warnings& out) {
    if (count > 0) {
        out.push_back({QStringLiteral("not_numbers"),
                       QStringLiteral("%1 items were not numbers and read as 0").arg(count),
                       count});
    }
}

void checkSpectrum(const PowerSpectrum& s, const DynamicFigures& f, Warnings& out) {
    if (!f.toneApartFromDc) {
        out.push_back({QStringLiteral("dc_lobe"),
                       QStringLiteral("the tone at bin %1 cannot be told from DC: the frequency, "
                                      "SNR, SINAD, THD, SFDR and ENOB are not given; take a "
                                      "longer record or a higher frequency")
                           .arg(f.fundamentalBin),
                       std::nullopt});
        return;
    }
    if (f.toneInDcLobe) {
        out.push_back({QStringLiteral("dc_lobe"),
                       QStringLiteral("the tone at bin %1 lies within DC's lobe: it is measured "
                                      "at its own bin, and the harmonics it shares bins with are "
                                      "masked")
                           .arg(f.fundamentalBin),
                       std::nullopt});
    }
    const int last = s.bins() - 1;
    const int K = f.mainLobeHalfWidth;
    const double median = medianNoiseBin(s, f);
    const double peak = s.power[static_cast<size_t>(f.fundamentalBin)];
    if (!(peak > 100.0 * median)) {
        out.push_back({QStringLiteral("no_tone"),
                       QStringLiteral("no bin stands 20 dB above the noise: the record holds no "
                                      "tone, and the fundamental and every figure relative to it "
                                      "mean nothing"),
                       std::nullopt});
        return;  // leakage and harmonics of no tone say nothing more
    }

    // The lobes' neighbours on both sides, short of DC's lobe and of the harmonics.
    double near = 0.0;
    int nearBins = 0;
    for (int side : {-1, 1}) {
        for (int d = K + 1; d <= K + LeakageReach; ++d) {
            const int k = f.fundamentalBin + side * d;
            if (k <= K || k >= last) {
                continue;
            }
            const bool harmonic =
                std::any_of(f.harmonics.begin(), f.harmonics.end(),
                            [&](const Harmonic& h) { return std::abs(k - h.bin) <= K; });
            if (!harmonic) {
                near += s.power[static_cast<size_t>(k)];
                ++nearBins;
            }
        }
    }
    if (nearBins > 0 && near / nearBins > 10.0 * median) {
        out.push_back({QStringLiteral("leakage"),
                       QStringLiteral("the tone leaks past its lobe (%1 dB above the noise beside "
                                      "it): SNR and SINAD read low; use the bh7 window or a "
                                      "coherent frequency")
                           .arg(10.0 * std::log10(near / nearBins / median), 0, 'f', 1),
                       std::nullopt});
    }

    std::vector<int> masked;
    QStringList why;
    for (const Harmonic& h : f.harmonics) {
        if (h.masked && h.maskedBy != Harmonic::MaskedBy::Harmonic) {
            masked.push_back(h.order);
            why << QStringLiteral("H%1 by %2").arg(h.order).arg(maskText(h));
        }
    }
    if (!masked.empty()) {
        out.push_back({QStringLiteral("masked_harmonic"),
                       QStringLiteral("%1 masked (%2): THD leaves %3 out and is a lower bound, "
                                      "and SFDR may miss the largest spur")
                           .arg(harmonicList(masked), why.join(QStringLiteral(", ")),
                                masked.size() == 1 ? QStringLiteral("it") : QStringLiteral("them")),
                       static_cast<int64_t>(masked.size())});
    }
}

void checkLinearity(const Linearity& l, Warnings& out) {
    if (!l.warningCode.isEmpty()) {
        const int64_t count = l.warningCode == u"codes_not_swept"
                                  ? static_cast<int64_t>(l.missingCodes.size())
                                  : static_cast<int64_t>(std::floor(l.samplesPerCode));
        out.push_back({l.warningCode, l.warning, count});
    }
}

std::vector<int> thdHarmonics(const DynamicFigures& f) {
    std::vector<int> orders;
    for (const Harmonic& h : f.harmonics) {
        if (!h.masked) {
            orders.push_back(h.order);
        }
    }
    return orders;
}

std::vector<int> maskedHarmonics(const DynamicFigures& f) {
    std::vector<int> orders;
    for (const Harmonic& h : f.harmonics) {
        if (h.masked) {
            orders.push_back(h.order);
        }
    }
    return orders;
}

namespace {

// "H2 masked by the fundamental's lobe", "H4 and H6 masked by the fundamental's lobe, H5 by
// DC's lobe", for the harmonics that pass the filter.
template <typename Keep>
QString maskedSentence(const DynamicFigures& f, Keep keep) {
    QStringList parts;
    std::vector<int> orders;
    QString by;
    const auto flush = [&] {
        if (!orders.empty()) {
            parts << harmonicList(orders) + QStringLiteral(" by ") + by;
            orders.clear();
        }
    };
    for (const Harmonic& h : f.harmonics) {
        if (h.masked && keep(h)) {
            if (maskText(h) != by) {
                flush();
                by = maskText(h);
            }
            orders.push_back(h.order);
        }
    }
    flush();
    if (parts.isEmpty()) {
        return QString();
    }
    parts[0].replace(QStringLiteral(" by "), QStringLiteral(" masked by "));
    return parts.join(QStringLiteral(", "));
}

}  // namespace

bool thdIsLowerBound(const DynamicFigures& f) {
    return std::any_of(f.harmonics.begin(), f.harmonics.end(), [](const Harmonic& h) {
        return h.masked && h.maskedBy != Harmonic::MaskedBy::Harmonic;
    });
}

QString thdCaption(const DynamicFigures& f) {
    const QString summed = harmonicList(thdHarmonics(f));
    const QString masked = maskedSentence(f, [](const Harmonic&) { return true; });
    if (masked.isEmpty()) {
        return QStringLiteral("THD (%1)").arg(summed);
    }
    const bool lost = thdIsLowerBound(f);
    return QStringLiteral("THD (%1; %2%3)")
        .arg(summed.isEmpty() ? QStringLiteral("no harmonic measured") : summed, masked,
             lost ? QStringLiteral(", so THD is a lower bound") : QString());
}

QString sfdrCaption(const DynamicFigures& f) {
    // A harmonic under a lower one's bins is in that one's power already; under the tone's or
    // DC's lobe nothing says how large it is.
    const QString masked = maskedSentence(
        f, [](const Harmonic& h) { return h.maskedBy != Harmonic::MaskedBy::Harmonic; });
    if (masked.isEmpty()) {
        return QStringLiteral("SFDR");
    }
    return QStringLiteral("SFDR (%1: the largest spur may be among them)").arg(masked);
}

QString harmonicList(const std::vector<int>& orders) {
    QStringList runs;
    for (size_t i = 0; i < orders.size();) {
        size_t j = i;
        while (j + 1 < orders.size() && orders[j + 1] == orders[j] + 1) {
            ++j;
        }
        runs << (j == i ? QStringLiteral("H%1").arg(orders[i])
                        : QStringLiteral("H%1–H%2").arg(orders[i]).arg(orders[j]));
        i = j + 1;
    }
    return runs.join(QStringLiteral(", "));
}

}  // namespace rq::analysis

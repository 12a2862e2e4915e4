#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "analysis/DynamicFigures.h"
#include "analysis/Linearity.h"
#include "analysis/PowerSpectrum.h"
#include "common/ConverterCodes.h"

namespace rq::analysis {

// What a result says about the figures it should not be trusted for. A warning never changes a
// figure: the code is stable for scripts, the text is for a person.
struct Warning {
    QString code;
    QString text;
    std::optional<int64_t> count;
};
using Warnings = std::vector<Warning>;

// "clipping" (more than one sample in a thousand at an end code) and "outside_bits" (codes the
// converter cannot give).
void checkRecord(std::span<const double> codes, CodeRange range, Warnings& out);
// "not_numbers": items of a loaded file that held no number and were read as 0.
void checkNotNumbers(int64_t count, Warnings& out);
// "no_tone", "leakage" and "masked_harmonic", from the spectrum the figures were measured on.
void checkSpectrum(const PowerSpectrum& spectrum, const DynamicFigures& figures, Warnings& out);
// "codes_not_swept" and "few_samples_per_code".
void checkLinearity(const Linearity& linearity, Warnings& out);

// "H2", "H3–H6" or "H2, H4–H6": the harmonics named, runs joined.
QString harmonicList(const std::vector<int>& orders);

// The harmonics THD sums, and those it could not measure.
std::vector<int> thdHarmonics(const DynamicFigures& figures);
std::vector<int> maskedHarmonics(const DynamicFigures& figures);
// Whether a harmonic THD should sum lies under the tone's or DC's lobe, unmeasured; one under
// a lower harmonic's bins is summed with that one.
bool thdIsLowerBound(const DynamicFigures& figures);
// "THD (H2–H6)", or "THD (H3–H6; H2 masked by the fundamental's lobe, so THD is a lower
// bound)".
QString thdCaption(const DynamicFigures& figures);
// "SFDR", or "SFDR (H2, masked by the fundamental's lobe, could be the largest spur)" when a
// harmonic that could not be measured might stand above the spur that was found.
QString sfdrCaption(const DynamicFigures& figures);

}  // namespace rq::analysis

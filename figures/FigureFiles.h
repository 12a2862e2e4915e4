#pragma once

#include <QByteArray>
#include <QString>

namespace rq::figures {

class FigureRun;

// The figures of a run as files, each written whole or not at all through the atomic writer;
// a file that cannot be written raises WriteFailure (75) with its path and the reason.

// The spectrum as `rq3118ctl --spectrum-csv` writes it: frequency_hz,dbfs per bin. Raises 5
// when the run has no spectrum.
void exportSpectrumCsv(const FigureRun& run, const QString& path);

// The figures and the harmonics as one table, a row each:
//   figure,frequency_hz,value,unit,dbfs,masked
// "Fundamental" (value its level in dBFS), "SNR", "SINAD", "THD", "SFDR" (at the spur's
// frequency, with its level in dBFS), "ENOB", "Noise density", then "H2" ... (value in dBc,
// level in dBFS, what masks it). Numbers in plain decimal; a figure not measured, and the
// levels of a masked harmonic, are empty; an infinite one is "inf" or "-inf". Raises 5 when
// the run has no spectrum.
QByteArray figuresCsv(const FigureRun& run);
void exportFiguresCsv(const FigureRun& run, const QString& path);

// The figures' fields under the keys of `rq3118ctl --json` (metrics, fit, linearity, warnings,
// limits and verdict, as the run's request asks for them), as an indented JSON object.
QByteArray figuresJson(const FigureRun& run);
void exportFiguresJson(const FigureRun& run, const QString& path);

}  // namespace rq::figures

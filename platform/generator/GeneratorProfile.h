#pragma once

#include <QString>

namespace rq::generator {

// The SCPI commands a generator is driven with; a profile file holds lines KEY=TEMPLATE.
struct GeneratorProfile {
    QString idn = QStringLiteral("*IDN?");
    QString freq = QStringLiteral("SOUR:FREQ {hz}");
    QString level = QStringLiteral("SOUR:POW {dbm}");
    QString outputOn = QStringLiteral("OUTP ON");
    QString errorQuery = QStringLiteral("SYST:ERR?");
    QString terminator = QStringLiteral("\n");
};

// Reads a profile file: lines KEY=TEMPLATE with KEY one of idn, freq, level, output_on,
// error_query, terminator (any letter case); a line whose first character that is not blank is
// '#' is a comment; blank lines are skipped; keys absent keep their defaults. The template is
// taken without the blanks around it. terminator's value is one of the backslash sequences \n,
// \r, \r\n. Raises NumberedError 53 for a missing file, 75 for one that cannot be read (or is
// larger than any profile), and 5 naming the file and line ("generator.profile line 3: unknown
// key 'frq'") for an unknown key, a line without '=', an empty template, a key given twice, a
// freq template without {hz}, a level template without {dbm} or another terminator.
GeneratorProfile readGeneratorProfile(const QString& path);

// The same, from the text of a file; `name` stands for the file in the messages.
GeneratorProfile parseGeneratorProfile(const QString& text, const QString& name);

// A template with {hz} and {dbm} replaced: hz with up to 6 decimals, trailing zeros trimmed
// ("10000", "9973.123457"); dbm with up to 3 decimals ("-12.5"). Numbers in C locale.
QString expandTemplate(const QString& text, double hz, double dbm);

}  // namespace rq::generator

// Protects the generator's profile file (what each key takes, what is refused and how the
// message names the place) and the numbers written into its commands.
#include <gtest/gtest.h>

#include <QLocale>
#include <QTemporaryDir>

#include "common/AtomicFile.h"
#include "common/NumberedError.h"
#include "generator/GeneratorProfile.h"

using namespace rq;
using namespace rq::generator;

namespace {

class ProfileFile : public ::testing::Test {
protected:
    QString write(const QByteArray& content) {
        const QString path = dir.filePath(QStringLiteral("generator.profile"));
        writeFileAtomically(path, content);
        return path;
    }
    // The error a profile raises, or -1 with an empty description when it is taken.
    std::pair<int, QString> refusal(const QByteArray& content) {
        const QString path = write(content);
        try {
            readGeneratorProfile(path);
        } catch (const NumberedError& e) {
            return {e.number(), e.description()};
        }
        return {-1, QString()};
    }
    QTemporaryDir dir;
};

}  // namespace

TEST(ExpandTemplate, FrequencyTakesSixDecimalsAndLevelThreeTrailingZerosTrimmed) {
    EXPECT_EQ(expandTemplate(QStringLiteral("F {hz}"), 10000, 0), QStringLiteral("F 10000"));
    EXPECT_EQ(expandTemplate(QStringLiteral("F {hz}"), 9973.1234567, 0),
              QStringLiteral("F 9973.123457"));
    EXPECT_EQ(expandTemplate(QStringLiteral("F {hz}"), 0.25, 0), QStringLiteral("F 0.25"));
    EXPECT_EQ(expandTemplate(QStringLiteral("F {hz}"), 2.5e9, 0), QStringLiteral("F 2500000000"));
    EXPECT_EQ(expandTemplate(QStringLiteral("P {dbm}"), 0, -12.5), QStringLiteral("P -12.5"));
    EXPECT_EQ(expandTemplate(QStringLiteral("P {dbm}"), 0, -12.34567), QStringLiteral("P -12.346"));
    EXPECT_EQ(expandTemplate(QStringLiteral("P {dbm}"), 0, 10), QStringLiteral("P 10"));
}

TEST(ExpandTemplate, ALevelRoundingToZeroHasNoSign) {
    EXPECT_EQ(expandTemplate(QStringLiteral("{dbm}"), 0, -0.0001), QStringLiteral("0"));
    EXPECT_EQ(expandTemplate(QStringLiteral("{dbm}"), 0, -0.0), QStringLiteral("0"));
}

TEST(ExpandTemplate, EveryPlaceholderIsReplacedAndOtherTextKept) {
    EXPECT_EQ(expandTemplate(QStringLiteral("A {hz};B {hz} {dbm} DBM {x}"), 50, -3),
              QStringLiteral("A 50;B 50 -3 DBM {x}"));
}

TEST(ExpandTemplate, NumbersIgnoreTheLocale) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString text = expandTemplate(QStringLiteral("{hz} {dbm}"), 1234.5, -0.5);
    QLocale::setDefault(before);
    EXPECT_EQ(text, QStringLiteral("1234.5 -0.5"));
}

TEST_F(ProfileFile, KeysInAnyCaseCommentsBlankLinesAndCrLfLinesAreRead) {
    const GeneratorProfile p =
        readGeneratorProfile(write("# bench generator\r\n"
                                   "\r\n"
                                   "  IDN = *IDN? \r\n"
                                   "Freq=FREQ {hz} HZ\r\n"
                                   "   # the level in dBm\r\n"
                                   "LEVEL=POW:AMPL {dbm} DBM\r\n"
                                   "output_ON=OUTP:STAT 1\r\n"
                                   "Error_Query=SYST:ERR:NEXT?\r\n"
                                   "terminator=\\r\\n\r\n"));
    EXPECT_EQ(p.idn, QStringLiteral("*IDN?"));
    EXPECT_EQ(p.freq, QStringLiteral("FREQ {hz} HZ"));
    EXPECT_EQ(p.level, QStringLiteral("POW:AMPL {dbm} DBM"));
    EXPECT_EQ(p.outputOn, QStringLiteral("OUTP:STAT 1"));
    EXPECT_EQ(p.errorQuery, QStringLiteral("SYST:ERR:NEXT?"));
    EXPECT_EQ(p.terminator, QStringLiteral("\r\n"));
}

TEST_F(ProfileFile, KeysAbsentKeepTheirDefaults) {
    const GeneratorProfile defaults;
    const GeneratorProfile p = readGeneratorProfile(write("level=PWR {dbm}\n"));
    EXPECT_EQ(p.level, QStringLiteral("PWR {dbm}"));
    EXPECT_EQ(p.idn, defaults.idn);
    EXPECT_EQ(p.freq, defaults.freq);
    EXPECT_EQ(p.outputOn, defaults.outputOn);
    EXPECT_EQ(p.errorQuery, defaults.errorQuery);
    EXPECT_EQ(p.terminator, QStringLiteral("\n"));
    EXPECT_EQ(readGeneratorProfile(write("")).freq, defaults.freq);
}

TEST_F(ProfileFile, TheTerminatorTakesItsThreeEscapesOnly) {
    EXPECT_EQ(readGeneratorProfile(write("terminator=\\n")).terminator, QStringLiteral("\n"));
    EXPECT_EQ(readGeneratorProfile(write("terminator=\\r")).terminator, QStringLiteral("\r"));
    EXPECT_EQ(readGeneratorProfile(write("TERMINATOR = \\r\\n")).terminator,
              QStringLiteral("\r\n"));
    for (const QByteArray bad : {"\\t", "\\n\\r", ";", "n", "\\\\n"}) {
        EXPECT_EQ(refusal("terminator=" + bad).first, 5) << bad.constData();
    }
}

TEST_F(ProfileFile, AFaultNamesTheFileTheLineAndWhat) {
    const QString path = dir.filePath(QStringLiteral("generator.profile"));
    const auto unknown = refusal("# lab\n\nfrq=FREQ {hz}\n");
    EXPECT_EQ(unknown.first, 5);
    EXPECT_TRUE(unknown.second.startsWith(path + QStringLiteral(" line 3: unknown key 'frq'")))
        << unknown.second.toStdString();

    const auto noEquals = refusal("idn=*IDN?\nOUTP ON\n");
    EXPECT_EQ(noEquals.first, 5);
    EXPECT_TRUE(noEquals.second.startsWith(path + QStringLiteral(" line 2: ")));
    EXPECT_TRUE(noEquals.second.contains(QStringLiteral("OUTP ON")));

    const auto empty = refusal("output_on=  \n");
    EXPECT_EQ(empty.first, 5);
    EXPECT_EQ(empty.second, path + QStringLiteral(" line 1: empty template for output_on"));
}

TEST_F(ProfileFile, AKeyGivenTwiceOrATemplateWithoutItsNumberIsRefused) {
    const auto twice = refusal("freq=F {hz}\nFREQ=G {hz}\n");
    EXPECT_EQ(twice.first, 5);
    EXPECT_TRUE(twice.second.contains(QStringLiteral("line 2: freq given again (first on line 1)")))
        << twice.second.toStdString();
    EXPECT_EQ(refusal("freq=SOUR:FREQ 1000\n").first, 5);
    EXPECT_EQ(refusal("level=SOUR:POW {hz}\n").first, 5);
    EXPECT_EQ(refusal("=*IDN?\n").first, 5);
}

TEST_F(ProfileFile, AMissingFileIs53AndOneThatCannotBeAProfileIs75) {
    try {
        readGeneratorProfile(dir.filePath(QStringLiteral("absent.profile")));
        ADD_FAILURE() << "a missing file was read";
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), 53);
    }
    try {
        readGeneratorProfile(dir.path());
        ADD_FAILURE() << "a folder was read";
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), 75);
    }
    try {
        readGeneratorProfile(write(QByteArray(100 << 10, '#')));
        ADD_FAILURE() << "a file of 100 KiB was read";
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), 75);
    }
}

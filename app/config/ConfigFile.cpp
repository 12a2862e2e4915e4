#include "config/ConfigFile.h"

#include <optional>

#include "state/RecordLength.h"
#include "common/BasicText.h"
#include "common/InputFile.h"
#include "common/ItemReader.h"
#include "common/NumberedError.h"

namespace rq {
namespace {

// The first entry whose upper-cased text begins with the key.
std::optional<QString> findEntry(const QStringList& entries, const QString& key) {
    for (const QString& item : entries) {
        if (item.toUpper().startsWith(key)) {
            return item;
        }
    }
    return std::nullopt;
}

// Everything after the first colon, or the whole item when it has none.
QString valueOf(const QString& item) {
    const qsizetype colon = item.indexOf(u':');
    return colon < 0 ? item : item.mid(colon + 1);
}

bool itemContains(const QString& item, const QString& text) {
    return item.toUpper().contains(text);
}

enum class Outcome { Loaded, Refused, Retry };

Outcome loadOnce(ProgramState& state, const QString& fileName, MessageBoxes& boxes) {
    Settings& s = state.CurrentSettings;
    Latch& latch = state.BoardLatch;
    QStringList& entries = state.ConfigEntries;
    entries.clear();

    ItemReader reader = ItemReader::fromFile(fileName, InputLimit::ConfigFile,
                                             QStringLiteral("configuration file"));
    const std::optional<QString> header = reader.next();
    if (!header) {
        throw runtimeError(RuntimeError::InputPastEndOfFile);
    }
    if (!header->toUpper().contains(u"[VELMAR BOARD]")) {
        boxes.show(QStringLiteral("This is not a valid CFG file"),
                   QStringLiteral("File Selection Error"), MsgIcon::Exclamation, MsgButtons::Ok);
        return Outcome::Refused;
    }
    entries = reader.readAll();

    const auto text = [&](const QString& key) { return findEntry(entries, key); };
    const auto number = [&](const QString& key, double fallback) {
        const std::optional<QString> item = text(key);
        return item ? leadingNumber(valueOf(*item)) : fallback;
    };

    const std::optional<QString> part = text(QStringLiteral("PARTNAME"));
    s.PartName = part ? valueOf(*part) : QStringLiteral("Unknown");

    const std::optional<QString> program = text(QStringLiteral("PROGRAMNAME"));
    if (!program) {
        const MsgResult answer = boxes.show(
            QStringLiteral("This file does not contian an EXE filename to load.\r\nPlease select "
                           "a valid INI file."),
            QStringLiteral("File Selection Error"), MsgIcon::Exclamation, MsgButtons::RetryCancel);
        if (answer == MsgResult::Retry) {
            return Outcome::Retry;
        }
        s.PartName.clear();
        return Outcome::Refused;
    }
    s.EXEName = valueOf(*program);

    s.SampleFreq = toInt32(number(QStringLiteral("SAMPLEFREQUENCY"), 100000));
    s.Max_Frequency = toInt32(number(QStringLiteral("MAXSAMPLEFREQUENCY"), 250000));
    {
        const std::optional<QString> samples = text(QStringLiteral("SAMPLES"));
        s.NumberOfSamples = samples ? recordLengthIndex(leadingNumber(valueOf(*samples))) : 0;
    }

    const std::optional<QString> hi = text(QStringLiteral("+/-15V"));
    latch.setHiSupply(hi && itemContains(*hi, QStringLiteral("ON")));
    const std::optional<QString> dvdd = text(QStringLiteral("DVDD"));
    latch.setDVDD(dvdd && !itemContains(*dvdd, QStringLiteral("3")));
    latch.setDigiON_OFF(dvdd && itemContains(*dvdd, QStringLiteral("ON")));
    const std::optional<QString> avdd = text(QStringLiteral("AVDD"));
    latch.setAVDD(avdd && !itemContains(*avdd, QStringLiteral("3")));
    latch.setAVDD_On_Off(avdd && itemContains(*avdd, QStringLiteral("ON")));
    const std::optional<QString> bus = text(QStringLiteral("BUS"));
    latch.setENA_QS(bus && itemContains(*bus, QStringLiteral("ON")));

    const std::optional<QString> format = text(QStringLiteral("DATAFORMAT"));
    s.DataFormat = (format && !itemContains(*format, QStringLiteral("BINARY"))) ? 1 : 0;

    s.NumberOfBits = toInt16(number(QStringLiteral("NUMBEROFBITS"), 12));
    s.InputVMax = number(QStringLiteral("INPUTVMAX"), 5.0);
    s.InputVMin = number(QStringLiteral("INPUTVMIN"), 0.0);
    return Outcome::Loaded;
}

}  // namespace

int16_t LoadConfigFile(ProgramState& state, const QString& fileName, MessageBoxes& boxes,
                       QString* failure) {
    for (;;) {
        try {
            switch (loadOnce(state, fileName, boxes)) {
                case Outcome::Loaded:
                    return 0;
                case Outcome::Refused:
                    return 2;
                case Outcome::Retry:
                    continue;
            }
        } catch (const NumberedError& e) {
            if (failure) {
                *failure = e.description();
            }
            boxes.show(QStringLiteral("An Unexpected Error (Code:") + formatGeneral(e.number()) +
                           QStringLiteral(" Occurred.\r\nPlease check the synthax of the .INI "
                                          "file."),
                       QStringLiteral("Error"), MsgIcon::Exclamation, MsgButtons::Ok);
            return 2;
        }
    }
}

}  // namespace rq

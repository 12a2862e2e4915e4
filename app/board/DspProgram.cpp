#include "board/DspProgram.h"

#include <QRegularExpression>

#include "common/InputFile.h"
#include "common/ItemReader.h"
#include "common/NumberedError.h"
#include "protocol/BoardProtocol.h"

namespace rq {

DspProgramFile readDspProgramFile(const QString& path) {
    DspProgramFile file;
    const auto refuse = [&file](int16_t result, const QString& reason) {
        file.result = result;
        file.reason = reason;
        return file;
    };
    QStringList items;
    try {
        items = ItemReader::fromFile(path, InputLimit::DspProgramFile,
                                     QStringLiteral("DSP program file"))
                    .readAll();
    } catch (const NumberedError& e) {
        if (e.number() == RuntimeError::FileNotFound) {
            return refuse(DspResult::NoFile,
                          QStringLiteral("there is no file named \"%1\"").arg(path));
        }
        return refuse(DspResult::NotDspFile, e.description());
    }
    if (items.size() < 2 || items.at(1) != u"@PA") {
        return refuse(DspResult::NotDspFile, QStringLiteral("the second item is not \"@PA\""));
    }
    // Item 3 is not a program word; the words run up to the first item that starts with "#".
    qsizetype end = -1;
    for (qsizetype i = 2; i < items.size(); ++i) {
        if (items.at(i).startsWith(u'#')) {
            end = i;
            break;
        }
    }
    if (end < 0) {
        return refuse(DspResult::NotDspFile,
                      QStringLiteral("no item starting with \"#\" ends the program words"));
    }
    // Without an address item before the end marker there is no program to place.
    if (end < 3) {
        return refuse(DspResult::NotDspFile,
                      QStringLiteral("the third item already starts with \"#\": the file has "
                                     "no program address and no words"));
    }
    // Anchored on the whole item: "$" alone would also match before a final line feed.
    static const QRegularExpression sixHexDigits(
        QRegularExpression::anchoredPattern(QStringLiteral("[0-9A-Fa-f]{6}")));
    QStringList words;
    for (qsizetype i = 3; i < end; ++i) {
        if (!sixHexDigits.match(items.at(i)).hasMatch()) {
            QString shown = items.at(i);
            shown.replace(u'\r', QStringLiteral("\\r")).replace(u'\n', QStringLiteral("\\n"));
            return refuse(DspResult::NotDspFile,
                          QStringLiteral("item %1 (\"%2\") is not six hexadecimal digits")
                              .arg(i + 1)
                              .arg(shown.left(40)));
        }
        words << items.at(i);
    }
    if (words.size() > 32767) {
        return refuse(
            DspResult::NotDspFile,
            QStringLiteral("%1 words are more than the length word can count").arg(words.size()));
    }
    file.words = words;
    file.result = DspResult::Started;
    return file;
}

int16_t LoadDSPProgram(ProgramState& state, CommsFunctions& comms) {
    const DspProgramFile program = readDspProgramFile(state.CurrentSettings.EXEName);
    if (program.result != DspResult::Started) {
        return program.result;
    }
    try {
        comms.SendCommand(0, 0, protocol::CmdBeginDownload);
    } catch (const NumberedError&) {
        return DspResult::BeginFailed;
    }
    try {
        comms.SendProgramLength(static_cast<int16_t>(program.words.size()));
    } catch (const NumberedError&) {
        return DspResult::LengthFailed;
    }
    for (const QString& word : program.words) {
        for (int attempt = 1;; ++attempt) {
            try {
                comms.SendPacket(word);
                break;
            } catch (const NumberedError& e) {
                // A failed write leaves the board out of step: going on would report a broken
                // program as downloaded.
                if (e.number() != 520 || attempt == 3) {
                    return DspResult::PacketFailed;
                }
            }
        }
    }
    try {
        comms.SendCommand(state.BoardLatch.latch(), 0, protocol::CmdWriteLatch);
        comms.SendCommand(0, 0, protocol::CmdStartProgram);
    } catch (const NumberedError&) {
        return DspResult::StartFailed;
    }
    return DspResult::Started;
}

}  // namespace rq

#include "DspProgram.h"

#include <QFileInfo>
#include <QRegularExpression>

#include "ItemReader.h"
#include "NumberedError.h"

namespace rq {

DspProgramFile readDspProgramFile(const QString& path) {
    DspProgramFile file;
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        file.result = DspResult::NoFile;
        return file;
    }
    QStringList items;
    try {
        items = ItemReader::fromFile(path).readAll();
    } catch (const NumberedError&) {
        file.result = DspResult::NoFile;
        return file;
    }
    file.result = DspResult::NotDspFile;
    if (items.size() < 2 || items.at(1) != u"@PA") {
        return file;
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
        return file;
    }
    static const QRegularExpression sixHexDigits(QStringLiteral("^[0-9A-Fa-f]{6}$"));
    QStringList words;
    for (qsizetype i = 3; i < end; ++i) {
        if (!sixHexDigits.match(items.at(i)).hasMatch()) {
            return file;
        }
        words << items.at(i);
    }
    if (words.size() > 32767) {
        return file;  // more than the length word can count
    }
    file.words = words;
    file.result = DspResult::Started;
    return file;
}

int16_t LoadDSPProgram(CommsFunctions& comms) {
    const DspProgramFile program = readDspProgramFile(comms.state().CurrentSettings.EXEName);
    if (program.result != DspResult::Started) {
        return program.result;
    }
    try {
        comms.SendCommand(0, 0, 2);
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
        comms.SendCommand(comms.state().BoardLatch.latch(), 0, 3);
        comms.SendCommand(0, 0, 4);
    } catch (const NumberedError&) {
        return DspResult::StartFailed;
    }
    return DspResult::Started;
}

}  // namespace rq

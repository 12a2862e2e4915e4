#include "acquire/DataFiles.h"

#include "acquire/Conversion.h"
#include "common/AtomicFile.h"
#include "common/BasicText.h"
#include "common/InputFile.h"
#include "common/ItemReader.h"
#include "common/NumberedError.h"

namespace rq {
namespace {

const QString kReadFailure =
    QStringLiteral("An Error Occurred While Reading This File.\rIt May Not Be A Valid Data File.");

void writeLines(const QString& path, const std::vector<double>& values, QString (*line)(double)) {
    QByteArray text;
    text.reserve(static_cast<qsizetype>(values.size()) * 16);
    for (double v : values) {
        text += line(v).toLatin1();
        text += "\r\n";
    }
    writeFileAtomically(path, text);
}

QString valueLine(double v) {
    return formatNumber(v, u"0.000000");
}

void showWriteFailure(MessageBoxes& boxes, const NumberedError& e) {
    boxes.show(QStringLiteral("An Error Occurred While Writing This File.\r\n(Error ") +
                   formatGeneral(e.number()) + QStringLiteral(": ") + e.description() +
                   QStringLiteral(")"),
               QString(), MsgIcon::Exclamation, MsgButtons::Ok);
}

int16_t saveWith(const std::vector<double>& data, FileDialogs& dialogs, MessageBoxes& boxes,
                 void (*write)(const QString&, const std::vector<double>&)) {
    const std::optional<QString> path =
        dialogs.saveFile(QStringLiteral("Save FFT Data"), DataFileFilter, true);
    if (!path) {
        return FileResult::Cancelled;
    }
    try {
        write(*path, data);
    } catch (const NumberedError& e) {
        showWriteFailure(boxes, e);
        return FileResult::Failed;
    }
    return FileResult::Done;
}

void showNoData(MessageBoxes& boxes) {
    boxes.show(QStringLiteral("There is no data to save."), QString(), MsgIcon::Information,
               MsgButtons::Ok);
}

}  // namespace

DataValues readDataValues(const QString& path) {
    ItemReader reader =
        ItemReader::fromFile(path, InputLimit::DataFile, QStringLiteral("data file"));
    DataValues out;
    while (std::optional<QString> item = reader.next()) {
        if (static_cast<int>(out.values.size()) >= MaxDataItems) {
            throw runtimeError(RuntimeError::Overflow);
        }
        const std::optional<double> number = leadingNumberOf(*item);
        if (!number) {
            ++out.notNumbers;
        }
        const double v = number.value_or(0.0);
        out.values.push_back(v);
        if (v > out.MaxValue) {
            out.MaxValue = v;
        }
        if (v < out.MinValue) {
            out.MinValue = v;
        }
    }
    if (out.values.empty()) {
        throw runtimeError(RuntimeError::InputPastEndOfFile);
    }
    return out;
}

void writeDataValues(const QString& path, const std::vector<double>& values) {
    writeLines(path, values, valueLine);
}

QString binaryLine(double code) {
    const int32_t v = toInt32(code);
    QString line(16, u'0');
    for (int bit = 15; bit >= 0; --bit) {
        if ((v & (1 << bit)) != 0) {
            line[15 - bit] = u'1';
        }
    }
    return line;
}

void writeBinaryCodes(const QString& path, const std::vector<double>& codes) {
    writeLines(path, codes, binaryLine);
}

void loadDataRecord(ProgramState& state, const QString& path) {
    DataValues data = readDataValues(path);
    const int16_t index = recordLengthIndex(static_cast<double>(data.values.size()));
    SampleRecord& record = state.Record;
    record.SampleData = std::move(data.values);
    record.sampleDimensioned = true;
    record.loadedNotNumbers = data.notNumbers;
    state.CurrentSettings.MaxValue = data.MaxValue;
    state.CurrentSettings.MinValue = data.MinValue;
    state.CurrentSettings.NumberOfSamples = index;
}

int16_t LoadDataFile(ProgramState& state, FileDialogs& dialogs, MessageBoxes& boxes) {
    const std::optional<QString> path =
        dialogs.openFile(QStringLiteral("Load A Data File"), DataFileFilter);
    if (!path) {
        return FileResult::Cancelled;
    }
    try {
        loadDataRecord(state, *path);
    } catch (const NumberedError& e) {
        boxes.show(kReadFailure + QStringLiteral("\r(Error ") + formatGeneral(e.number()) +
                       QStringLiteral(": ") + e.description() + QStringLiteral(")"),
                   QStringLiteral("Error"), MsgIcon::Exclamation, MsgButtons::Ok);
        return FileResult::Failed;
    }
    return FileResult::Done;
}

int16_t SaveDataFile(const std::vector<double>& data, FileDialogs& dialogs, MessageBoxes& boxes) {
    return saveWith(data, dialogs, boxes, writeDataValues);
}

int16_t SaveBinaryFile(const std::vector<double>& data, FileDialogs& dialogs, MessageBoxes& boxes) {
    return saveWith(data, dialogs, boxes, writeBinaryCodes);
}

int16_t LoadFFTFile(ProgramState& state, FileDialogs& dialogs, MessageBoxes& boxes) {
    const QString title = QStringLiteral("Load an FFT File");
    std::optional<QString> path = dialogs.openFile(title, DataFileFilter);
    for (;;) {
        if (!path) {
            return FileResult::Cancelled;
        }
        try {
            DataValues data = readDataValues(*path);
            state.Record.FFTData = std::move(data.values);
            state.Record.fftDimensioned = true;
            state.CurrentSettings.MaxValue = data.MaxValue;
            state.CurrentSettings.MinValue = data.MinValue;
            return FileResult::Done;
        } catch (const NumberedError&) {
            if (boxes.show(kReadFailure, QString(), MsgIcon::Exclamation,
                           MsgButtons::RetryCancel) != MsgResult::Retry) {
                return FileResult::Failed;
            }
            path = dialogs.openFile(title, DataFileFilter);
        }
    }
}

int16_t saveRawData(ProgramState& state, FileDialogs& dialogs, MessageBoxes& boxes) {
    if (!state.Record.sampleDimensioned) {
        showNoData(boxes);
        return FileResult::Failed;
    }
    return SaveDataFile(state.Record.SampleData, dialogs, boxes);
}

int16_t saveSpectrum(ProgramState& state, FileDialogs& dialogs, MessageBoxes& boxes) {
    if (!state.Record.fftDimensioned) {
        showNoData(boxes);
        return FileResult::Failed;
    }
    return SaveDataFile(state.Record.FFTData, dialogs, boxes);
}

int16_t saveBinaryData(ProgramState& state, FileDialogs& dialogs, MessageBoxes& boxes) {
    if (!state.Record.sampleDimensioned) {
        showNoData(boxes);
        return FileResult::Failed;
    }
    return SaveBinaryFile(state.Record.SampleData, dialogs, boxes);
}

}  // namespace rq

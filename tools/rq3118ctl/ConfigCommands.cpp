// config and dsp: what a file gives the program, with no board traffic.
#include <QRegularExpression>

#include "acquire/Conversion.h"
#include "board/DspProgram.h"
#include "board/ResetBoard.h"
#include "common/BasicText.h"
#include "common/NumberedError.h"
#include "config/ConfigFile.h"
#include "figures/Result.h"
#include "rq3118ctl/Arguments.h"
#include "rq3118ctl/Commands.h"
#include "rq3118ctl/ConsoleHost.h"
#include "state/ProgramState.h"

namespace rqctl {

void printResult(const Result& result, bool json) {
    if (json) {
        printOut(result.toJson());
    } else {
        QString text = result.toText();
        text.chop(1);
        printOut(text);
    }
}

int configFailureNumber(const QString& boxText) {
    // An unexpected failure names its number in the box; a refused file is a bad argument.
    static const QRegularExpression code(QStringLiteral("\\(Code:(\\d+)"));
    const QRegularExpressionMatch match = code.match(boxText);
    return match.hasMatch() ? match.captured(1).toInt() : rq::RuntimeError::InvalidCall;
}

namespace {

QString onlyFile(const Arguments& a, const char* command) {
    if (a.positional().size() != 1) {
        throw UsageError{QStringLiteral("%1 takes one file").arg(QString::fromLatin1(command))};
    }
    return a.positional().first();
}

}  // namespace

int runConfig(const QStringList& args) {
    const Arguments a(args, {{QStringLiteral("json"), false}});
    const QString file = onlyFile(a, "config");

    // The program's start-up values, then what a board reset does, then the file.
    rq::ProgramState state;
    rq::applyStartValues(state);
    rq::Settings& s = state.CurrentSettings;
    rq::applyResetSettings(s);

    ConsoleMessageBoxes boxes;
    boxes.quiet = true;
    QString failure;
    const int16_t result = rq::LoadConfigFile(state, file, boxes, &failure);
    if (!failure.isEmpty()) {
        printErr(failure);
    }

    Result r;
    r.add(QStringLiteral("result"), static_cast<int>(result))
        .add(QStringLiteral("message"), boxes.last)
        .add(QStringLiteral("PartName"), s.PartName)
        .add(QStringLiteral("EXEName"), s.EXEName)
        .add(QStringLiteral("SampleFreq"), static_cast<long long>(s.SampleFreq))
        .add(QStringLiteral("Max_Frequency"), static_cast<long long>(s.Max_Frequency))
        .add(QStringLiteral("NumberOfSamples"), static_cast<int>(s.NumberOfSamples));
    // The index means little to a user; the samples it stands for, when it stands for any.
    try {
        r.add(QStringLiteral("record_length"),
              static_cast<long long>(rq::recordLength(s.NumberOfSamples)));
    } catch (const rq::NumberedError&) {
        r.addNone(QStringLiteral("record_length"));
    }
    r.add(QStringLiteral("DataFormat"), static_cast<int>(s.DataFormat))
        .add(QStringLiteral("NumberOfBits"), static_cast<int>(s.NumberOfBits))
        .add(QStringLiteral("InputVMax"), s.InputVMax)
        .add(QStringLiteral("InputVMin"), s.InputVMin)
        .add(QStringLiteral("Latch"), static_cast<int>(state.BoardLatch.latch()));
    printResult(r, a.flag(QStringLiteral("json")));
    if (result == 0) {
        return ExitOk;
    }
    const QString message = boxes.last.isEmpty() ? failure : boxes.last;
    setFailure(configFailureNumber(message), QStringLiteral("LoadConfigFile"), message);
    return ExitRefused;
}

int runDsp(const QStringList& args) {
    const Arguments a(args, {{QStringLiteral("json"), false}});
    const QString file = onlyFile(a, "dsp");
    const rq::DspProgramFile program = rq::readDspProgramFile(file);
    Result r;
    r.add(QStringLiteral("result"), static_cast<int>(program.result))
        .add(QStringLiteral("words"), static_cast<int>(program.words.size()));
    if (program.result != rq::DspResult::Started) {
        r.add(QStringLiteral("reason"), program.reason);
    }
    printResult(r, a.flag(QStringLiteral("json")));
    if (program.result == rq::DspResult::Started) {
        return ExitOk;
    }
    setFailure(program.result == rq::DspResult::NoFile ? rq::RuntimeError::FileNotFound
                                                       : rq::RuntimeError::InvalidCall,
               QStringLiteral("LoadDSPProgram"), program.reason);
    return ExitRefused;
}

}  // namespace rqctl

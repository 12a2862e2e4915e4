// The command line: every switch found as a case-insensitive substring, and "/T:" reading its
// digits from the text it was found in.
#include "FuzzSupport.h"
#include "config/PersistedState.h"
#include "state/CommandLine.h"
#include "state/ProgramState.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    rq::ProgramState state;
    state.commandLine = rq::CommandLine(text);
    for (const char* name : {"/GET", "/SAVE", "/DEL", "/E", "/T:", "/SS", "/SIM"}) {
        const QString s = QString::fromLatin1(name);
        const int at = state.commandLine.indexOf(s);
        RQ_FUZZ_CHECK(at >= -1 && at < text.size());
        RQ_FUZZ_CHECK((at >= 0) == state.commandLine.has(s));
        if (at >= 0) {
            RQ_FUZZ_CHECK(text.mid(at, s.size()).compare(s, Qt::CaseInsensitive) == 0);
        }
    }
    state.CurrentSettings.TimeOut = 1000;
    rq::ReadTimeOutSwitch(state);
    RQ_FUZZ_CHECK(state.CurrentSettings.TimeOut >= 0);
    return 0;
}

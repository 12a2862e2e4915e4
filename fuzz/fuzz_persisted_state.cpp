// The per-user store's values: whatever text a stored key holds, "/GET" restores what converts
// and keeps the rest, and a save followed by a restore gives the same members back (doubles to
// the 15 digits they are stored with).
#include <QHash>
#include <QStringList>

#include "FuzzSupport.h"
#include "common/BasicText.h"
#include "config/PersistedState.h"

namespace {

class MemoryStore : public rq::SettingsStore {
public:
    QString get(const QString&, const QString& section, const QString& key,
                const QString& defaultValue) override {
        return values.value(section + u'/' + key, defaultValue);
    }
    void save(const QString&, const QString& section, const QString& key,
              const QString& value) override {
        values.insert(section + u'/' + key, value);
    }
    void deleteSection(const QString&, const QString&) override {}
    QHash<QString, QString> values;
};

struct Window : rq::MainWindowPlacement {
    double l = 0, t = 0, w = 9465, h = 7170;
    double left() const override { return l; }
    double top() const override { return t; }
    double width() const override { return w; }
    double height() const override { return h; }
    void setLeft(double v) override { l = v; }
    void setTop(double v) override { t = v; }
    void setWidth(double v) override { w = v; }
    void setHeight(double v) override { h = v; }
    void ShowConfiguration() override {}
};

// Doubles are stored to 15 significant digits, so they come back as those digits say.
bool same(double a, double b) {
    return rq::formatGeneral(a) == rq::formatGeneral(b);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One stored value per line, in the order of the keys below.
    const QStringList lines =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size))
            .split(u'\n');
    static const char* const keys[] = {"Position/Left",
                                       "Position/Top",
                                       "Position/Width",
                                       "Position/Height",
                                       "Configuration/DataFormat",
                                       "Configuration/DisplayMode",
                                       "Configuration/EXEName",
                                       "Configuration/InputVMax",
                                       "Configuration/InputVMin",
                                       "Configuration/Max_Frequency",
                                       "Configuration/NumberOfBits",
                                       "Configuration/NumberOfSamples",
                                       "Configuration/PartName",
                                       "Configuration/SampleFreq"};
    MemoryStore store;
    for (qsizetype i = 0; i < lines.size() && i < qsizetype(std::size(keys)); ++i) {
        store.values.insert(QString::fromLatin1(keys[i]), lines.at(i));
    }
    rq::ProgramState state;
    rq::applyStartValues(state);
    state.commandLine = rq::CommandLine(QStringLiteral("/GET /SAVE"));
    Window window;
    rq::RestoreSettings(state, store, window);

    // What was restored survives a save and a restore.
    MemoryStore second;
    rq::SaveSettings(state, second, window);
    rq::ProgramState again;
    rq::applyStartValues(again);
    again.commandLine = state.commandLine;
    Window window2;
    rq::RestoreSettings(again, second, window2);
    const rq::Settings& a = state.CurrentSettings;
    const rq::Settings& b = again.CurrentSettings;
    RQ_FUZZ_CHECK(a.DataFormat == b.DataFormat && a.DisplayMode == b.DisplayMode);
    RQ_FUZZ_CHECK(a.EXEName == b.EXEName && a.PartName == b.PartName);
    RQ_FUZZ_CHECK(a.Max_Frequency == b.Max_Frequency && a.SampleFreq == b.SampleFreq);
    RQ_FUZZ_CHECK(a.NumberOfBits == b.NumberOfBits && a.NumberOfSamples == b.NumberOfSamples);
    RQ_FUZZ_CHECK(same(a.InputVMax, b.InputVMax) && same(a.InputVMin, b.InputVMin));
    return 0;
}

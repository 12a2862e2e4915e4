#include "config/PersistedState.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "common/BasicText.h"
#include "common/NumberedError.h"

namespace rq {
namespace {

const QString kPosition = QStringLiteral("Position");
const QString kConfiguration = QStringLiteral("Configuration");

std::optional<double> asNumber(const QString& text) {
    return parseNumber(text);
}

std::optional<bool> asBool(const QString& text) {
    const QString t = text.trimmed();
    if (t.compare(u"True", Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (t.compare(u"False", Qt::CaseInsensitive) == 0) {
        return false;
    }
    const std::optional<double> n = parseNumber(t);
    if (!n) {
        return std::nullopt;
    }
    return *n != 0.0;
}

// Integer members: a value that does not fit keeps the member.
template <typename Int>
void assignInteger(Int& member, const QString& text) {
    const std::optional<double> n = asNumber(text);
    if (!n) {
        return;
    }
    try {
        member = sizeof(Int) == 2 ? static_cast<Int>(toInt16(*n)) : static_cast<Int>(toInt32(*n));
    } catch (const NumberedError&) {
    }
}

QString singleText(double value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.7G", static_cast<double>(static_cast<float>(value)));
    return QString::fromLatin1(buf);
}

// 20 px of title bar and the 100 px of it a user needs to take hold of the window.
constexpr int TitleBarHeight = 20 * 15;
constexpr int TitleBarGrip = 100 * 15;

}  // namespace

QRect placeRestoredWindow(const QRect& outer, const ScreenAreas& screens) {
    const QRect titleBar(outer.left(), outer.top(), outer.width(), TitleBarHeight);
    for (const QRect& area : screens.available) {
        const QRect onScreen = titleBar.intersected(area);
        if (onScreen.width() >= TitleBarGrip && onScreen.height() >= TitleBarHeight) {
            return outer;
        }
    }
    if (screens.available.empty()) {
        return outer;
    }
    const QRect& area = screens.primaryAvailable;
    const int width = std::min(outer.width(), area.width());
    const int height = std::min(outer.height(), area.height());
    const QRect& screen = screens.primary;
    return QRect(screen.left() + (screen.width() - width) / 2,
                 screen.top() + (screen.height() - height) / 2, width, height);
}

void RestoreSettings(ProgramState& state, SettingsStore& store, MainWindowPlacement& window) {
    Settings& s = state.CurrentSettings;
    if (state.commandLine.has(QStringLiteral("/GET"))) {
        const auto get = [&](const QString& section, const QString& key, const QString& def) {
            return store.get(StoreApplication, section, key, def);
        };
        const auto position = [&](const QString& key, const QString& def, auto set) {
            if (const std::optional<double> v = asNumber(get(kPosition, key, def))) {
                set(static_cast<double>(static_cast<float>(*v)));
            }
        };
        position(QStringLiteral("Left"), QStringLiteral("0"), [&](double v) { window.setLeft(v); });
        position(QStringLiteral("Top"), QStringLiteral("0"), [&](double v) { window.setTop(v); });
        position(QStringLiteral("Width"), QStringLiteral("9465"),
                 [&](double v) { window.setWidth(v); });
        position(QStringLiteral("Height"), QStringLiteral("7170"),
                 [&](double v) { window.setHeight(v); });
        // Clamped first: a stored value may be any single-precision number.
        const auto twips = [](double v) { return static_cast<int>(std::clamp(v, -1e9, 1e9)); };
        const QRect read(twips(window.left()), twips(window.top()), twips(window.width()),
                         twips(window.height()));
        const QRect placed = placeRestoredWindow(read, window.screens());
        if (placed != read) {
            window.setWidth(placed.width());
            window.setHeight(placed.height());
            window.setLeft(placed.left());
            window.setTop(placed.top());
        }

        assignInteger(s.DataFormat, get(kConfiguration, QStringLiteral("DataFormat"), "0"));
        if (const std::optional<bool> b =
                asBool(get(kConfiguration, QStringLiteral("DisplayMode"), "0"))) {
            s.DisplayMode = *b;
        }
        s.EXEName = get(kConfiguration, QStringLiteral("EXEName"), QStringLiteral("VMB.EXE"));
        if (const auto v = asNumber(get(kConfiguration, QStringLiteral("InputVMax"), "5"))) {
            s.InputVMax = *v;
        }
        if (const auto v = asNumber(get(kConfiguration, QStringLiteral("InputVMin"), "0"))) {
            s.InputVMin = *v;
        }
        assignInteger(s.Max_Frequency, get(kConfiguration, QStringLiteral("Max_Frequency"),
                                           QStringLiteral("250000")));
        assignInteger(s.NumberOfBits, get(kConfiguration, QStringLiteral("NumberOfBits"), "12"));
        assignInteger(s.NumberOfSamples,
                      get(kConfiguration, QStringLiteral("NumberOfSamples"), "0"));
        s.PartName = get(kConfiguration, QStringLiteral("PartName"), QStringLiteral("VMB"));
        assignInteger(s.SampleFreq,
                      get(kConfiguration, QStringLiteral("SampleFreq"), QStringLiteral("100000")));
        window.ShowConfiguration();
    }
    s.EchoComms = state.commandLine.has(QStringLiteral("/E"));
}

namespace {

void saveAll(const ProgramState& state, SettingsStore& store, const MainWindowPlacement& window) {
    const auto put = [&](const QString& section, const QString& key, const QString& value) {
        store.save(StoreApplication, section, key, value);
    };
    put(kPosition, QStringLiteral("Left"), singleText(window.left()));
    put(kPosition, QStringLiteral("Top"), singleText(window.top()));
    put(kPosition, QStringLiteral("Width"), singleText(window.width()));
    put(kPosition, QStringLiteral("Height"), singleText(window.height()));

    const Settings& s = state.CurrentSettings;
    put(kConfiguration, QStringLiteral("DataFormat"), QString::number(s.DataFormat));
    put(kConfiguration, QStringLiteral("DisplayMode"), boolText(s.DisplayMode));
    put(kConfiguration, QStringLiteral("EXEName"), s.EXEName);
    put(kConfiguration, QStringLiteral("InputVMin"), formatGeneral(s.InputVMin));
    put(kConfiguration, QStringLiteral("InputVMax"), formatGeneral(s.InputVMax));
    put(kConfiguration, QStringLiteral("Max_Frequency"), QString::number(s.Max_Frequency));
    put(kConfiguration, QStringLiteral("NumberOfBits"), QString::number(s.NumberOfBits));
    put(kConfiguration, QStringLiteral("NumberOfSamples"), QString::number(s.NumberOfSamples));
    put(kConfiguration, QStringLiteral("PartName"), s.PartName);
    put(kConfiguration, QStringLiteral("SampleFreq"), QString::number(s.SampleFreq));
}

}  // namespace

std::optional<WriteFailure> SaveSettings(const ProgramState& state, SettingsStore& store,
                                         const MainWindowPlacement& window) {
    if (!state.commandLine.has(QStringLiteral("/SAVE"))) {
        return std::nullopt;
    }
    try {
        saveAll(state, store, window);
    } catch (const WriteFailure& failure) {
        return failure;
    }
    return std::nullopt;
}

QString saveFailureText(const WriteFailure& failure) {
    return QStringLiteral("An Error Occurred While Writing This File.\r\n") + failure.path() +
           QStringLiteral("\r\n(Error ") + formatGeneral(failure.number()) + QStringLiteral(": ") +
           failure.reason() + u')';
}

void DeleteSavedSettings(const ProgramState& state, SettingsStore& store) {
    if (!state.commandLine.has(QStringLiteral("/DEL"))) {
        return;
    }
    store.deleteSection(StoreApplication, kPosition);
    store.deleteSection(StoreApplication, kConfiguration);
}

void ReadTimeOutSwitch(ProgramState& state) {
    const int at = state.commandLine.indexOf(QStringLiteral("/T:"));
    if (at < 0) {
        return;
    }
    const QString& text = state.commandLine.text();
    QString digits;
    for (qsizetype i = at + 3; i < text.size() && text.at(i) >= u'0' && text.at(i) <= u'9'; ++i) {
        digits += text.at(i);
    }
    if (digits.isEmpty()) {
        digits = QStringLiteral("1");
    }
    try {
        state.CurrentSettings.TimeOut = toInt32(leadingNumber(digits));
    } catch (const NumberedError&) {
        // Too many digits for the value: start-up goes on with the value it had.
    }
}

}  // namespace rq

#pragma once

#include <QRect>
#include <optional>
#include <vector>

#include "common/AtomicFile.h"
#include "config/SettingsStore.h"
#include "state/ProgramState.h"

namespace rq {

// The screens a restored window may land on, in twips: each screen's available area (without
// panels and docks), and the primary screen's whole area and available area.
struct ScreenAreas {
    std::vector<QRect> available;
    QRect primary;
    QRect primaryAvailable;
};

// Where a restored main window goes, its outer frame in twips: as read, unless less than
// 100 x 20 px of its title bar (the frame's top 20 px) lies on one screen's available area;
// then a width or height larger than the primary screen's available area is cut to it, and the
// window is centred on the primary screen as at start-up. Without screens, as read.
QRect placeRestoredWindow(const QRect& outer, const ScreenAreas& screens);

// The main window as the persisted state sees it: its geometry in twips (its outer frame), the
// screens it may go to, and its configuration summary.
class MainWindowPlacement {
public:
    virtual ~MainWindowPlacement() = default;
    virtual double left() const = 0;
    virtual double top() const = 0;
    virtual double width() const = 0;
    virtual double height() const = 0;
    virtual void setLeft(double twips) = 0;
    virtual void setTop(double twips) = 0;
    virtual void setWidth(double twips) = 0;
    virtual void setHeight(double twips) = 0;
    virtual ScreenAreas screens() const { return {}; }
    virtual void ShowConfiguration() = 0;
};

inline const QString StoreApplication = QStringLiteral("VelmarBoard");

// "/GET": the main window's position and the configuration from the store (each value set as
// soon as it is read; a value that does not convert keeps the member as it was; once the four
// position keys are read, a place off every screen is moved by placeRestoredWindow), then the
// configuration summary. In any case EchoComms from "/E".
void RestoreSettings(ProgramState& state, SettingsStore& store, MainWindowPlacement& window);
// "/SAVE": position, then configuration. A store that cannot be written ends the save at the
// failing key; the failure is returned for the caller to report once the step is over.
std::optional<WriteFailure> SaveSettings(const ProgramState& state, SettingsStore& store,
                                         const MainWindowPlacement& window);
// The box a failed save shows: "An Error Occurred While Writing This File.", the store's file
// and "(Error 75: reason)".
QString saveFailureText(const WriteFailure& failure);
// "/DEL": both sections.
void DeleteSavedSettings(const ProgramState& state, SettingsStore& store);
// "/T:" followed by digits sets TimeOut (1 when no digit follows).
void ReadTimeOutSwitch(ProgramState& state);

}  // namespace rq

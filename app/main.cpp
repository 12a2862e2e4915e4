// RQ3118 evaluation software: start-up of the port and a window that reports it.
#include <QApplication>
#include <QListWidget>
#include <QMainWindow>
#include <QMessageBox>

#include "BasicText.h"
#include "PpdevPort.h"
#include "ProgramState.h"
#include "SimBoard.h"
#include "WindowsVersion.h"

namespace {

class WidgetMessageBoxes : public rq::MessageBoxes {
public:
    rq::MsgResult show(const QString& text, const QString& title, rq::MsgIcon icon,
                       rq::MsgButtons buttons) override {
        QMessageBox box(icon == rq::MsgIcon::Exclamation   ? QMessageBox::Warning
                        : icon == rq::MsgIcon::Critical    ? QMessageBox::Critical
                        : icon == rq::MsgIcon::Information ? QMessageBox::Information
                        : icon == rq::MsgIcon::Question    ? QMessageBox::Question
                                                           : QMessageBox::NoIcon,
                        title.isEmpty() ? QStringLiteral("RQ3118") : title, text);
        if (buttons == rq::MsgButtons::RetryCancel) {
            box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        } else if (buttons == rq::MsgButtons::OkCancel) {
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        }
        const int r = box.exec();
        return r == QMessageBox::Cancel  ? rq::MsgResult::Cancel
               : r == QMessageBox::Retry ? rq::MsgResult::Retry
                                         : rq::MsgResult::Ok;
    }
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    rq::ProgramState state;
    state.commandLine = rq::CommandLine::fromArguments(QCoreApplication::arguments());
    WidgetMessageBoxes boxes;
    // "/SIM": the simulated board instead of a printer port.
    const bool simulated = state.commandLine.has(QStringLiteral("/SIM"));
    std::unique_ptr<rq::ParallelPortLibrary> port =
        simulated ? std::unique_ptr<rq::ParallelPortLibrary>(std::make_unique<rq::SimBoard>())
                  : rq::makeSystemPort();

    rq::InitialisePort(state, *port, boxes, rq::queryPlatformVersion());
    rq::PrepareControlRegister(state, *port);
    rq::applyStartValues(state);

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("RQ3118 Evaluation Software"));
    auto* list = new QListWidget(&window);
    list->addItem(QStringLiteral("Operating system: ") + state.OSVersion);
    list->addItem(simulated ? QStringLiteral("Board: simulated")
                            : QStringLiteral("Board: printer port"));
    list->addItem(QStringLiteral("Port address: 0x") + rq::hexPadded(state.PortAddress, 3, 16));
    window.setCentralWidget(list);
    window.resize(631, 478);
    window.show();
    const int rc = app.exec();
    rq::ReleasePort(*port);
    return rc;
}

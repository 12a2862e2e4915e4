#pragma once

// What the widget tests of the controls share: one QApplication on the offscreen platform, and
// a PNG of a widget saved into the build folder for a person to look at.
#include <gtest/gtest.h>

#include <QApplication>
#include <QString>
#include <QWidget>

namespace rq::test {

inline QApplication& widgetApp() {
    static int argc = 1;
    static char name[] = "rq_widget_test";
    static char* argv[] = {name, nullptr};
    if (qApp == nullptr) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        new QApplication(argc, argv);  // lives to the end of the program
    }
    return *static_cast<QApplication*>(QCoreApplication::instance());
}

class WidgetTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { widgetApp(); }
};

// Saves the widget as it is drawn into the test's working folder (the build folder).
inline bool savePng(QWidget* widget, const QString& fileName) {
    return widget->grab().save(fileName, "PNG");
}

}  // namespace rq::test

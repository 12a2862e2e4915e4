#pragma once

#include <QDialog>
#include <optional>

#include "figures/ReportFields.h"

class QLineEdit;

namespace rq {
class SettingsStore;
}

namespace rq::figures {

// "Test Report": the device fields and an optional limits file for a report. The line edits are
// named serial, operatorName, temperature, notes and limitsFile, the button browseLimits.
class ReportFieldsDialog : public QDialog {
    Q_OBJECT
public:
    explicit ReportFieldsDialog(QWidget* parent = nullptr);

    ReportFields fields() const;
    void setFields(const ReportFields& fields);

private Q_SLOTS:
    void browseLimits();

private:
    QLineEdit* m_serial;
    QLineEdit* m_operator;
    QLineEdit* m_temperature;
    QLineEdit* m_notes;
    QLineEdit* m_limitsFile;
};

// Asks for the report's fields, starting from those last given (application "RQ3118", section
// "ConverterFigures" of the store), and keeps them there on OK; none on Cancel. A store that
// cannot keep them is told in a message box, and the fields are still returned.
std::optional<ReportFields> askReportFields(QWidget* parent, rq::SettingsStore& store);

}  // namespace rq::figures

#include "figurewindow/ReportFieldsDialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/AtomicFile.h"
#include "config/SettingsStore.h"

namespace rq::figures {

namespace {

const QString Application = QStringLiteral("RQ3118");
const QString Section = QStringLiteral("ConverterFigures");

QLineEdit* lineEdit(QWidget* parent, const char* name, const QString& placeholder) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setPlaceholderText(placeholder);
    edit->setClearButtonEnabled(true);
    return edit;
}

}  // namespace

ReportFieldsDialog::ReportFieldsDialog(QWidget* parent)
    : QDialog(parent),
      m_serial(lineEdit(this, "serial", QStringLiteral("as on the board's label"))),
      m_operator(lineEdit(this, "operatorName", QString())),
      m_temperature(lineEdit(this, "temperature", QStringLiteral("e.g. 25 °C"))),
      m_notes(lineEdit(this, "notes", QString())),
      m_limitsFile(lineEdit(this, "limitsFile", QStringLiteral("none: no verdict"))) {
    setWindowTitle(QStringLiteral("Test Report"));
    setObjectName(QStringLiteral("reportFieldsDialog"));

    auto* browse = new QPushButton(QStringLiteral("&Browse..."), this);
    browse->setObjectName(QStringLiteral("browseLimits"));
    connect(browse, &QPushButton::clicked, this, &ReportFieldsDialog::browseLimits);
    auto* limitsRow = new QHBoxLayout;
    limitsRow->addWidget(m_limitsFile, 1);
    limitsRow->addWidget(browse);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Serial number:"), m_serial);
    form->addRow(QStringLiteral("&Operator:"), m_operator);
    form->addRow(QStringLiteral("&Temperature:"), m_temperature);
    form->addRow(QStringLiteral("&Notes:"), m_notes);
    // A row of a layout takes no buddy by itself; the label needs one for its mnemonic.
    auto* limitsLabel = new QLabel(QStringLiteral("&Limits file:"), this);
    limitsLabel->setBuddy(m_limitsFile);
    form->addRow(limitsLabel, limitsRow);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(420);
}

ReportFields ReportFieldsDialog::fields() const {
    return {m_serial->text(), m_operator->text(), m_temperature->text(), m_notes->text(),
            m_limitsFile->text()};
}

void ReportFieldsDialog::setFields(const ReportFields& fields) {
    m_serial->setText(fields.serial);
    m_operator->setText(fields.operatorName);
    m_temperature->setText(fields.temperature);
    m_notes->setText(fields.notes);
    m_limitsFile->setText(fields.limitsFile);
}

void ReportFieldsDialog::browseLimits() {
    const QString name =
        QFileDialog::getOpenFileName(this, QStringLiteral("Limits File"), m_limitsFile->text(),
                                     QStringLiteral("Limits files (*.lim *.txt);;All files (*)"));
    if (!name.isEmpty()) {
        m_limitsFile->setText(name);
    }
}

std::optional<ReportFields> askReportFields(QWidget* parent, rq::SettingsStore& store) {
    const auto get = [&](const char* key) {
        return store.get(Application, Section, QString::fromLatin1(key), QString());
    };
    ReportFieldsDialog dialog(parent);
    dialog.setFields({get("ReportSerial"), get("ReportOperator"), get("ReportTemperature"),
                      get("ReportNotes"), get("ReportLimits")});
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const ReportFields fields = dialog.fields();
    try {
        for (const auto& [key, value] : {std::pair{"ReportSerial", &fields.serial},
                                         std::pair{"ReportOperator", &fields.operatorName},
                                         std::pair{"ReportTemperature", &fields.temperature},
                                         std::pair{"ReportNotes", &fields.notes},
                                         std::pair{"ReportLimits", &fields.limitsFile}}) {
            store.save(Application, Section, QString::fromLatin1(key), *value);
        }
    } catch (const rq::WriteFailure& e) {
        QMessageBox::warning(parent, QStringLiteral("Test Report"),
                             QStringLiteral("The report's fields could not be kept in %1: %2")
                                 .arg(e.path(), e.reason()));
    }
    return fields;
}

}  // namespace rq::figures

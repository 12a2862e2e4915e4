#include "host/WidgetHost.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStringList>

namespace rq {

QString WidgetMessageBoxes::displayText(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    return shown;
}

MsgResult WidgetMessageBoxes::show(const QString& text, const QString& title, MsgIcon icon,
                                   MsgButtons buttons) {
    QMessageBox box(m_parent);
    box.setWindowTitle(title.isEmpty() ? QStringLiteral("RQ3118") : title);
    box.setText(displayText(text));
    switch (icon) {
        case MsgIcon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
        case MsgIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case MsgIcon::Exclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case MsgIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MsgIcon::None:
            break;
    }
    switch (buttons) {
        case MsgButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MsgButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case MsgButtons::AbortRetryIgnore:
            box.setStandardButtons(QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
            break;
        case MsgButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
        case MsgButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case MsgButtons::RetryCancel:
            box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Cancel:
            return MsgResult::Cancel;
        case QMessageBox::Abort:
            return MsgResult::Abort;
        case QMessageBox::Retry:
            return MsgResult::Retry;
        case QMessageBox::Ignore:
            return MsgResult::Ignore;
        case QMessageBox::Yes:
            return MsgResult::Yes;
        case QMessageBox::No:
            return MsgResult::No;
        default:
            // Closing a box without a Cancel button answers its only button.
            return buttons == MsgButtons::RetryCancel || buttons == MsgButtons::OkCancel
                       ? MsgResult::Cancel
                       : MsgResult::Ok;
    }
}

QString WidgetFileDialogs::qtFilter(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts.at(i + 1);
        pattern.replace(QStringLiteral("*.*"), QStringLiteral("*")).replace(u';', u' ');
        out << QStringLiteral("%1 (%2)").arg(parts.at(i), pattern);
    }
    return out.join(QStringLiteral(";;"));
}

QString WidgetFileDialogs::defaultSuffix(const QString& qtFilterEntry) {
    const qsizetype open = qtFilterEntry.lastIndexOf(u'(');
    const qsizetype close = qtFilterEntry.lastIndexOf(u')');
    if (open < 0 || close < open) {
        return QString();
    }
    const QString pattern = qtFilterEntry.mid(open + 1, close - open - 1).trimmed();
    static const QRegularExpression oneExtension(QStringLiteral("^\\*\\.([A-Za-z0-9_]+)$"));
    const QRegularExpressionMatch match = oneExtension.match(pattern);
    return match.hasMatch() ? match.captured(1) : QString();
}

std::optional<QString> WidgetFileDialogs::run(QFileDialog& dialog) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (!m_folder.isEmpty()) {
        dialog.setDirectory(m_folder);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    m_folder = dialog.directory().absolutePath();
    const QString name = dialog.selectedFiles().constFirst();
    if (name.isEmpty()) {
        return std::nullopt;
    }
    return name;
}

std::optional<QString> WidgetFileDialogs::openFile(const QString& title, const QString& filter) {
    QFileDialog dialog(m_parent, title, QString(), qtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return run(dialog);
}

std::optional<QString> WidgetFileDialogs::saveFile(const QString& title, const QString& filter,
                                                   bool promptOverwrite) {
    QFileDialog dialog(m_parent, title, QString(), qtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !promptOverwrite);
    // The dialog adds the suffix to the typed name before its overwrite question.
    const auto follow = [&dialog](const QString& chosen) {
        dialog.setDefaultSuffix(defaultSuffix(chosen));
    };
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, follow);
    follow(dialog.selectedNameFilter());
    return run(dialog);
}

void SystemBeeper::beep() {
    QApplication::beep();
}

}  // namespace rq

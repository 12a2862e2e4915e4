#include "WidgetHost.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
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

std::optional<QString> WidgetFileDialogs::openFile(const QString& title, const QString& filter) {
    const QString name = QFileDialog::getOpenFileName(m_parent, title, QString(), qtFilter(filter));
    if (name.isEmpty()) {
        return std::nullopt;
    }
    return name;
}

std::optional<QString> WidgetFileDialogs::saveFile(const QString& title, const QString& filter,
                                                   bool promptOverwrite) {
    const QString name = QFileDialog::getSaveFileName(
        m_parent, title, QString(), qtFilter(filter), nullptr,
        promptOverwrite ? QFileDialog::Options() : QFileDialog::DontConfirmOverwrite);
    if (name.isEmpty()) {
        return std::nullopt;
    }
    return name;
}

void SystemBeeper::beep() {
    QApplication::beep();
}

}  // namespace rq

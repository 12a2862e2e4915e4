#include "common/NumberedError.h"

namespace rq {

NumberedError::NumberedError(int number, QString source, QString description)
    : std::runtime_error(
          QStringLiteral("%1 (%2): %3").arg(number).arg(source, description).toStdString()),
      m_number(number),
      m_source(std::move(source)),
      m_description(std::move(description)) {}

QString runtimeErrorDescription(int number) {
    switch (number) {
        case RuntimeError::InvalidCall:
            return QStringLiteral("Invalid procedure call or argument");
        case RuntimeError::Overflow:
            return QStringLiteral("Overflow");
        case RuntimeError::SubscriptOutOfRange:
            return QStringLiteral("Subscript out of range");
        case RuntimeError::DivisionByZero:
            return QStringLiteral("Division by zero");
        case RuntimeError::TypeMismatch:
            return QStringLiteral("Type mismatch");
        case RuntimeError::FileNotFound:
            return QStringLiteral("File not found");
        case RuntimeError::InputPastEndOfFile:
            return QStringLiteral("Input past end of file");
        case RuntimeError::PathFileAccess:
            return QStringLiteral("Path/File access error");
        case RuntimeError::DialogCancelled:
            return QStringLiteral("Cancel was selected.");
        default:
            return QStringLiteral("Application-defined or object-defined error");
    }
}

NumberedError runtimeError(int number) {
    return NumberedError(number, QStringLiteral("RQ3118"), runtimeErrorDescription(number));
}

}  // namespace rq

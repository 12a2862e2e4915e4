#pragma once

#include <QString>
#include <stdexcept>

namespace rq {

// A failure that crosses a layer: its number, the source that raised it and its description.
// Each layer catches the one below and raises its own number, as the board protocol does.
class NumberedError : public std::runtime_error {
public:
    NumberedError(int number, QString source, QString description);

    int number() const { return m_number; }
    const QString& source() const { return m_source; }
    const QString& description() const { return m_description; }

private:
    int m_number;
    QString m_source;
    QString m_description;
};

// The usual run-time numbers the program relies on.
namespace RuntimeError {
constexpr int InvalidCall = 5;
constexpr int Overflow = 6;
constexpr int SubscriptOutOfRange = 9;
constexpr int DivisionByZero = 11;
constexpr int TypeMismatch = 13;
constexpr int FileNotFound = 53;
constexpr int DeviceIo = 57;  // an instrument that failed
constexpr int InputPastEndOfFile = 62;
constexpr int PathFileAccess = 75;
constexpr int DialogCancelled = 32755;
}  // namespace RuntimeError

// A run-time error with its standard description and the program as its source.
NumberedError runtimeError(int number);
QString runtimeErrorDescription(int number);

}  // namespace rq

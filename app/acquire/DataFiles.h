#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "common/HostInterfaces.h"
#include "state/ProgramState.h"

// Raw sample data files and FFT data files (one value per line, "0.000000", CR LF) and binary
// data files (sixteen "1"/"0" per line, bit 15 first, CR LF).
namespace rq {

// The most items a data file may hold.
constexpr int MaxDataItems = 32767;

struct DataValues {
    std::vector<double> values;
    double MaxValue = -6666666.0;
    double MinValue = 6666666.0;
    int notNumbers = 0;  // items with no leading number (empty ones too), read as 0
};

// Reads every item of a data file as a number (lenient: an item without a number reads 0, and
// is counted).
// Raises 53 / 75 when the file cannot be read, 62 when it holds no item, 6 past 32767 items.
DataValues readDataValues(const QString& path);

// One value per line with the pattern "0.000000". Written whole or not at all (AtomicFile): a
// failed save leaves any previous file as it was and raises WriteFailure (75, with the reason).
void writeDataValues(const QString& path, const std::vector<double>& values);

// Bits 15 down to 0 of a code rounded to a whole number (halves to even).
QString binaryLine(double code);
void writeBinaryCodes(const QString& path, const std::vector<double>& codes);

// The dialog settings the file menus use.
inline const QString DataFileFilter = QStringLiteral("DAT Files|*.dat|All Files|*.*");

// Result codes of the file operations with dialogs.
namespace FileResult {
constexpr int16_t Done = 0;
constexpr int16_t Cancelled = 1;
constexpr int16_t Failed = 2;
}  // namespace FileResult

// A raw sample data file into the record: its codes, MaxValue / MinValue and the record-length
// index from the item count. Raises what readDataValues raises, leaving the record as it was.
void loadDataRecord(ProgramState& state, const QString& path);
// "Load A Data File": the record's codes, MaxValue / MinValue and the record-length index from
// the item count. A file that cannot be read is reported and leaves the record as it was.
int16_t LoadDataFile(ProgramState& state, FileDialogs& dialogs, MessageBoxes& boxes);
// "Save FFT Data" (shared by raw records and spectra): writes every value it is given.
int16_t SaveDataFile(const std::vector<double>& data, FileDialogs& dialogs, MessageBoxes& boxes);
int16_t SaveBinaryFile(const std::vector<double>& data, FileDialogs& dialogs, MessageBoxes& boxes);
// "Load an FFT File", with a Retry/Cancel question for a file that cannot be read.
int16_t LoadFFTFile(ProgramState& state, FileDialogs& dialogs, MessageBoxes& boxes);

// The menu actions: each refuses with "There is no data to save." before a record exists.
int16_t saveRawData(ProgramState& state, FileDialogs& dialogs, MessageBoxes& boxes);
int16_t saveSpectrum(ProgramState& state, FileDialogs& dialogs, MessageBoxes& boxes);
int16_t saveBinaryData(ProgramState& state, FileDialogs& dialogs, MessageBoxes& boxes);

}  // namespace rq

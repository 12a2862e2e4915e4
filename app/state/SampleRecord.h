#pragma once

#include <vector>

namespace rq {

// The current record, shared by capture, files, charts and analysis: output codes, the same in
// volts, and the dB spectrum. "Dimensioned" marks an array that has held a record, so a save of
// nothing can be told from a save of an empty array.
struct SampleRecord {
    std::vector<double> SampleData;
    std::vector<double> VoltsData;
    std::vector<double> FFTData;
    bool sampleDimensioned = false;
    bool fftDimensioned = false;
    bool HoldZoom = false;   // plotting keeps the charts' present ranges
    bool ZoomReset = false;  // the record length changed: the next plot resets the x-ranges
    // Items of the file the record was loaded from that held no number (read as 0).
    int loadedNotNumbers = 0;
};

}  // namespace rq

#pragma once

#include <QString>
#include <cstdint>

namespace rq {

// What the program knows about the converter on the board and the acquisition chosen: a plain
// record with no checks. Every member starts at zero, false or empty; the program's start-up
// gives the live record its start values. Each member is read and written as it stands, so
// plain public members serve as both the fields and the get/set property pairs.
class Settings {
public:
    // Fields
    QString PartName;
    QString EXEName;
    int16_t NumberOfBits = 0;
    double InputSpan = 0.0;    // declared for the record's layout; nothing uses it
    double InputOffset = 0.0;  // likewise
    double InputVMax = 0.0;
    double InputVMin = 0.0;
    bool EchoComms = false;
    double MaxValue = 0.0;
    double MinValue = 0.0;

    // Properties
    int32_t TimeOut = 0;
    bool DataLoaded = false;
    bool DisplayMode = false;
    bool ProgramLoaded = false;
    int32_t Max_Frequency = 0;
    int16_t DataFormat = 0;       // 0 straight binary, 1 two's complement
    int16_t NumberOfSamples = 0;  // record length index: 256 * 2^n samples
    int32_t SampleFreq = 0;

    // Copies the members the setup window snapshots and restores, in this order: DataFormat,
    // EXEName, InputVMin, InputVMax, NumberOfBits, NumberOfSamples, PartName, SampleFreq,
    // ProgramLoaded.
    static void copySetupSubset(const Settings& from, Settings& to);
};

}  // namespace rq

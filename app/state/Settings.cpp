#include "state/Settings.h"

namespace rq {

void Settings::copySetupSubset(const Settings& from, Settings& to) {
    to.DataFormat = from.DataFormat;
    to.EXEName = from.EXEName;
    to.InputVMin = from.InputVMin;
    to.InputVMax = from.InputVMax;
    to.NumberOfBits = from.NumberOfBits;
    to.NumberOfSamples = from.NumberOfSamples;
    to.PartName = from.PartName;
    to.SampleFreq = from.SampleFreq;
    to.ProgramLoaded = from.ProgramLoaded;
}

}  // namespace rq

// The example configuration's load as the benchmarks and the soak run it: the example program,
// at the record length they measure.
#pragma once

#include "config/ConfigurationLoad.h"

class ExampleLoad : public rq::ConfigurationLoadHost {
public:
    explicit ExampleLoad(int16_t samplesIndex) : m_samplesIndex(samplesIndex) {}
    void configurationRead(rq::Settings& s) override {
        s.EXEName = QStringLiteral(RQ_EXAMPLES_DIR "/VMB.EXE");
        s.NumberOfSamples = m_samplesIndex;
    }

private:
    int16_t m_samplesIndex;
};

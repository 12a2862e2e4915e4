#pragma once

// QCustomPlot's header uses the Qt keywords the build turns off; this lends them for the include.
#define signals Q_SIGNALS
#define foreach Q_FOREACH
#include <qcustomplot.h>
#undef signals
#undef foreach

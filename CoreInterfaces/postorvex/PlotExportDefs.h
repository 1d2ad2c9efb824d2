// What a caller chooses when a report's plot data is written to a file.
#pragma once

#include <map>

#include "orvex/core/AString.h"
#include "orvex/values/Units.h"

namespace PlotExportDefs {

// How a complex trace is laid out in a data table.
enum DataTableTraceComplexFormat { kRealImag, kMagPhase, kDbPhase };

// The unit each quantity is shown in, by quantity name.
using DisplayUnits = std::map<AString, Units::FullUnitType, AString::NoCaseLess>;

}  // namespace PlotExportDefs

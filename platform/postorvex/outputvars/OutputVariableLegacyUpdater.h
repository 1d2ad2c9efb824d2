// Rewrites output-variable texts written in older forms; the stand-in knows no older form.
#pragma once

#include <vector>

#include "orvex/core/OrvexApi.h"

class IValueParser;
class OutputVariable;

class POSTORVEX_API OutputVariableLegacyUpdater {
public:
  // True, with the variable unchanged.
  static bool UpdateLegacyText(OutputVariable* variable, const std::vector<IValueParser*>& parsers, void* context);
};

#include "postorvex/outputvars/OutputVariableLegacyUpdater.h"

bool OutputVariableLegacyUpdater::UpdateLegacyText(OutputVariable*, const std::vector<IValueParser*>&, void*) {
  return true;
}

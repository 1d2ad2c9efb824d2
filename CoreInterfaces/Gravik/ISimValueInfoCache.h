// Gives every simulated quantity of a solution one stable ID: the quantity information cache.
#pragma once

#include "orvex/core/AString.h"

class SimValueParams;
class DesignSolutionDefinition;

class ISimValueInfoCache {
public:
  virtual ~ISimValueInfoCache() = default;  // 0
  // The quantity's ID at that context version, with its parameters copied into `params`;
  // id::invalidID, and `params` untouched, when the solution does not know the quantity or it
  // can have no ID (a composite quantity).
  virtual long GetSimValueID(SimValueParams& params, const AString& quantity, const DesignSolutionDefinition& dsd,
                             long versionID) = 0;  // 1
};

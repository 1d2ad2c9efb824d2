// The solution-value cache of a project as the host sees it: files, invalidation, deletion.
#pragma once

#include <set>

#include "Gravik/ISimValueDataCache.h"
#include "Gravik/ISimValueInfoCache.h"
#include "orvex/core/AString.h"

namespace io {
class CBlock;
}
class IVelmorCommand;
class ReportTypeSolutionDefinition;
class VariableValues;

class ISimValueCache {
public:
  typedef std::set<AString, AString::NoCaseLess> QuantityNames;

  virtual ~ISimValueCache() = default;                                          // 0
  virtual const ISimValueDataCache* GetISimValueDataCache() const = 0;          // 1
  virtual ISimValueDataCache* GetISimValueDataCacheForEdit() = 0;               // 2
  virtual const ISimValueInfoCache* GetISimValueInfoCache() const = 0;          // 3
  virtual ISimValueInfoCache* GetISimValueInfoCacheForEdit() = 0;               // 4
  // Reads the files named by "CacheHeaderFile" in the project block; always 0.
  virtual int ReadCacheFiles(const io::CBlock& projectBlock) = 0;               // 5
  // Writes the header and the minor-cache files and puts the header's name into the block.
  virtual bool WriteCacheFiles(io::CBlock& projectBlock) = 0;                   // 6
  // The data of the variation in every version that the target reaches through its parent load
  // definitions. With names, only those quantities' data is invalidated and nothing is deleted;
  // without (null or empty), the variation's branches are deleted.
  virtual void InvalidateDataForVariableValues(long designID, long solutionID, long targetVersionID,
                                               const ReportTypeSolutionDefinition& target,
                                               const VariableValues& variation,
                                               const QuantityNames* quantities = nullptr) = 0;  // 7
  virtual void DeleteDataForVariableValues(long designID, long solutionID, long versionID, unsigned reportType,
                                           const VariableValues& variation) = 0;              // 8
  virtual void DeleteSolutionData(long designID, long solutionID) = 0;                         // 9
  // A null command changes nothing; always true.
  virtual bool DeleteEntriesFlaggedBySolutionManager(IVelmorCommand* cmd) = 0;                // 10
  virtual void DeleteEntriesOfObsoleteVersions() = 0;                                          // 11
};

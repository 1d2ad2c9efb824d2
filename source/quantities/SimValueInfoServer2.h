// The type information of quantities, learned from solutions and kept per context version.
#pragma once

#include <memory>
#include <set>

#include "quantities/ContextVersionCacheT.h"
#include "quantities/QuantityInfoAtContextVersion.h"
#include "orvex/core/AString.h"
#include "orvex/io/ReadError.h"

namespace io {
class CBlock;
}
class BaseQuantityTypeParam;
class DesignSolutionDefinition;
class ISolutionManagerForReports;
class IVelmorCommand;

namespace rep {

// Asks a solution for a quantity's type parameter only when its context version has no answer
// yet, records the answer, and builds a fresh parameter from the record on every request.
class SimValueInfoServer2 {
public:
  typedef ContextVersionCacheT<QuantityInfoAtContextVersion> Cache;

  explicit SimValueInfoServer2(ISolutionManagerForReports* solMgr);
  ~SimValueInfoServer2();
  SimValueInfoServer2(const SimValueInfoServer2&) = delete;
  SimValueInfoServer2& operator=(const SimValueInfoServer2&) = delete;

  // False, and `out` untouched, when no parameter can be built; else `out` holds a new one.
  bool GetQuantityTypeParam(std::unique_ptr<BaseQuantityTypeParam>& out, const AString& quantity,
                            const DesignSolutionDefinition& dsd, long versionID);
  // A new parameter owned by the caller, or null. Without a record the cache's record of that
  // context version is used. The solution is asked at most once per name for one call, so a
  // quantity that its answer did not make buildable answers null; a composite that contains
  // itself answers null too.
  BaseQuantityTypeParam* CreateQuantityTypeParam(const AString& quantity, const DesignSolutionDefinition& dsd,
                                                 long versionID, QuantityInfoAtContextVersion* record);
  // Drops contexts and quantities that the command makes obsolete; always true.
  bool DeleteEntriesForCommand(const IVelmorCommand* cmd);

  // The "InfoServer2" block.
  bool WriteToBlock(io::CBlock& block) const;
  // An error when a record failed to read; what was read is kept.
  io::ReadError ReadFromBlock(const io::CBlock& block);

  bool IsEmpty() const { return m_cache.IsEmpty(); }
  const Cache& GetCache() const { return m_cache; }
  Cache& GetCacheForEdit() { return m_cache; }

private:
  struct BuildGuard {
    std::set<AString, AString::NoCaseLess> asked;     // names the solution was asked for
    std::set<AString, AString::NoCaseLess> building;  // names on the current build path
  };
  BaseQuantityTypeParam* Build(const AString& quantity, const DesignSolutionDefinition& dsd, long versionID,
                               QuantityInfoAtContextVersion* record, BuildGuard& guard);
  // Null when the record has nothing for the name.
  BaseQuantityTypeParam* BuildFromRecord(const AString& quantity, const DesignSolutionDefinition& dsd,
                                         long versionID, QuantityInfoAtContextVersion& record, BuildGuard& guard);
  // Asks the solution and records its answer; false when it knows nothing.
  bool AskSolutionAndRecord(const AString& quantity, const DesignSolutionDefinition& dsd, long versionID,
                            QuantityInfoAtContextVersion*& record);

  Cache m_cache;
  ISolutionManagerForReports* m_solMgr;  // not owned
};

}  // namespace rep

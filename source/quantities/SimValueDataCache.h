// The project's cache of simulated quantity values, per design, solution, context, version and variation.
#pragma once

#include <map>
#include <memory>
#include <set>

#include "quantities/ContextVersionCacheT.h"
#include "quantities/SweepPointsStore.h"
#include "Gravik/ISimValueCache.h"
#include "orvex/core/AString.h"
#include "postorvex/solution/ReportTypeSolutionDefinition.h"

class ConnectedVVObject;
class IManagedFileService;
class ISolutionManagerForReports;
class MinorVVsCache;
class VVLeafData;

namespace rep {

class SimValueCacheSave;
class SimValueInfoServer;

// The values live in the post-processing library's objects: per version a ConnectedVVObject over
// the major variables whose leaves are MinorVVsCache objects (owned here), which keep per sweep
// variable a ConnectedVVObject of MinorSweepCache leaves. The cache also owns the project's
// quantity information, under whose IDs the values are stored, and writes both to files.
class SimValueDataCache : public ISimValueCache, public ISimValueDataCache {
public:
  // A version's connectivity owns the MinorVVsCache at each of its points. Freeing an entry
  // invalidates them before they go; destroying the cache does not.
  struct RecordTraits {
    static void Destroy(ConnectedVVObject* majors);
    static void Free(ConnectedVVObject* majors);
  };
  typedef ContextVersionCacheT<ConnectedVVObject, RecordTraits> Cache;
  typedef Cache::VersionMap VersionMap;
  typedef Cache::ContextMap ContextMap;
  typedef Cache::SolutionMap SolutionMap;
  typedef Cache::DesignMap DesignMap;

  explicit SimValueDataCache(ISolutionManagerForReports* solMgr);
  ~SimValueDataCache() override;
  SimValueDataCache(const SimValueDataCache&) = delete;
  SimValueDataCache& operator=(const SimValueDataCache&) = delete;

  // ISimValueCache
  const ISimValueDataCache* GetISimValueDataCache() const override { return this; }
  ISimValueDataCache* GetISimValueDataCacheForEdit() override { return this; }
  const ISimValueInfoCache* GetISimValueInfoCache() const override;
  ISimValueInfoCache* GetISimValueInfoCacheForEdit() override;
  int ReadCacheFiles(const io::CBlock& projectBlock) override;
  bool WriteCacheFiles(io::CBlock& projectBlock) override;
  void InvalidateDataForVariableValues(long designID, long solutionID, long targetVersionID,
                                       const ReportTypeSolutionDefinition& target, const VariableValues& variation,
                                       const QuantityNames* quantities = nullptr) override;
  void DeleteDataForVariableValues(long designID, long solutionID, long versionID, unsigned reportType,
                                   const VariableValues& variation) override;
  void DeleteSolutionData(long designID, long solutionID) override;
  bool DeleteEntriesFlaggedBySolutionManager(IVelmorCommand* cmd) override;
  void DeleteEntriesOfObsoleteVersions() override;

  // ISimValueDataCache. A sweep cache of the wrong kind for a special update answers null: it is
  // not updated, and one made for the call is not kept.
  MinorSweepCache* UpdateCacheForMinorSweepAtCurrVarVal(
      Variable* sweepVariable, bool special, const std::vector<Variable*>& majorVariables,
      const std::vector<Variable*>& minorVariables, const DesignSolutionDefinition& dsd, long versionID,
      Column& primaryValues, const std::vector<long>& quantityIDs, const std::vector<const Column*>& quantityValues,
      const AString& sourceTag) override;
  MinorSweepCache* UpdateCacheForMinorDoubleSpecialSweepAtCurrVarVal(
      Variable* sweepVariable, const std::vector<Variable*>& majorVariables,
      const std::vector<Variable*>& minorVariables, const DesignSolutionDefinition& dsd, long versionID,
      Column& primaryValues, const std::vector<long>& quantityIDs,
      const std::map<long, const CharColumn*>& interpolationOrders, const std::vector<const Column*>& quantityValues,
      const AString& sourceTag) override;
  MinorSweepCache* UpdateCacheForMajorPrimaryAtCurrVarVal(
      Variable* sweepVariable, const std::vector<Variable*>& majorVariables,
      const std::vector<Variable*>& minorVariables, const DesignSolutionDefinition& dsd, long versionID,
      Column& primaryValues, const std::vector<long>& quantityIDs, const std::vector<const Column*>& quantityValues,
      const AString& sourceTag) override;
  MinorSweepCache* UpdateCacheForMinorSpecialSweepWithInterpolationOrders(
      Variable* sweepVariable, const std::vector<Variable*>& majorVariables,
      const std::vector<Variable*>& minorVariables, const DesignSolutionDefinition& dsd, long versionID,
      Column& primaryValues, const std::vector<long>& quantityIDs,
      const std::map<long, const CharColumn*>& interpolationOrders, const std::vector<const Column*>& quantityValues,
      const AString& sourceTag) override;
  MinorSweepCache* UpdateCacheForMinorSpecialSweepWithPerQuantityPrimaries(
      Variable* sweepVariable, const std::vector<Variable*>& majorVariables,
      const std::vector<Variable*>& minorVariables, const DesignSolutionDefinition& dsd, long versionID,
      Column& commonPrimary, const std::vector<long>& quantityIDs,
      const std::map<long, Column*>& perQuantityPrimaries, const std::vector<const Column*>& quantityValues,
      const AString& sourceTag) override;
  MinorSweepCache* GetMinorSweepCacheAtCurrVarVals(Variable* sweepVariable,
                                                   const std::vector<Variable*>& majorVariables,
                                                   const DesignSolutionDefinition& dsd, long versionID) override;
  MinorVVsCache* GetMinorVVsCacheAtCurrVarVals(const std::vector<Variable*>& majorVariables,
                                               const DesignSolutionDefinition& dsd, long versionID) override;

  // The project's quantity information; replaced when the cache is cleared.
  SimValueInfoServer& GetInfoServer() { return *m_infoServer; }
  const DesignMap& GetDesignMap() const { return m_cache.GetDesignMap(); }
  const AString& GetHeaderFileName() const { return m_headerFile; }
  // Frees every solution entry (the design entries stay) and starts new quantity information.
  void ClearAll();
  // The solutions' sweep points, shared by the traces' updates; emptied with the solution data.
  SweepPointsStore& GetSweepPointsStore() { return m_sweepPoints; }

private:
  enum class SweepCacheKind { kAny, kSpecial, kDoubleSpecial };
  struct SweepCacheSlot {
    MinorSweepCache* cache = nullptr;
    ConnectedVVObject* sweepConnectivity = nullptr;
    bool created = false;  // made for this call, not yet in the sweep connectivity
  };

  // Version entry of a definition; every level is created when missing. Null, after an assertion,
  // for major variables other than the entry's.
  ConnectedVVObject* GetOrCreateVersionEntry(const std::vector<Variable*>& majorVariables,
                                             const DesignSolutionDefinition& dsd, long versionID);
  // Steps shared by the updates: the MinorVVsCache at the current values, the sweep variable's
  // connectivity in it and its sweep cache there, each made when missing. Null cache on failure.
  SweepCacheSlot FindOrMakeSweepCache(Variable* sweepVariable, bool special,
                                      const std::vector<Variable*>& majorVariables,
                                      const std::vector<Variable*>& minorVariables,
                                      const DesignSolutionDefinition& dsd, long versionID);
  // Adds a cache made for the call at the current values; null when that fails.
  MinorSweepCache* Settle(SweepCacheSlot& slot);
  // Drops a cache made for the call that turned out to be of the wrong kind.
  static void Discard(SweepCacheSlot& slot);
  // The steps of every update: finds or makes the sweep cache, casts it to the kind the update
  // needs (raising `wrongKind` and discarding it when it is another), lets `update` fill it and
  // settles it. Null when there is no cache of that kind.
  template <class Kind, class Update>
  MinorSweepCache* UpdateSweepCache(Variable* sweepVariable, bool special,
                                    const std::vector<Variable*>& majorVariables,
                                    const std::vector<Variable*>& minorVariables,
                                    const DesignSolutionDefinition& dsd, long versionID, const char* wrongKind,
                                    Update update);
  // The quantity's text, empty when the ID is unknown.
  AString QuantityText(long id) const;

  // The "SimValueCache" tree of the header file, each minor-cache file written by `save` and its
  // name added to `named`; false, at the first minor-cache file that is not written.
  bool BuildCacheBlock(io::CBlock& cache, SimValueCacheSave& save, std::set<AString>& named);
  // A save that did not replace the header: the project goes on naming the header on disk.
  bool SaveFailed(io::CBlock& projectBlock) const;
  // Reads the "SimValueCache" tree, adding to what is held.
  void ReadCacheBlock(const io::CBlock& cache);
  IManagedFileService* FileService() const;

  Cache m_cache;                                     // design, solution, context, version -> owned entry
  ISolutionManagerForReports* m_solMgr;              // not owned
  std::unique_ptr<SimValueInfoServer> m_infoServer;  // the project's quantity information
  AString m_headerFile;                              // empty until first written or read
  bool m_headerOnDisk = false;                       // a header of that name was written or read
  std::set<AString> m_minorFilesOnDisk;              // the minor-cache files that header names
  SweepPointsStore m_sweepPoints;
};

}  // namespace rep

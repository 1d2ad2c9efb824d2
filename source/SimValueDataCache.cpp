#include "SimValueDataCache.h"

#include <algorithm>
#include <iterator>
#include <set>
#include <vector>

#include "CentUpdUtils.h"
#include "GravikUtils.h"
#include "NearlyEqual.h"
#include "SimValueInfoServer.h"
#include "hostapi/ISolutionContextObject.h"
#include "hostapi/ISolutionForReports.h"
#include "hostapi/ISolutionManagerForReports.h"
#include "orvex/centupd/IDerivedDataDefinition.h"
#include "orvex/core/Assert.h"
#include "orvex/core/IManagedFileService.h"
#include "orvex/core/Ids.h"
#include "orvex/io/Block.h"
#include "orvex/io/FileTokenStream.h"
#include "orvex/io/LongFileName.h"
#include "orvex/io/NamedValue.h"
#include "orvex/values/IVariableNameSpaceSetupper.h"
#include "orvex/values/VariableNameSpace.h"
#include "orvex/values/VariableValues.h"
#include "orvex/values/VariableValuesContext.h"
#include "postorvex/caches/MinorDoubleSpecialSweepCache.h"
#include "postorvex/caches/MinorVVsCache.h"
#include "postorvex/caches/PostpCacheUtils.h"
#include "postorvex/connectivity/CompositeVVObject.h"
#include "postorvex/connectivity/ConnectedVVObject.h"
#include "postorvex/quantities/SimValueParams.h"
#include "postorvex/solution/DesignSolutionDefinition.h"

namespace rep {

namespace {

const wchar_t kCacheDirectory[] = L"svcache";
const wchar_t kHeaderPrefix[] = L"HDR";
const wchar_t kCacheHeaderFile[] = L"CacheHeaderFile";
const wchar_t kSimValueCacheVersionID[] = L"SimValueCacheVersionID";
const wchar_t kSimValueInfos[] = L"SimValueInfos";
const wchar_t kSimValueCache[] = L"SimValueCache";
const wchar_t kDesignMap[] = L"DesignMap";
const wchar_t kDesignID[] = L"DesignID";
const wchar_t kSolutionMap[] = L"SolutionMap";
const wchar_t kContextMap[] = L"ContextMap";
const wchar_t kSolutionID[] = L"SolutionID";
const wchar_t kVersionMap[] = L"VersionMap";
const wchar_t kReportTypeSolnDef[] = L"ReportTypeSolnDef";
const wchar_t kReportType[] = L"ReportType";
const wchar_t kMajorVVMap[] = L"MajorVVMap";
const wchar_t kVersionID[] = L"VersionID";
const wchar_t kMinorVVMap[] = L"MinorVVMap";
const wchar_t kMajorVariation[] = L"MajorVariation";
const wchar_t kMinorCacheFile[] = L"MinorCacheFile";

const double kCacheVersion = 1.0;

// The two objects a solution builds for a context, deleted load definition first.
class ContextObjects {
public:
  ContextObjects(ISolutionForReports& solution, const ReportTypeSolutionDefinition& rtsd) {
    solution.BuildContextObjects(rtsd, m_context, m_loadDefinition);
  }
  ~ContextObjects() {
    delete m_loadDefinition;
    delete m_context;
  }
  ContextObjects(const ContextObjects&) = delete;
  ContextObjects& operator=(const ContextObjects&) = delete;
  IDerivedDataDefinition* LoadDefinition() const { return m_loadDefinition; }

private:
  ISolutionContextObject* m_context = nullptr;
  IDerivedDataDefinition* m_loadDefinition = nullptr;
};

MinorVVsCache* AsMinorVVsCache(VVLeafData* datum) { return dynamic_cast<MinorVVsCache*>(datum); }

// The variables of a variation, in its map's order.
std::vector<Variable*> VariablesOf(const VariableValues& values) {
  std::vector<Variable*> variables;
  for (const auto& entry : values.GetVariableValueMap()) variables.push_back(const_cast<Variable*>(entry.first));
  return variables;
}

bool SameVariables(const std::vector<Variable*>& a, const std::vector<Variable*>& b) {
  return std::set<Variable*>(a.begin(), a.end()) == std::set<Variable*>(b.begin(), b.end());
}

// The block children of a block, by position, whatever their names.
std::vector<const io::CBlock*> ChildBlocks(const io::CBlock& parent) {
  std::vector<const io::CBlock*> out;
  for (size_t i = 0; i < parent.GetNumItems(); ++i)
    if (const io::CBlock* b = parent.GetBlock(i)) out.push_back(b);
  return out;
}

template <class T>
bool ReadKey(const io::CBlock& block, const wchar_t* key, T& value) {
  block >> io::NamedValue(key, value);
  const bool found = block.Found();
  block.ResetFound();
  return found;
}

}  // namespace

SimValueDataCache::SimValueDataCache(ISolutionManagerForReports* solMgr)
    : m_solMgr(solMgr), m_infoServer(std::make_unique<SimValueInfoServer>(solMgr)) {}

SimValueDataCache::~SimValueDataCache() {
  for (auto& design : m_designs)
    for (auto& solution : design.second)
      for (auto& context : solution.second)
        for (auto& version : context.second) {
          std::list<VVLeafData*> data;
          version.second->GetAllData(data);
          for (VVLeafData* datum : data) delete datum;
          delete version.second;
        }
}

const ISimValueInfoCache* SimValueDataCache::GetISimValueInfoCache() const { return m_infoServer.get(); }

ISimValueInfoCache* SimValueDataCache::GetISimValueInfoCacheForEdit() { return m_infoServer.get(); }

IManagedFileService* SimValueDataCache::FileService() const {
  return m_solMgr ? m_solMgr->GetManagedFileService() : nullptr;
}

// ---- Freeing entries

void SimValueDataCache::FreeMinorCaches(const std::list<VVLeafData*>& removed) {
  for (VVLeafData* datum : removed) {
    MinorVVsCache* minorVVsCache = AsMinorVVsCache(datum);
    ORVEX_ASSERT(minorVVsCache);
    if (!minorVVsCache) {
      delete datum;
      continue;
    }
    minorVVsCache->Invalidate();
    delete minorVVsCache;
  }
}

void SimValueDataCache::FreeVersionEntry(VersionMap& versions, VersionMap::iterator entry) {
  std::list<VVLeafData*> data;
  entry->second->GetAllData(data);
  FreeMinorCaches(data);
  delete entry->second;
  versions.erase(entry);
}

void SimValueDataCache::FreeContextEntry(ContextMap& contexts, ContextMap::iterator entry) {
  VersionMap& versions = entry->second;
  while (!versions.empty()) FreeVersionEntry(versions, versions.begin());
  contexts.erase(entry);
}

void SimValueDataCache::FreeSolutionEntry(SolutionMap& solutions, SolutionMap::iterator entry) {
  ContextMap& contexts = entry->second;
  while (!contexts.empty()) FreeContextEntry(contexts, contexts.begin());
  solutions.erase(entry);
}

void SimValueDataCache::ClearAll() {
  for (auto& design : m_designs) {
    SolutionMap& solutions = design.second;
    while (!solutions.empty()) FreeSolutionEntry(solutions, solutions.begin());
  }
  m_infoServer = std::make_unique<SimValueInfoServer>(m_solMgr);
}

AString SimValueDataCache::QuantityText(long id) const {
  SimValueParams params;
  if (!m_infoServer->GetSimValueParams(params, id)) return AString();
  return params.GetQuantityText();
}

// ---- Updates and lookups

ConnectedVVObject* SimValueDataCache::GetOrCreateVersionEntry(const std::vector<Variable*>& majorVariables,
                                                              const DesignSolutionDefinition& dsd, long versionID) {
  VersionMap& versions = m_designs[dsd.GetDesignID()][dsd.GetSolutionID()][dsd.GetReportTypeSolutionDefinitionRef()];
  ConnectedVVObject*& entry = versions[versionID];
  if (!entry) entry = ConnectedVVObject::CreateConnectedVVObject(majorVariables);
  return entry;
}

SimValueDataCache::SweepCacheSlot SimValueDataCache::FindOrMakeSweepCache(
    Variable* sweepVariable, bool special, const std::vector<Variable*>& majorVariables,
    const std::vector<Variable*>& minorVariables, const DesignSolutionDefinition& dsd, long versionID) {
  SweepCacheSlot slot;
  ConnectedVVObject* majors = GetOrCreateVersionEntry(majorVariables, dsd, versionID);
  if (!majors) return slot;

  VVLeafData* leaf = majors->GetLeafDataAtCurrVarVals();
  MinorVVsCache* minorVVsCache = AsMinorVVsCache(leaf);
  if (leaf && !minorVVsCache) {
    ORVEX_ASSERT(0);
    return slot;
  }
  if (!minorVVsCache) {
    minorVVsCache = new MinorVVsCache(FileService());
    majors->AddPointAtCurrVarVals(minorVVsCache, false);
    // Without current values for every major variable nothing was added.
    if (majors->GetLeafDataAtCurrVarVals() != minorVVsCache) {
      delete minorVVsCache;
      return slot;
    }
  }

  ConnectedVVObject* sweeps = minorVVsCache->GetConnectivityForSweepVar(sweepVariable);
  if (!sweeps) {
    sweeps = ConnectedVVObject::CreateConnectedVVObject(minorVariables);
    minorVVsCache->AddConnectivityForSweepVar(sweepVariable, sweeps);
  }
  slot.sweepConnectivity = sweeps;
  VVLeafData* sweepLeaf = sweeps->GetLeafDataAtCurrVarVals();
  slot.cache = dynamic_cast<MinorSweepCache*>(sweepLeaf);
  if (sweepLeaf && !slot.cache) {
    ORVEX_ASSERT(0);
    return slot;
  }
  if (!slot.cache) {
    slot.cache = postp::CreateMinorSweepCacheForType(sweepVariable, FileService(), special);
    slot.created = slot.cache != nullptr;
  }
  return slot;
}

MinorSweepCache* SimValueDataCache::Settle(SweepCacheSlot& slot) {
  if (!slot.created) return slot.cache;
  slot.sweepConnectivity->AddPointAtCurrVarVals(slot.cache, false);
  if (slot.sweepConnectivity->GetLeafDataAtCurrVarVals() == slot.cache) return slot.cache;
  Discard(slot);
  return nullptr;
}

void SimValueDataCache::Discard(SweepCacheSlot& slot) {
  if (slot.created) delete slot.cache;
  slot.cache = nullptr;
}

MinorSweepCache* SimValueDataCache::UpdateCacheForMinorSweepAtCurrVarVal(
    Variable* sweepVariable, bool special, const std::vector<Variable*>& majorVariables,
    const std::vector<Variable*>& minorVariables, const DesignSolutionDefinition& dsd, long versionID,
    Column& primaryValues, const std::vector<long>& quantityIDs, const std::vector<const Column*>& quantityValues,
    const AString& sourceTag) {
  SweepCacheSlot slot = FindOrMakeSweepCache(sweepVariable, special, majorVariables, minorVariables, dsd, versionID);
  if (!slot.cache) return nullptr;
  slot.cache->Update(primaryValues, false, quantityIDs, quantityValues, sourceTag);
  return Settle(slot);
}

MinorSweepCache* SimValueDataCache::UpdateCacheForMajorPrimaryAtCurrVarVal(
    Variable* sweepVariable, const std::vector<Variable*>& majorVariables,
    const std::vector<Variable*>& minorVariables, const DesignSolutionDefinition& dsd, long versionID,
    Column& primaryValues, const std::vector<long>& quantityIDs, const std::vector<const Column*>& quantityValues,
    const AString& sourceTag) {
  SweepCacheSlot slot = FindOrMakeSweepCache(sweepVariable, false, majorVariables, minorVariables, dsd, versionID);
  if (!slot.cache) return nullptr;
  slot.cache->Update(primaryValues, true, quantityIDs, quantityValues, sourceTag);
  return Settle(slot);
}

MinorSweepCache* SimValueDataCache::UpdateCacheForMinorDoubleSpecialSweepAtCurrVarVal(
    Variable* sweepVariable, const std::vector<Variable*>& majorVariables,
    const std::vector<Variable*>& minorVariables, const DesignSolutionDefinition& dsd, long versionID,
    Column& primaryValues, const std::vector<long>& quantityIDs,
    const std::map<long, const CharColumn*>& interpolationOrders, const std::vector<const Column*>& quantityValues,
    const AString& sourceTag) {
  SweepCacheSlot slot = FindOrMakeSweepCache(sweepVariable, true, majorVariables, minorVariables, dsd, versionID);
  auto* doubleSpecial = dynamic_cast<MinorDoubleSpecialSweepCache*>(slot.cache);
  if (!doubleSpecial) {
    if (slot.cache) ORVEX_ASSERT(!ACHAR("Supported only for minor, special and double-param-type primary"));
    Discard(slot);
    return nullptr;
  }
  doubleSpecial->UpdateSpecial(primaryValues, quantityIDs, interpolationOrders, quantityValues, sourceTag);
  return Settle(slot);
}

MinorSweepCache* SimValueDataCache::UpdateCacheForMinorSpecialSweepWithInterpolationOrders(
    Variable* sweepVariable, const std::vector<Variable*>& majorVariables,
    const std::vector<Variable*>& minorVariables, const DesignSolutionDefinition& dsd, long versionID,
    Column& primaryValues, const std::vector<long>& quantityIDs,
    const std::map<long, const CharColumn*>& interpolationOrders, const std::vector<const Column*>& quantityValues,
    const AString& sourceTag) {
  SweepCacheSlot slot = FindOrMakeSweepCache(sweepVariable, true, majorVariables, minorVariables, dsd, versionID);
  auto* specialCache = dynamic_cast<MinorSpecialSweepCache*>(slot.cache);
  if (!specialCache) {
    if (slot.cache) ORVEX_ASSERT(0);
    Discard(slot);
    return nullptr;
  }
  specialCache->UpdateWithInterpolationOrders(primaryValues, quantityIDs, interpolationOrders, quantityValues,
                                              sourceTag);
  return Settle(slot);
}

MinorSweepCache* SimValueDataCache::UpdateCacheForMinorSpecialSweepWithPerQuantityPrimaries(
    Variable* sweepVariable, const std::vector<Variable*>& majorVariables,
    const std::vector<Variable*>& minorVariables, const DesignSolutionDefinition& dsd, long versionID,
    Column& commonPrimary, const std::vector<long>& quantityIDs, const std::map<long, Column*>& perQuantityPrimaries,
    const std::vector<const Column*>& quantityValues, const AString& sourceTag) {
  SweepCacheSlot slot = FindOrMakeSweepCache(sweepVariable, true, majorVariables, minorVariables, dsd, versionID);
  auto* specialCache = dynamic_cast<MinorSpecialSweepCache*>(slot.cache);
  if (!specialCache) {
    if (slot.cache) ORVEX_ASSERT(0);
    Discard(slot);
    return nullptr;
  }
  specialCache->UpdateWithPerQuantityPrimaries(commonPrimary, quantityIDs, perQuantityPrimaries, quantityValues,
                                               sourceTag);
  return Settle(slot);
}

MinorSweepCache* SimValueDataCache::GetMinorSweepCacheAtCurrVarVals(Variable* sweepVariable,
                                                                    const std::vector<Variable*>& majorVariables,
                                                                    const DesignSolutionDefinition& dsd,
                                                                    long versionID) {
  ConnectedVVObject* majors = GetOrCreateVersionEntry(majorVariables, dsd, versionID);
  MinorVVsCache* minorVVsCache = majors ? AsMinorVVsCache(majors->GetLeafDataAtCurrVarVals()) : nullptr;
  ConnectedVVObject* sweeps = minorVVsCache ? minorVVsCache->GetConnectivityForSweepVar(sweepVariable) : nullptr;
  return sweeps ? dynamic_cast<MinorSweepCache*>(sweeps->GetLeafDataAtCurrVarVals()) : nullptr;
}

MinorVVsCache* SimValueDataCache::GetMinorVVsCacheAtCurrVarVals(const std::vector<Variable*>& majorVariables,
                                                                const DesignSolutionDefinition& dsd, long versionID) {
  ConnectedVVObject* majors = GetOrCreateVersionEntry(majorVariables, dsd, versionID);
  return majors ? AsMinorVVsCache(majors->GetLeafDataAtCurrVarVals()) : nullptr;
}

// ---- Invalidation and deletion

void SimValueDataCache::InvalidateDataForVariableValues(long designID, long solutionID, long targetVersionID,
                                                        const ReportTypeSolutionDefinition& target,
                                                        const VariableValues& variation,
                                                        const QuantityNames* quantities) {
  ContextMap& contexts = m_designs[designID][solutionID];
  // A solution the manager no longer holds has nothing to match against.
  ISolutionForReports* solution = m_solMgr ? m_solMgr->GetSolution(solutionID) : nullptr;
  if (!solution) return;
  const bool byName = quantities && !quantities->empty();

  for (auto& context : contexts) {
    ContextObjects objects(*solution, context.first);
    if (!objects.LoadDefinition()) continue;
    for (auto& version : context.second) {
      if (!CentUpdUtils::MatchVariationWithParentLoadDefs(*objects.LoadDefinition(), version.first, target, variation,
                                                          targetVersionID, *solution))
        continue;
      if (byName) {
        std::list<VVLeafData*> data;
        version.second->GetAllData(data);
        for (VVLeafData* datum : data) {
          MinorVVsCache* minorVVsCache = AsMinorVVsCache(datum);
          ORVEX_ASSERT(minorVVsCache);
          if (!minorVVsCache) continue;
          std::list<long> ids;
          minorVVsCache->GetQuantityIDs(ids);
          for (long id : ids)
            if (quantities->count(QuantityText(id))) minorVVsCache->InvalidateQuantityData(id);
        }
        continue;
      }
      std::list<VVLeafData*> removed;
      version.second->DeleteBranchesAssociatedWithVariableValue(removed, variation);
      FreeMinorCaches(removed);
    }
  }
}

void SimValueDataCache::DeleteDataForVariableValues(long designID, long solutionID, long versionID,
                                                    unsigned reportType, const VariableValues& variation) {
  ContextMap& contexts = m_designs[designID][solutionID];
  for (auto& context : contexts) {
    if (context.first.GetReportType() != reportType) continue;
    auto version = context.second.find(versionID);
    if (version == context.second.end()) continue;
    std::list<VVLeafData*> removed;
    version->second->DeleteBranchesAssociatedWithVariableValue(removed, variation);
    FreeMinorCaches(removed);
  }
}

void SimValueDataCache::DeleteSolutionData(long designID, long solutionID) {
  SolutionMap& solutions = m_designs[designID];
  auto entry = solutions.find(solutionID);
  if (entry != solutions.end()) FreeSolutionEntry(solutions, entry);
}

bool SimValueDataCache::DeleteEntriesFlaggedBySolutionManager(IVelmorCommand* cmd) {
  if (!cmd) return true;
  for (auto& design : m_designs) {
    SolutionMap& solutions = design.second;
    for (auto solutionEntry = solutions.begin(); solutionEntry != solutions.end();) {
      ContextMap& contexts = solutionEntry->second;
      if (contexts.empty()) {
        ++solutionEntry;
        continue;
      }
      std::vector<AString> added, deleted, changed;
      if (m_solMgr)
        m_solMgr->GetVariableChanges(added, deleted, changed, cmd, solutionEntry->first, contexts.begin()->first,
                                     id::invalidID);
      if (!added.empty() || !deleted.empty()) {
        auto next = std::next(solutionEntry);
        FreeSolutionEntry(solutions, solutionEntry);
        solutionEntry = next;
        continue;
      }
      ISolutionForReports* solution = m_solMgr ? m_solMgr->GetSolution(solutionEntry->first) : nullptr;
      if (!solution) {
        ++solutionEntry;
        continue;
      }
      for (auto context = contexts.begin(); context != contexts.end();) {
        if (solution->DidCommandChangeData(cmd, context->first)) {
          auto next = std::next(context);
          FreeContextEntry(contexts, context);
          context = next;
          continue;
        }
        for (auto& version : context->second) {
          std::list<VVLeafData*> data;
          version.second->GetAllData(data);
          for (VVLeafData* datum : data) {
            MinorVVsCache* minorVVsCache = AsMinorVVsCache(datum);
            ORVEX_ASSERT(minorVVsCache);
            if (!minorVVsCache) continue;
            std::list<long> ids;
            minorVVsCache->GetQuantityIDs(ids);
            for (long id : ids) {
              const AString text = QuantityText(id);
              if (IsQuantityRenamedByCommand(cmd, text) || solution->DidCommandChangeQuantity(cmd, text, context->first))
                minorVVsCache->InvalidateQuantityData(id);
            }
          }
        }
        ++context;
      }
      ++solutionEntry;
    }
  }
  m_infoServer->DeleteEntriesForCommand(cmd);
  return true;
}

void SimValueDataCache::DeleteEntriesOfObsoleteVersions() {
  for (auto& design : m_designs) {
    for (auto& solutionEntry : design.second) {
      ISolutionForReports* solution = m_solMgr ? m_solMgr->GetSolution(solutionEntry.first) : nullptr;
      if (!solution) continue;
      ContextMap& contexts = solutionEntry.second;
      for (auto context = contexts.begin(); context != contexts.end();) {
        ContextObjects objects(*solution, context->first);
        std::vector<long> valid;
        if (objects.LoadDefinition()) solution->GetValidVersionIDs(valid, *objects.LoadDefinition());
        if (valid.empty()) {
          auto next = std::next(context);
          FreeContextEntry(contexts, context);
          context = next;
          continue;
        }
        VersionMap& versions = context->second;
        for (auto version = versions.begin(); version != versions.end();) {
          auto next = std::next(version);
          if (std::find(valid.begin(), valid.end(), version->first) == valid.end()) FreeVersionEntry(versions, version);
          version = next;
        }
        ++context;
      }
    }
  }
}

// ---- Cache files

bool SimValueDataCache::BuildCacheBlock(io::CBlock& cache) {
  bool allMinorsWritten = true;
  for (const auto& design : m_designs) {
    io::CBlock designBlock(kDesignMap);
    designBlock << io::NamedValue(kDesignID, design.first);
    io::CBlock solutions(kSolutionMap);
    for (const auto& solution : design.second) {
      io::CBlock contextBlock(kContextMap);
      contextBlock << io::NamedValue(kSolutionID, solution.first);
      for (const auto& context : solution.second) {
        io::CBlock versionsBlock(kVersionMap);
        io::CBlock rtsd(kReportTypeSolnDef);
        rtsd << io::NamedValue(kReportType, context.first.GetReportType());
        context.first.GetSimValueContextRef().WriteFuncToParentBlock(rtsd);
        versionsBlock << std::move(rtsd);
        for (const auto& version : context.second) {
          io::CBlock versionBlock(kMajorVVMap);
          versionBlock << io::NamedValue(kVersionID, version.first);
          for (const CompositeVVObject* point : version.second->GetPoints()) {
            if (!point) {
              ORVEX_ASSERT(!"No compobj? seems weird, investigate!");
              continue;
            }
            MinorVVsCache* minorVVsCache = AsMinorVVsCache(version.second->GetDataForCompVVObject(point));
            if (!minorVVsCache) continue;
            // A cache whose file is not written is left out: the header never names a stale file.
            if (!minorVVsCache->Write()) {
              allMinorsWritten = false;
              continue;
            }
            io::CBlock minorBlock(kMinorVVMap);
            minorBlock << io::NamedValue(kMajorVariation, point->GetVariableValues().GetVariationKey(true, nullptr, nullptr));
            const AString minorCacheFile = minorVVsCache->GetCacheFile();
            ORVEX_ASSERT(!minorCacheFile.empty());
            minorBlock << io::NamedValue(kMinorCacheFile, minorCacheFile);
            versionBlock << std::move(minorBlock);
          }
          versionsBlock << std::move(versionBlock);
        }
        contextBlock << std::move(versionsBlock);
      }
      solutions << std::move(contextBlock);
    }
    designBlock << std::move(solutions);
    cache << std::move(designBlock);
  }
  return allMinorsWritten;
}

bool SimValueDataCache::WriteCacheFiles(io::CBlock& projectBlock) {
  IManagedFileService* files = FileService();
  if (m_headerFile.empty()) {
    AString name;
    if (!files || !files->MakeUniqueFileName(name, kCacheDirectory, kHeaderPrefix)) {
      ORVEX_ASSERT(!"Unable to create cache header file");
      return false;
    }
    m_headerFile = name;
  }
  if (!files) {
    ORVEX_ASSERT(!"Could not write simvalue cache2 file");
    return false;
  }

  io::CBlock cache(kSimValueCache);
  const bool allMinorsWritten = BuildCacheBlock(cache);

  LongFileName path;
  files->GetFullPath(path, kCacheDirectory, m_headerFile);
  io::CToken_ostream out(path, io::kTokenStreamCreate);
  if (out.Fail()) {
    ORVEX_ASSERT(!"Could not write simvalue cache2 file");
    return false;
  }
  out << io::NamedValue(kSimValueCacheVersionID, kCacheVersion);
  io::CBlock infos(kSimValueInfos);
  const bool ret_val = m_infoServer->WriteToBlock(infos);
  ORVEX_ASSERT(ret_val);
  out << infos;
  out << cache;
  out.Close();
  if (out.Fail()) {
    ORVEX_ASSERT(!"Could not write simvalue cache2 file");
    return false;
  }

  projectBlock << io::NamedValue(kCacheHeaderFile, m_headerFile);
  return allMinorsWritten;
}

int SimValueDataCache::ReadCacheFiles(const io::CBlock& projectBlock) {
  AString name;
  if (!ReadKey(projectBlock, kCacheHeaderFile, name)) return 0;
  m_headerFile = name;
  if (name.empty()) return 0;
  IManagedFileService* files = FileService();
  if (!files) {
    m_headerFile.clear();
    return 0;
  }
  LongFileName path;
  files->GetFullPath(path, kCacheDirectory, name);
  io::CToken_istream in(path, io::kTokenStreamRead);
  in.SetPrecision(20);
  if (in.Fail()) {
    m_headerFile.clear();
    return 0;
  }

  double version = -1.0;
  in >> io::NamedValue(kSimValueCacheVersionID, version);
  bool bad = in.Fail() || !IsNearlyEqual(kCacheVersion, version, 1e-14, 0.0);

  io::CBlock infos;
  in >> infos;
  if (in.Fail() || infos.GetName() != kSimValueInfos)
    bad = true;
  else
    m_infoServer->ReadFromBlock(infos);

  io::CBlock cache;
  in >> io::ws;
  in >> cache;
  // A header cut short is as unusable as one of another version.
  if (in.Fail() || cache.GetName() != kSimValueCache) bad = true;
  in.Close();

  if (bad) {
    ClearAll();
    return 0;
  }
  ReadCacheBlock(cache);
  return 0;
}

void SimValueDataCache::ReadCacheBlock(const io::CBlock& cache) {
  for (const io::CBlock* designBlock : ChildBlocks(cache)) {
    long designID = id::invalidID;
    if (!ReadKey(*designBlock, kDesignID, designID)) continue;
    SolutionMap& solutions = m_designs[designID];
    const io::CBlock* solutionMap = designBlock->FindBlock(kSolutionMap);
    if (!solutionMap) continue;

    for (const io::CBlock* contextBlock : ChildBlocks(*solutionMap)) {
      long solutionID = id::invalidID;
      if (!ReadKey(*contextBlock, kSolutionID, solutionID)) continue;
      ContextMap& contexts = solutions[solutionID];
      VariableNameSpace names(1, 1, 0);
      IVariableNameSpaceSetupper* setupper = m_solMgr ? m_solMgr->GetVariableNameSpaceSetupper(solutionID) : nullptr;
      if (!setupper) continue;
      setupper->Setup(names);

      for (const io::CBlock* versionsBlock : ChildBlocks(*contextBlock)) {
        const io::CBlock* rtsdBlock = versionsBlock->FindBlock(kReportTypeSolnDef);
        if (!rtsdBlock) continue;
        unsigned int reportType = 0;
        ReadKey(*rtsdBlock, kReportType, reportType);
        SimValueContext simValueContext;
        simValueContext.ReadFuncFromParentBlock(*rtsdBlock);
        VersionMap& versions = contexts[ReportTypeSolutionDefinition(reportType, simValueContext)];

        for (const io::CBlock* versionBlock : ChildBlocks(*versionsBlock)) {
          long versionID = id::invalidID;
          if (!ReadKey(*versionBlock, kVersionID, versionID)) continue;
          ConnectedVVObject* majors = nullptr;
          std::vector<Variable*> majorVariables;
          std::set<AString> filesRead;
          size_t installed = 0;
          for (const io::CBlock* minorBlock : ChildBlocks(*versionBlock)) {
            AString key;
            AString minorCacheFile;
            if (!ReadKey(*minorBlock, kMajorVariation, key) || !ReadKey(*minorBlock, kMinorCacheFile, minorCacheFile))
              continue;
            VariableValues values;
            if (VariableValues::ResolveVariationKey(values, key, &names, false) == 0 && !key.empty()) continue;
            if (!majors) {
              majorVariables = VariablesOf(values);
              majors = ConnectedVVObject::CreateConnectedVVObject(majorVariables);
            }
            // Every point of a version varies the same major variables.
            if (!majors || !SameVariables(majorVariables, VariablesOf(values))) continue;

            NonNestableVariableValuesContext current(values);
            if (majors->GetLeafDataAtCurrVarVals()) continue;
            auto* minorVVsCache = new MinorVVsCache(FileService());
            minorVVsCache->SetCacheFile(minorCacheFile);
            if (!minorVVsCache->Read()) {
              delete minorVVsCache;
              continue;
            }
            majors->AddPointAtCurrVarVals(minorVVsCache, false);
            if (majors->GetLeafDataAtCurrVarVals() != minorVVsCache) {
              delete minorVVsCache;
              continue;
            }
            filesRead.insert(minorCacheFile);
            ++installed;
          }
          if (!installed) {
            delete majors;
            continue;
          }
          auto existing = versions.find(versionID);
          if (existing != versions.end()) {
            // A held cache that wrote the file just read must not delete it when it goes.
            std::list<VVLeafData*> held;
            existing->second->GetAllData(held);
            for (VVLeafData* datum : held) {
              MinorVVsCache* old = AsMinorVVsCache(datum);
              if (old && filesRead.count(old->GetCacheFile())) old->SetCacheFile(AString());
            }
            FreeVersionEntry(versions, existing);
          }
          versions[versionID] = majors;
        }
      }
    }
  }
}

}  // namespace rep

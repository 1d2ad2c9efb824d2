#include "quantities/SimValueDataCache.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "update/CentUpdUtils.h"
#include "quantities/ContextVersionCacheT.tmpl_impl"
#include "reports/GravikUtils.h"
#include "quantities/NearlyEqual.h"
#include "quantities/SimValueCacheSave.h"
#include "quantities/SimValueInfoServer.h"
#include "hostapi/ISolutionContextObject.h"
#include "hostapi/ISolutionForReports.h"
#include "hostapi/ISolutionManagerForReports.h"
#include "orvex/centupd/IDerivedDataDefinition.h"
#include "orvex/core/Assert.h"
#include "orvex/core/IManagedFileService.h"
#include "orvex/core/Ids.h"
#include "orvex/core/VelmorMessage.h"
#include "orvex/io/Block.h"
#include "orvex/io/FileTokenStream.h"
#include "orvex/io/LongFileName.h"
#include "orvex/io/NamedValue.h"
#include "orvex/io/SavedFile.h"
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

using contextversion::ChildBlocks;
using contextversion::ReadKey;

namespace {

const wchar_t kCacheDirectory[] = L"svcache";
const wchar_t kHeaderPrefix[] = L"HDR";
const wchar_t kCacheHeaderFile[] = L"CacheHeaderFile";
const wchar_t kSimValueCacheVersionID[] = L"SimValueCacheVersionID";
const wchar_t kSimValueInfos[] = L"SimValueInfos";
const wchar_t kSimValueCache[] = L"SimValueCache";
const wchar_t kMajorVVMap[] = L"MajorVVMap";
const wchar_t kMinorVVMap[] = L"MinorVVMap";
const wchar_t kMajorVariation[] = L"MajorVariation";
const wchar_t kMinorCacheFile[] = L"MinorCacheFile";

const double kCacheVersion = 1.0;
const int kTextMessage = 24464;  // its text is its one argument

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

// Lists without repeats, as variations give them; asked at every lookup, so without allocating.
bool SameVariables(const std::vector<Variable*>& a, const std::vector<Variable*>& b) {
  if (a.size() != b.size()) return false;
  for (Variable* v : a)
    if (std::find(b.begin(), b.end(), v) == b.end()) return false;
  return true;
}

// Invalidates and deletes each MinorVVsCache of the list.
void FreeMinorCaches(const std::list<VVLeafData*>& removed) {
  for (VVLeafData* datum : removed) {
    MinorVVsCache* minorVVsCache = AsMinorVVsCache(datum);
    ORVEX_ASSERT(minorVVsCache);
    if (!minorVVsCache) {
      delete datum;
      continue;
    }
    // The header on disk may name its file: it stays until a save commits a header that does not.
    minorVVsCache->SetCacheFile(AString());
    minorVVsCache->Invalidate();
    delete minorVVsCache;
  }
}

// Deletes the branches of a variation, with their MinorVVsCache objects; the connectivity stays.
void FreeBranches(ConnectedVVObject& majors, const VariableValues& variation) {
  std::list<VVLeafData*> removed;
  majors.DeleteBranchesAssociatedWithVariableValue(removed, variation);
  FreeMinorCaches(removed);
}

// The minor-cache files a header's tree names, wherever they stand within the tree's depth.
void CollectMinorFiles(const io::CBlock& block, std::set<AString>& out, int levelsLeft = 7) {
  AString name;
  if (ReadKey(block, kMinorCacheFile, name)) out.insert(name);
  if (levelsLeft > 0)
    for (const io::CBlock* child : ChildBlocks(block)) CollectMinorFiles(*child, out, levelsLeft - 1);
}

// The three parts of a header file, and whether each was read as it is written.
struct HeaderParts {
  bool versionRead = false;  // and is this version
  bool infosRead = false;
  bool cacheRead = false;
  io::CBlock infos;
  io::CBlock cache;
  bool Whole() const { return versionRead && infosRead && cacheRead; }
};

void ReadHeaderParts(io::CToken_istream& in, HeaderParts& parts) {
  double version = -1.0;
  in >> io::NamedValue(kSimValueCacheVersionID, version);
  parts.versionRead = !in.Fail() && IsNearlyEqual(kCacheVersion, version, 1e-14, 0.0);
  in >> parts.infos;
  parts.infosRead = !in.Fail() && parts.infos.GetName() == kSimValueInfos;
  in >> io::ws;
  in >> parts.cache;
  // A header cut short is as unusable as one of another version.
  parts.cacheRead = !in.Fail() && parts.cache.GetName() == kSimValueCache;
  in.Close();
}

// What the header file at `path` names, when it reads whole.
bool MinorFilesNamedBy(const LongFileName& path, std::set<AString>& named) {
  io::CToken_istream in(path, io::kTokenStreamRead);
  in.SetPrecision(20);
  HeaderParts parts;
  if (!in.Fail()) ReadHeaderParts(in, parts);
  if (!parts.Whole()) return false;
  CollectMinorFiles(parts.cache, named);
  return true;
}

// Why a header that could not be opened cannot be read; empty when there is no file at all.
AString WhyUnreadable(const LongFileName& path, const io::CToken_istream& failed) {
  std::error_code ec;
  if (!std::filesystem::exists(path.ToNarrow(), ec) && !ec) return AString();
  std::string reason;
  std::FILE* opened = io::OpenToRead(path.ToNarrow(), &reason);
  if (!opened) return AString::FromUtf8(reason);
  // It could be opened again: it changed in between.
  std::fclose(opened);
  return failed.ErrorText();
}

std::list<VVLeafData*> AllData(ConnectedVVObject& majors) {
  std::list<VVLeafData*> data;
  majors.GetAllData(data);
  return data;
}

// Invalidates the data of every quantity whose ID `obsolete(id)` names, in every MinorVVsCache of the version.
template <class Obsolete>
void InvalidateQuantities(ConnectedVVObject& majors, Obsolete obsolete) {
  for (VVLeafData* datum : AllData(majors)) {
    MinorVVsCache* minorVVsCache = AsMinorVVsCache(datum);
    ORVEX_ASSERT(minorVVsCache);
    if (!minorVVsCache) continue;
    std::list<long> ids;
    minorVVsCache->GetQuantityIDs(ids);
    for (long id : ids)
      if (obsolete(id)) minorVVsCache->InvalidateQuantityData(id);
  }
}

// Makes the header's name. A service that fails without saying why (a host's own) still leaves a
// failed save that names the header it was to make.
bool MakeHeaderName(IManagedFileService* files, AString& name) {
  const unsigned long failures = io::SaveFailureCount();
  if (files && files->MakeUniqueFileName(name, kCacheDirectory, kHeaderPrefix)) return true;
  if (io::SaveFailureCount() != failures) return false;
  const AString header(AString(kHeaderPrefix) + L"<N>.dat");
  if (!files) {
    io::SetSaveFailure(AString(AString(kCacheDirectory) + L"/" + header).ToUtf8(), "no file service makes its name");
    return false;
  }
  LongFileName path;
  files->GetFullPath(path, kCacheDirectory, header);
  io::SetSaveFailure(path.ToNarrow(), "the file service could not make its name");
  return false;
}

}  // namespace

template class ContextVersionCacheT<ConnectedVVObject, SimValueDataCache::RecordTraits>;

void SimValueDataCache::RecordTraits::Destroy(ConnectedVVObject* majors) {
  for (VVLeafData* datum : AllData(*majors)) delete datum;
  delete majors;
}

void SimValueDataCache::RecordTraits::Free(ConnectedVVObject* majors) {
  FreeMinorCaches(AllData(*majors));
  delete majors;
}

SimValueDataCache::SimValueDataCache(ISolutionManagerForReports* solMgr)
    : m_cache(solMgr, nullptr), m_solMgr(solMgr), m_infoServer(std::make_unique<SimValueInfoServer>(solMgr)) {}

SimValueDataCache::~SimValueDataCache() = default;

const ISimValueInfoCache* SimValueDataCache::GetISimValueInfoCache() const { return m_infoServer.get(); }

ISimValueInfoCache* SimValueDataCache::GetISimValueInfoCacheForEdit() { return m_infoServer.get(); }

IManagedFileService* SimValueDataCache::FileService() const {
  return m_solMgr ? m_solMgr->GetManagedFileService() : nullptr;
}

void SimValueDataCache::ClearAll() {
  m_sweepPoints.Clear();
  m_cache.FreeAllSolutions();
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
  Cache::Owned& entry =
      m_cache.GetVersionMap(dsd.GetDesignID(), dsd.GetSolutionID(), dsd.GetReportTypeSolutionDefinitionRef())[versionID];
  if (!entry) entry.reset(ConnectedVVObject::CreateConnectedVVObject(majorVariables));
  // Every point of a version varies the same major variables: keyed by fewer, the variations that
  // differ only in the others would share one cache, each push overwriting the last.
  if (!SameVariables(entry->GetVariables(), majorVariables)) {
    ORVEX_ASSERT(!"major variables differ from the version's");
    return nullptr;
  }
  return entry.get();
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
    auto made = std::make_unique<MinorVVsCache>(FileService());
    majors->AddPointAtCurrVarVals(made.get(), false);
    // Without current values for every major variable nothing was added.
    if (majors->GetLeafDataAtCurrVarVals() != made.get()) return slot;
    minorVVsCache = made.release();
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

template <class Kind, class Update>
MinorSweepCache* SimValueDataCache::UpdateSweepCache(Variable* sweepVariable, bool special,
                                                     const std::vector<Variable*>& majorVariables,
                                                     const std::vector<Variable*>& minorVariables,
                                                     const DesignSolutionDefinition& dsd, long versionID,
                                                     const char* wrongKind, Update update) {
  SweepCacheSlot slot = FindOrMakeSweepCache(sweepVariable, special, majorVariables, minorVariables, dsd, versionID);
  auto* cache = dynamic_cast<Kind*>(slot.cache);
  if (!cache) {
    ORVEX_ASSERT_TEXT(!slot.cache, wrongKind);
    Discard(slot);
    return nullptr;
  }
  update(*cache);
  return Settle(slot);
}

MinorSweepCache* SimValueDataCache::UpdateCacheForMinorSweepAtCurrVarVal(
    Variable* sweepVariable, bool special, const std::vector<Variable*>& majorVariables,
    const std::vector<Variable*>& minorVariables, const DesignSolutionDefinition& dsd, long versionID,
    Column& primaryValues, const std::vector<long>& quantityIDs, const std::vector<const Column*>& quantityValues,
    const AString& sourceTag) {
  return UpdateSweepCache<MinorSweepCache>(
      sweepVariable, special, majorVariables, minorVariables, dsd, versionID, "0",
      [&](MinorSweepCache& c) { c.Update(primaryValues, false, quantityIDs, quantityValues, sourceTag); });
}

MinorSweepCache* SimValueDataCache::UpdateCacheForMajorPrimaryAtCurrVarVal(
    Variable* sweepVariable, const std::vector<Variable*>& majorVariables,
    const std::vector<Variable*>& minorVariables, const DesignSolutionDefinition& dsd, long versionID,
    Column& primaryValues, const std::vector<long>& quantityIDs, const std::vector<const Column*>& quantityValues,
    const AString& sourceTag) {
  return UpdateSweepCache<MinorSweepCache>(
      sweepVariable, false, majorVariables, minorVariables, dsd, versionID, "0",
      [&](MinorSweepCache& c) { c.Update(primaryValues, true, quantityIDs, quantityValues, sourceTag); });
}

MinorSweepCache* SimValueDataCache::UpdateCacheForMinorDoubleSpecialSweepAtCurrVarVal(
    Variable* sweepVariable, const std::vector<Variable*>& majorVariables,
    const std::vector<Variable*>& minorVariables, const DesignSolutionDefinition& dsd, long versionID,
    Column& primaryValues, const std::vector<long>& quantityIDs,
    const std::map<long, const CharColumn*>& interpolationOrders, const std::vector<const Column*>& quantityValues,
    const AString& sourceTag) {
  return UpdateSweepCache<MinorDoubleSpecialSweepCache>(
      sweepVariable, true, majorVariables, minorVariables, dsd, versionID,
      "!ACHAR(\"Supported only for minor, special and double-param-type primary\")",
      [&](MinorDoubleSpecialSweepCache& c) {
        c.UpdateSpecial(primaryValues, quantityIDs, interpolationOrders, quantityValues, sourceTag);
      });
}

MinorSweepCache* SimValueDataCache::UpdateCacheForMinorSpecialSweepWithInterpolationOrders(
    Variable* sweepVariable, const std::vector<Variable*>& majorVariables,
    const std::vector<Variable*>& minorVariables, const DesignSolutionDefinition& dsd, long versionID,
    Column& primaryValues, const std::vector<long>& quantityIDs,
    const std::map<long, const CharColumn*>& interpolationOrders, const std::vector<const Column*>& quantityValues,
    const AString& sourceTag) {
  return UpdateSweepCache<MinorSpecialSweepCache>(
      sweepVariable, true, majorVariables, minorVariables, dsd, versionID, "0", [&](MinorSpecialSweepCache& c) {
        c.UpdateWithInterpolationOrders(primaryValues, quantityIDs, interpolationOrders, quantityValues, sourceTag);
      });
}

MinorSweepCache* SimValueDataCache::UpdateCacheForMinorSpecialSweepWithPerQuantityPrimaries(
    Variable* sweepVariable, const std::vector<Variable*>& majorVariables,
    const std::vector<Variable*>& minorVariables, const DesignSolutionDefinition& dsd, long versionID,
    Column& commonPrimary, const std::vector<long>& quantityIDs, const std::map<long, Column*>& perQuantityPrimaries,
    const std::vector<const Column*>& quantityValues, const AString& sourceTag) {
  return UpdateSweepCache<MinorSpecialSweepCache>(
      sweepVariable, true, majorVariables, minorVariables, dsd, versionID, "0", [&](MinorSpecialSweepCache& c) {
        c.UpdateWithPerQuantityPrimaries(commonPrimary, quantityIDs, perQuantityPrimaries, quantityValues, sourceTag);
      });
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
  ContextMap& contexts = m_cache.GetSolutionMap(designID)[solutionID];
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
        InvalidateQuantities(*version.second, [&](long id) { return quantities->count(QuantityText(id)) != 0; });
        continue;
      }
      FreeBranches(*version.second, variation);
    }
  }
}

void SimValueDataCache::DeleteDataForVariableValues(long designID, long solutionID, long versionID,
                                                    unsigned reportType, const VariableValues& variation) {
  ContextMap& contexts = m_cache.GetSolutionMap(designID)[solutionID];
  for (auto& context : contexts) {
    if (context.first.GetReportType() != reportType) continue;
    auto version = context.second.find(versionID);
    if (version == context.second.end()) continue;
    FreeBranches(*version->second, variation);
  }
}

void SimValueDataCache::DeleteSolutionData(long designID, long solutionID) {
  // The store knows solutions by their objects, not their IDs.
  m_sweepPoints.Clear();
  SolutionMap& solutions = m_cache.GetSolutionMap(designID);
  auto entry = solutions.find(solutionID);
  if (entry != solutions.end()) m_cache.FreeSolution(solutions, entry);
}

bool SimValueDataCache::DeleteEntriesFlaggedBySolutionManager(IVelmorCommand* cmd) {
  if (!cmd) return true;
  m_cache.SweepSolutions([&](long solutionID, ContextMap& contexts) {
    if (contexts.empty()) return true;
    std::vector<AString> added, deleted, changed;
    if (m_solMgr)
      m_solMgr->GetVariableChanges(added, deleted, changed, cmd, solutionID, contexts.begin()->first, id::invalidID);
    if (!added.empty() || !deleted.empty()) return false;
    ISolutionForReports* solution = m_solMgr ? m_solMgr->GetSolution(solutionID) : nullptr;
    if (solution)
      m_cache.SweepContexts(contexts, [&](const ReportTypeSolutionDefinition& context, VersionMap&) {
        return !solution->DidCommandChangeData(cmd, context);
      });
    return true;
  });
  // What is left holds whole contexts; drop the data of single quantities the command renames or changes.
  for (Cache::Iterator it = m_cache.Begin(); it != m_cache.End(); ++it) {
    ISolutionForReports* solution = m_solMgr ? m_solMgr->GetSolution(it.GetSolutionID()) : nullptr;
    if (!solution) continue;
    const ReportTypeSolutionDefinition& context = it.GetReportTypeSolutionDefinition();
    InvalidateQuantities(*it.GetRecord(), [&](long id) {
      const AString text = QuantityText(id);
      return IsQuantityRenamedByCommand(cmd, text) || solution->DidCommandChangeQuantity(cmd, text, context);
    });
  }
  m_infoServer->DeleteEntriesForCommand(cmd);
  return true;
}

void SimValueDataCache::DeleteEntriesOfObsoleteVersions() {
  m_cache.SweepSolutions([&](long solutionID, ContextMap& contexts) {
    ISolutionForReports* solution = m_solMgr ? m_solMgr->GetSolution(solutionID) : nullptr;
    if (!solution) return true;
    m_cache.SweepContexts(contexts, [&](const ReportTypeSolutionDefinition& context, VersionMap& versions) {
      ContextObjects objects(*solution, context);
      std::vector<long> valid;
      if (objects.LoadDefinition()) solution->GetValidVersionIDs(valid, *objects.LoadDefinition());
      if (valid.empty()) return false;
      m_cache.SweepVersions(versions, [&](long versionID, ConnectedVVObject*) {
        return std::find(valid.begin(), valid.end(), versionID) != valid.end();
      });
      return true;
    });
    return true;
  });
}

// ---- Cache files

bool SimValueDataCache::BuildCacheBlock(io::CBlock& cache, SimValueCacheSave& save, std::set<AString>& named) {
  bool written = true;
  m_cache.WriteTree(cache, kMajorVVMap, [&](io::CBlock& versionBlock, const ConnectedVVObject* majors) {
    for (const CompositeVVObject* point : majors->GetPoints()) {
      if (!written) return;
      if (!point) {
        ORVEX_ASSERT(!"No compobj? seems weird, investigate!");
        continue;
      }
      MinorVVsCache* minorVVsCache = AsMinorVVsCache(majors->GetDataForCompVVObject(point));
      if (!minorVVsCache) continue;
      if (!save.WriteMinor(*minorVVsCache)) {
        written = false;
        return;
      }
      io::CBlock minorBlock(kMinorVVMap);
      minorBlock << io::NamedValue(kMajorVariation, point->GetVariableValues().GetVariationKey(true, nullptr, nullptr));
      const AString minorCacheFile = minorVVsCache->GetCacheFile();
      ORVEX_ASSERT(!minorCacheFile.empty());
      minorBlock << io::NamedValue(kMinorCacheFile, minorCacheFile);
      named.insert(minorCacheFile);
      versionBlock << std::move(minorBlock);
    }
  });
  return written;
}

bool SimValueDataCache::SaveFailed(io::CBlock& projectBlock) const {
  ORVEX_ASSERT(!"Could not write simvalue cache2 file");
  // The host saves the project all the same: without the name the intact cache would be lost.
  if (m_headerOnDisk) projectBlock << io::NamedValue(kCacheHeaderFile, m_headerFile);
  return false;
}

// The header is the save's commit: the minor-cache files go to names the header on disk does not
// name, the header is replaced last, and only then go the files it no longer names.
bool SimValueDataCache::WriteCacheFiles(io::CBlock& projectBlock) {
  IManagedFileService* files = FileService();
  if (m_headerFile.empty()) {
    AString name;
    if (!MakeHeaderName(files, name)) {
      ORVEX_ASSERT(!"Unable to create cache header file");
      return false;
    }
    m_headerFile = name;
    m_headerOnDisk = false;
    m_minorFilesOnDisk.clear();
  }
  if (!files) return SaveFailed(projectBlock);

  LongFileName path;
  files->GetFullPath(path, kCacheDirectory, m_headerFile);
  SimValueCacheSave save(*files, m_headerFile, path, m_minorFilesOnDisk);
  io::CBlock cache(kSimValueCache);
  std::set<AString> named;
  if (!BuildCacheBlock(cache, save, named)) return SaveFailed(projectBlock);

  io::CToken_ostream out(path, io::kTokenStreamCreate);
  if (out.Fail()) return SaveFailed(projectBlock);
  out << io::NamedValue(kSimValueCacheVersionID, kCacheVersion);
  io::CBlock infos(kSimValueInfos);
  const bool ret_val = m_infoServer->WriteToBlock(infos);
  ORVEX_ASSERT(ret_val);
  out << infos;
  out << cache;
  out.Close();
  if (out.Fail()) return SaveFailed(projectBlock);

  m_headerOnDisk = true;
  if (save.Commit(MinorFilesNamedBy)) {
    m_minorFilesOnDisk.swap(named);
  } else {
    // Nothing was removed: what the header before named is still to go.
    m_minorFilesOnDisk.insert(named.begin(), named.end());
  }
  projectBlock << io::NamedValue(kCacheHeaderFile, m_headerFile);
  return true;
}

int SimValueDataCache::ReadCacheFiles(const io::CBlock& projectBlock) {
  AString name;
  if (!ReadKey(projectBlock, kCacheHeaderFile, name)) return 0;
  m_headerFile = name;
  m_headerOnDisk = false;
  m_minorFilesOnDisk.clear();
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
    const AString why = WhyUnreadable(path, in);
    if (why.empty()) {
      m_headerFile.clear();
      return 0;
    }
    // Its files may be read again once the header can be: the name is kept, so that no other
    // header takes the cache's place, and a save fails as over a file that cannot be replaced.
    m_headerOnDisk = true;
    PostReportMessage(VelmorMessage::kWarning, kTextMessage, 0,
                      L"The cache file \"" + path.GetPath() + L"\" could not be read: " + why +
                          L". The values it holds are computed again when needed; the cache is not saved while that "
                          L"file cannot be replaced.");
    return 0;
  }
  m_headerOnDisk = true;

  HeaderParts parts;
  ReadHeaderParts(in, parts);
  if (parts.infosRead) m_infoServer->ReadFromBlock(parts.infos);
  // Even a refused header names files that its replacement must remove.
  CollectMinorFiles(parts.cache, m_minorFilesOnDisk);

  if (!parts.Whole()) {
    ClearAll();
    return 0;
  }
  ReadCacheBlock(parts.cache);
  return 0;
}

void SimValueDataCache::ReadCacheBlock(const io::CBlock& cache) {
  const Cache::TreeForm form{kMajorVVMap, true, true, SimValueContext()};
  m_cache.ReadTree(cache, form, [&](const io::CBlock& versionBlock, const VariableNameSpace& names,
                                    ConnectedVVObject* held) {
    Cache::Owned majors;
    std::vector<Variable*> majorVariables;
    std::set<AString> filesRead;
    for (const io::CBlock* minorBlock : ChildBlocks(versionBlock)) {
      AString key;
      AString minorCacheFile;
      if (!ReadKey(*minorBlock, kMajorVariation, key) ||
          !ReadKey(*minorBlock, kMinorCacheFile, minorCacheFile))
        continue;
      VariableValues values;
      if (VariableValues::ResolveVariationKey(values, key, &names, false) == 0 && !key.empty()) continue;
      if (!majors) {
        majorVariables = VariablesOf(values);
        majors.reset(ConnectedVVObject::CreateConnectedVVObject(majorVariables));
      }
      // Every point of a version varies the same major variables.
      if (!SameVariables(majorVariables, VariablesOf(values))) continue;

      NonNestableVariableValuesContext current(values);
      if (majors->GetLeafDataAtCurrVarVals()) continue;
      auto minorVVsCache = std::make_unique<MinorVVsCache>(FileService());
      minorVVsCache->SetCacheFile(minorCacheFile);
      if (!minorVVsCache->Read()) continue;
      majors->AddPointAtCurrVarVals(minorVVsCache.get(), false);
      if (majors->GetLeafDataAtCurrVarVals() != minorVVsCache.get()) continue;
      minorVVsCache.release();
      filesRead.insert(minorCacheFile);
    }
    if (filesRead.empty()) return Cache::Owned();
    // A held cache that wrote the file just read must not delete it when it goes.
    if (held)
      for (VVLeafData* datum : AllData(*held)) {
        MinorVVsCache* old = AsMinorVVsCache(datum);
        if (old && filesRead.count(old->GetCacheFile())) old->SetCacheFile(AString());
      }
    return majors;
  });
}

}  // namespace rep

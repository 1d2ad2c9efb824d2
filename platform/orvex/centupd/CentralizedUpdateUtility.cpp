#include "orvex/centupd/CentralizedUpdateUtility.h"

#include <algorithm>
#include <exception>
#include <map>
#include <stdexcept>

#include "orvex/centupd/CentralizedLoadUnitInfo.h"
#include "orvex/centupd/ICentralizedUpdateObject.h"
#include "orvex/centupd/IDerivedDataManager.h"
#include "orvex/centupd/IProgressMonitor.h"
#include "orvex/core/TestHooks.h"

CentralizedLoadUnitInfo::CentralizedLoadUnitInfo(const SolutionLoadDefinition& load, long versionID,
                                                 const VariableValues& majorVariation)
    : m_designID(load.GetDesignID()), m_solutionID(load.GetSolutionID()), m_versionID(versionID),
      m_definition(load.GetDerivedDataDefinition() ? load.GetDerivedDataDefinition()->Clone() : nullptr),
      m_major(majorVariation) {}

CentralizedLoadUnitInfo::CentralizedLoadUnitInfo(const CentralizedLoadUnitInfo& other)
    : m_designID(other.m_designID), m_solutionID(other.m_solutionID), m_versionID(other.m_versionID),
      m_definition(other.m_definition ? other.m_definition->Clone() : nullptr), m_major(other.m_major) {
  for (const auto& info : other.m_infos) m_infos.emplace_back(info->Clone());
}

CentralizedLoadUnitInfo& CentralizedLoadUnitInfo::operator=(const CentralizedLoadUnitInfo& other) {
  if (this == &other) return *this;
  CentralizedLoadUnitInfo copy(other);
  m_designID = copy.m_designID;
  m_solutionID = copy.m_solutionID;
  m_versionID = copy.m_versionID;
  m_definition = std::move(copy.m_definition);
  m_major = copy.m_major;
  m_infos = std::move(copy.m_infos);
  return *this;
}

CentralizedLoadUnitInfo::~CentralizedLoadUnitInfo() = default;

void CentralizedLoadUnitInfo::AddExtendedLoadInfo(const IExtendedLoadInfo& info) { m_infos.emplace_back(info.Clone()); }

void CentralizedLoadUnitInfo::GetExtendedLoadInfos(AutoVectorOfClonablePtrs<IExtendedLoadInfo>& out) const {
  for (const auto& info : m_infos) out.push_back(info->Clone());
}

bool CentralizedLoadUnitInfo::IsSameUnitAs(const CentralizedLoadUnitInfo& other) const {
  if (m_designID != other.m_designID || m_solutionID != other.m_solutionID || m_versionID != other.m_versionID)
    return false;
  if (!(m_major == other.m_major)) return false;
  if (!m_definition || !other.m_definition) return !m_definition && !other.m_definition;
  return m_definition->IsSame(*other.m_definition);
}

namespace {

CentralizedUpdateUtility::TestScript& Script() {
  static CentralizedUpdateUtility::TestScript script;
  return script;
}

void ResetScript() { Script() = CentralizedUpdateUtility::TestScript(); }

const bool s_registered = orvex::test::RegisterGlobalState({"centralized update script", &ResetScript, nullptr});

void Record(const ICentralizedUpdateObject* object, const char* call, int unit) {
  if (Script().record) Script().record(object, call, unit);
}

struct MergedUnit {
  CentralizedLoadUnitInfo unit;
  std::vector<size_t> askers;  // object indices, ascending
};

// Units are grouped by their cheap part of the key first, so that a run of many units does not
// compare each with all others.
struct UnitKey {
  long design, solution, version;
  AString variation;
  bool operator<(const UnitKey& o) const {
    if (design != o.design) return design < o.design;
    if (solution != o.solution) return solution < o.solution;
    if (version != o.version) return version < o.version;
    return variation < o.variation;
  }
};

}  // namespace

CentralizedUpdateUtility::TestScript& CentralizedUpdateUtility::GetTestScript() { return Script(); }

bool CentralizedUpdateUtility::UpdateObjects(IDerivedDataManager* manager,
                                             const std::vector<ICentralizedUpdateObject*>& objects,
                                             IProgressMonitor* monitor) {
  const TestScript script = Script();
  std::vector<bool> done(objects.size(), false);
  // Every object is told, each deleting itself, even after one of them throws (a host's monitor
  // may); the first exception goes on to the caller.
  auto finish = [&]() {
    std::exception_ptr first;
    for (size_t i = 0; i < objects.size(); ++i) {
      if (done[i] || !objects[i]) continue;
      done[i] = true;
      Record(objects[i], "done", -1);
      try {
        objects[i]->NotifyDoneUpdate(monitor);
      } catch (...) {
        if (!first) first = std::current_exception();
      }
    }
    if (first) std::rethrow_exception(first);
  };

  bool allLoaded = true;
  try {
    std::vector<MergedUnit> merged;
    std::map<UnitKey, std::vector<size_t>> index;
    for (size_t i = 0; i < objects.size(); ++i) {
      if (!objects[i]) continue;
      std::vector<CentralizedLoadUnitInfo> units;
      objects[i]->GetNeededLoadUnits(units);
      Record(objects[i], "units", static_cast<int>(units.size()));
      for (const CentralizedLoadUnitInfo& unit : units) {
        UnitKey key{unit.GetDesignID(), unit.GetSolutionID(), unit.GetVersionID(),
                    unit.GetMajorVariableValues().GetVariationKey(true)};
        std::vector<size_t>& candidates = index[key];
        MergedUnit* into = nullptr;
        for (size_t m : candidates)
          if (merged[m].unit.IsSameUnitAs(unit)) into = &merged[m];
        if (!into) {
          candidates.push_back(merged.size());
          merged.push_back(MergedUnit{unit, {}});
          into = &merged.back();
        } else {
          for (size_t k = 0; k < unit.GetNumExtendedLoadInfos(); ++k)
            into->unit.AddExtendedLoadInfo(*unit.GetExtendedLoadInfo(k));
        }
        if (into->askers.empty() || into->askers.back() != i) into->askers.push_back(i);
      }
    }
    if (script.reverseOrder) std::reverse(merged.begin(), merged.end());

    for (size_t u = 0; u < merged.size(); ++u) {
      const int unitIndex = static_cast<int>(u);
      if ((monitor && monitor->IsAbandoned()) || (script.abandonAfter >= 0 && unitIndex >= script.abandonAfter)) {
        allLoaded = false;
        break;
      }
      if (unitIndex == script.throwOnLoad) throw std::runtime_error("scripted load failure");
      bool loaded = unitIndex != script.dropUnit && (!manager || manager->LoadUnit(merged[u].unit));
      if (!loaded) {
        allLoaded = false;
        continue;
      }
      const std::vector<size_t>& askers = merged[u].askers;
      int deliveries = unitIndex == script.deliverTwice ? 2 : 1;
      for (int d = 0; d < deliveries; ++d) {
        for (size_t i = 0; i < objects.size(); ++i) {
          if (!objects[i]) continue;
          bool asked = std::binary_search(askers.begin(), askers.end(), i);
          if (asked || script.notifyEveryObject) {
            Record(objects[i], "load", unitIndex);
            objects[i]->NotifyOnLoad(merged[u].unit, monitor);
          } else {
            Record(objects[i], "ignore", unitIndex);
            objects[i]->IgnoreNotification(&merged[u].unit);
          }
        }
      }
    }
  } catch (...) {
    try {
      finish();
    } catch (...) {
    }
    throw;
  }
  finish();
  return allLoaded;
}

// One unit of solution data to load: a major variation of one solution at one version, under
// one load definition, with what the asking objects added for the product.
#pragma once

#include <memory>
#include <vector>

#include "orvex/centupd/IDerivedDataDefinition.h"
#include "orvex/centupd/IExtendedLoadInfo.h"
#include "orvex/core/AutoVectorOfClonablePtrs.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/values/VariableValues.h"

// Does not own the definition.
class ORVEX_API SolutionLoadDefinition {
public:
  SolutionLoadDefinition(long designID, long solutionID, const IDerivedDataDefinition* definition)
      : m_designID(designID), m_solutionID(solutionID), m_definition(definition) {}
  long GetDesignID() const { return m_designID; }
  long GetSolutionID() const { return m_solutionID; }
  const IDerivedDataDefinition* GetDerivedDataDefinition() const { return m_definition; }

private:
  long m_designID;
  long m_solutionID;
  const IDerivedDataDefinition* m_definition;  // not owned
};

class ORVEX_API CentralizedLoadUnitInfo {
public:
  // Clones the definition, so the unit outlives the caller's objects.
  CentralizedLoadUnitInfo(const SolutionLoadDefinition& load, long versionID, const VariableValues& majorVariation);
  CentralizedLoadUnitInfo(const CentralizedLoadUnitInfo& other);
  CentralizedLoadUnitInfo& operator=(const CentralizedLoadUnitInfo& other);
  ~CentralizedLoadUnitInfo();

  void AddExtendedLoadInfo(const IExtendedLoadInfo& info);
  // Appends clones.
  void GetExtendedLoadInfos(AutoVectorOfClonablePtrs<IExtendedLoadInfo>& out) const;
  size_t GetNumExtendedLoadInfos() const { return m_infos.size(); }
  const IExtendedLoadInfo* GetExtendedLoadInfo(size_t i) const { return m_infos[i].get(); }

  const VariableValues& GetMajorVariableValues() const { return m_major; }
  long GetVersionID() const { return m_versionID; }
  long GetDesignID() const { return m_designID; }
  long GetSolutionID() const { return m_solutionID; }
  const IDerivedDataDefinition* GetDerivedDataDefinition() const { return m_definition.get(); }
  // Same IDs, equal major values and the same load definition.
  bool IsSameUnitAs(const CentralizedLoadUnitInfo& other) const;

private:
  long m_designID;
  long m_solutionID;
  long m_versionID;
  std::unique_ptr<IDerivedDataDefinition> m_definition;
  VariableValues m_major;
  std::vector<std::unique_ptr<IExtendedLoadInfo>> m_infos;
};

// The subsweeps of a trace's point set joined with the sweeps of its solution: for each
// definition its sweep, its variables and the values it selects.
#pragma once

#include <memory>
#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/values/VariableValues.h"

class AbstractSubsweepDefParams;
class Column;
class DesignSolutionDefinition;
class ISolutionManagerForReports;
class SubsweepDefParamsContainer;
class SweepBase;
class Variable;

class POSTORVEX_API SubsweepAdapter {
public:
  SubsweepAdapter(const AbstractSubsweepDefParams& def, SweepBase* sweep, const VariableValues& nominal);
  ~SubsweepAdapter();
  SubsweepAdapter(SubsweepAdapter&&) noexcept;
  SubsweepAdapter(const SubsweepAdapter&) = delete;
  SubsweepAdapter& operator=(const SubsweepAdapter&) = delete;

  // 0 is the sweep variable; a synchronized subsweep gives its members' variables.
  unsigned GetNumVariables() const;
  Variable* GetVariable(unsigned j) const;
  // Null when the solution has no such sweep.
  SweepBase* GetSweep() const { return m_sweep; }
  unsigned GetValueCount() const;
  // The context is accepted and not used: no sweep's values depend on other variables.
  AString GetSingleValueText(unsigned valueIndex, const VariableValues* context) const;
  bool IsPostprocessSubsweep() const;
  // The selected values, kept by the adapter; null when the sweep is missing.
  const Column* GetColumn() const { return m_values.get(); }
  // Owned by the caller; null when there are no values.
  Column* CreateCopyOfValues() const;

private:
  SweepBase* m_sweep;  // the solution's
  std::unique_ptr<Column> m_values;
};

namespace rep {

class POSTORVEX_API SubsweepsAdapter {
public:
  SubsweepsAdapter(const SubsweepDefParamsContainer& subsweeps, const DesignSolutionDefinition& dsd,
                   long designInstanceID, ISolutionManagerForReports* solMgr,
                   const std::vector<VariableValues>& explicitFamilies);
  ~SubsweepsAdapter();
  SubsweepsAdapter(const SubsweepsAdapter&) = delete;
  SubsweepsAdapter& operator=(const SubsweepsAdapter&) = delete;

  size_t size() const { return m_adapters.size(); }
  const SubsweepAdapter& operator[](size_t i) const { return m_adapters[i]; }
  // Null when there are none.
  const std::vector<VariableValues>* GetExplicitFamiliesIfAny() const {
    return m_families.empty() ? nullptr : &m_families;
  }

private:
  std::vector<SubsweepAdapter> m_adapters;
  std::vector<VariableValues> m_families;
};

}  // namespace rep

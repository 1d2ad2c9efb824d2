// What a trace's update object attaches to each load unit it asks for: the trace's quantities,
// subsweeps, explicit variations and minor iteration, for the product that loads the unit.
#pragma once

#include <memory>
#include <vector>

#include "Gravik/ITraceExtendedLoadInfo.h"

namespace rep {

class SweepsVariableInfoMediator2;

// The subsweeps and the mediator are the update object's: an info, and every copy of it, is
// used only while that object lives.
class TraceExtendedLoadInfo : public ITraceExtendedLoadInfo {
public:
  TraceExtendedLoadInfo(const QuantityIDMap& quantities, long traceDefID, const ISolutionContextObject* context,
                        SubsweepsAdapter* subsweeps, const std::vector<VariableValues>& explicitVariations,
                        SweepsVariableInfoMediator2* mediator);
  ~TraceExtendedLoadInfo() override;
  TraceExtendedLoadInfo(const TraceExtendedLoadInfo&) = delete;
  TraceExtendedLoadInfo& operator=(const TraceExtendedLoadInfo&) = delete;

  // IExtendedLoadInfo
  IExtendedLoadInfo* Clone() const override;
  IInterfaceQueriable* GetInterfaceQueriable() override { return this; }

  unsigned GetQuantityMap(QuantityIDMap& out) const override;
  long GetTraceDefinitionID() const override { return m_traceDefID; }
  SubsweepsAdapter* GetSubsweeps() const override { return m_subsweeps; }
  std::unique_ptr<ISolutionContextObject> CloneSolutionContext() const override;
  unsigned GetVariableValuesList(std::vector<VariableValues>& out) const override;
  std::unique_ptr<SweepsIteratorBase> CreateMinorSweepsIteratorExcludingSpecialsAndPrimary() const override;
  const Column* GetPrimarySweepColumn() const override;

  SweepsVariableInfoMediator2* GetMediator() const { return m_mediator; }

private:
  QuantityIDMap m_quantities;
  long m_traceDefID;
  SubsweepsAdapter* m_subsweeps;  // not owned
  std::unique_ptr<ISolutionContextObject> m_context;
  std::vector<VariableValues> m_variations;
  SweepsVariableInfoMediator2* m_mediator;  // not owned
};

}  // namespace rep

#include "update/TraceExtendedLoadInfo.h"

#include "update/SweepsVariableInfoMediator2.h"
#include "hostapi/ISolutionContextObject.h"
#include "postorvex/sweeps/SubsweepsAdapter.h"
#include "postorvex/sweeps/SweepsIterator.h"

namespace rep {

TraceExtendedLoadInfo::TraceExtendedLoadInfo(const QuantityIDMap& quantities, long traceDefID,
                                             const ISolutionContextObject* context, SubsweepsAdapter* subsweeps,
                                             const std::vector<VariableValues>& explicitVariations,
                                             SweepsVariableInfoMediator2* mediator)
    : m_quantities(quantities), m_traceDefID(traceDefID), m_subsweeps(subsweeps),
      m_context(context ? context->Clone() : nullptr), m_variations(explicitVariations), m_mediator(mediator) {}

TraceExtendedLoadInfo::~TraceExtendedLoadInfo() = default;

IExtendedLoadInfo* TraceExtendedLoadInfo::Clone() const {
  return new TraceExtendedLoadInfo(m_quantities, m_traceDefID, m_context.get(), m_subsweeps, m_variations, m_mediator);
}

unsigned TraceExtendedLoadInfo::GetQuantityMap(QuantityIDMap& out) const {
  if (&out != &m_quantities) out = m_quantities;
  return static_cast<unsigned>(m_quantities.size());
}

std::unique_ptr<ISolutionContextObject> TraceExtendedLoadInfo::CloneSolutionContext() const {
  return std::unique_ptr<ISolutionContextObject>(m_context ? m_context->Clone() : nullptr);
}

unsigned TraceExtendedLoadInfo::GetVariableValuesList(std::vector<VariableValues>& out) const {
  if (&out != &m_variations) out = m_variations;
  return static_cast<unsigned>(m_variations.size());
}

std::unique_ptr<SweepsIteratorBase> TraceExtendedLoadInfo::CreateMinorSweepsIteratorExcludingSpecialsAndPrimary() const {
  std::unique_ptr<SweepsIteratorBase> it;
  if (m_mediator) m_mediator->CreateMinorSweepsIteratorExcludingSpecialsAndPrimary(it);
  return it;
}

const Column* TraceExtendedLoadInfo::GetPrimarySweepColumn() const {
  return m_subsweeps && m_subsweeps->size() > 0 ? (*m_subsweeps)[0].GetColumn() : nullptr;
}

}  // namespace rep

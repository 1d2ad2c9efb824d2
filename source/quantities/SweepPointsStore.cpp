#include "quantities/SweepPointsStore.h"

#include <algorithm>
#include <cmath>

#include "hostapi/ISolutionForReports.h"
#include "hostapi/ISolutionInstanceForReports.h"
#include "orvex/values/Value.h"

namespace rep {

void SweepPointsStore::Points::FindPositions(std::vector<size_t>& out, const Variable* variable, double low,
                                             double high) {
  auto found = m_orders.find(variable);
  if (found == m_orders.end()) {
    Order order;
    for (size_t i = 0; i < m_variations.size(); ++i) {
      const Value* v = m_variations[i].GetVariableValue(variable);
      if (!v) continue;
      if (v->GetParameterType() == val::kStringParam) {
        order.texts.push_back(i);
        continue;
      }
      const AComplex<double> si = v->GetSIComplexValue();
      if (si.imag() == 0.0 && std::isfinite(si.real())) order.bySI.emplace_back(si.real(), i);
    }
    std::sort(order.bySI.begin(), order.bySI.end());
    found = m_orders.emplace(variable, std::move(order)).first;
  }
  const Order& order = found->second;
  auto it = std::lower_bound(order.bySI.begin(), order.bySI.end(), std::make_pair(low, size_t(0)));
  for (; it != order.bySI.end() && it->first <= high; ++it) out.push_back(it->second);
  out.insert(out.end(), order.texts.begin(), order.texts.end());
}

std::shared_ptr<SweepPointsStore::Points> SweepPointsStore::Get(ISolutionForReports& solution,
                                                                const IDerivedDataDefinition& loadDefinition,
                                                                const ReportTypeSolutionDefinition& def,
                                                                long version) {
  // Kept between calls: a solution's many point objects are asked for at every trace's update.
  std::vector<ISolutionInstanceForReports*>& instances = m_handedOut;
  instances.clear();
  solution.GetSolutionInstances(instances, loadDefinition, version);
  Entry& entry = m_entries[{&solution, def}];
  // Points added or taken away at the same version show in the point objects handed out.
  if (entry.points && entry.version == version && entry.points->m_instances == instances) return entry.points;
  auto points = std::make_shared<Points>();
  points->m_variations.resize(instances.size());
  for (size_t i = 0; i < instances.size(); ++i) instances[i]->GetVariableValues(points->m_variations[i]);
  points->m_instances = instances;
  entry.version = version;
  entry.points = points;
  return points;
}

}  // namespace rep

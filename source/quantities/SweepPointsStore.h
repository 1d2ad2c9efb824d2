// The sweep points of solutions, read once per solution, report type definition and version and
// shared by every trace that asks while the solution hands out the same point objects.
#pragma once

#include <map>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "orvex/values/VariableValues.h"
#include "postorvex/solution/ReportTypeSolutionDefinition.h"

class IDerivedDataDefinition;
class ISolutionForReports;
class ISolutionInstanceForReports;
class Variable;

namespace rep {

class SweepPointsStore {
public:
  // The points of one version of a solution, in the order the solution gives them.
  class Points {
  public:
    const std::vector<ISolutionInstanceForReports*>& GetInstances() const { return m_instances; }
    const std::vector<VariableValues>& GetVariations() const { return m_variations; }
    // Positions of the points whose real value of the variable lies within [low, high], and of
    // those whose value is a text; in no particular order.
    void FindPositions(std::vector<size_t>& out, const Variable* variable, double low, double high);

  private:
    friend class SweepPointsStore;
    struct Order {
      std::vector<std::pair<double, size_t>> bySI;  // finite real values, sorted
      std::vector<size_t> texts;
    };
    std::vector<ISolutionInstanceForReports*> m_instances;
    std::vector<VariableValues> m_variations;
    std::map<const Variable*, Order> m_orders;  // built on first use
  };

  // The points of that version of the solution; read again when the solution hands out other
  // point objects than those read last. Kept by the caller as long as it needs them.
  std::shared_ptr<Points> Get(ISolutionForReports& solution, const IDerivedDataDefinition& loadDefinition,
                              const ReportTypeSolutionDefinition& def, long version);
  void Clear() {
    m_entries.clear();
    m_handedOut = {};
  }

private:
  struct Entry {
    long version = 0;
    std::shared_ptr<Points> points;
  };
  // One entry per solution and definition: the last version read.
  std::map<std::pair<ISolutionForReports*, ReportTypeSolutionDefinition>, Entry> m_entries;
  std::vector<ISolutionInstanceForReports*> m_handedOut;
};

}  // namespace rep

#include "postorvex/traceinfo/TraceDefParams.h"

// The engine's interface, reached from the platform folder: the library takes no engine target.
#include "Gravik/IPointsetDefinition.h"

namespace {

rep::IPointsetDefinition* CloneOf(const rep::IPointsetDefinition* p) { return p ? p->Clone() : nullptr; }

}  // namespace

TraceDefParams::TraceDefParams() = default;

TraceDefParams::TraceDefParams(const TraceDefParams& other)
    : BaseTraceDefParams(other),
      m_designSolution(other.m_designSolution),
      m_pointset(CloneOf(other.m_pointset.get())) {}

TraceDefParams& TraceDefParams::operator=(const TraceDefParams& other) {
  if (this == &other) return *this;
  BaseTraceDefParams::operator=(other);
  m_designSolution = other.m_designSolution;
  m_pointset.reset(CloneOf(other.m_pointset.get()));
  return *this;
}

TraceDefParams::~TraceDefParams() = default;

void TraceDefParams::SetPointsetDefinition(const rep::IPointsetDefinition& pointset) {
  m_pointset.reset(pointset.Clone());
}

// The settings of a computed trace: the plain settings plus its solution and point set.
#pragma once

#include <memory>

#include "postorvex/solution/DesignSolutionDefinition.h"
#include "postorvex/traceinfo/BaseTraceDefParams.h"

namespace rep {
class IPointsetDefinition;
}  // namespace rep

class POSTORVEX_API TraceDefParams : public BaseTraceDefParams {
public:
  TraceDefParams();
  // Copies clone the point set.
  TraceDefParams(const TraceDefParams& other);
  TraceDefParams& operator=(const TraceDefParams& other);
  ~TraceDefParams() override;

  const DesignSolutionDefinition& GetDesignSolutionDefinition() const { return m_designSolution; }
  void SetDesignSolutionDefinition(const DesignSolutionDefinition& d) { m_designSolution = d; }
  // Keeps the point set's Clone(); the caller keeps its own.
  void SetPointsetDefinition(const rep::IPointsetDefinition& pointset);
  // Null until a point set was set.
  const rep::IPointsetDefinition* GetPointsetDefinition() const { return m_pointset.get(); }

private:
  DesignSolutionDefinition m_designSolution;
  std::unique_ptr<rep::IPointsetDefinition> m_pointset;
};

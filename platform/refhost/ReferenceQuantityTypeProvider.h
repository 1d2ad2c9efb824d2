// Answers the type parameters of a reference solution's quantities from its data model.
#pragma once

#include <memory>

#include "hostapi/IQuantityTypeProvider.h"

namespace refhost {

class ReferenceSolution;

// Plain, enumeration, composite (constituents may be composite again) and "other" quantities.
class ReferenceQuantityTypeProvider : public IQuantityTypeProvider {
public:
  explicit ReferenceQuantityTypeProvider(const ReferenceSolution& solution) : m_solution(solution) {}
  ~ReferenceQuantityTypeProvider() override;

  // False, and `out` untouched, for a quantity the solution does not know at that definition, and
  // for a composite with an unknown constituent or one that contains itself.
  bool GetQuantityTypeParam(std::unique_ptr<BaseQuantityTypeParam>& out, const AString& quantity,
                            const ReportTypeSolutionDefinition& def, long version) override;

  // Queries so far.
  int GetNumQueries() const { return m_queries; }

private:
  BaseQuantityTypeParam* Build(const AString& quantity, int depth) const;

  const ReferenceSolution& m_solution;
  int m_queries = 0;
};

}  // namespace refhost

#include "reference/ReferenceVariableNameSpaceSetupper.h"

#include "orvex/values/VariableNameSpace.h"
#include "reference/ReferenceSolutionManager.h"

namespace refhost {

ReferenceVariableNameSpaceSetupper::~ReferenceVariableNameSpaceSetupper() = default;

void ReferenceVariableNameSpaceSetupper::Setup(VariableNameSpace& ns) {
  const ReferenceSolution* solution = m_solutions.FindSolution(m_solutionID);
  if (!solution) return;
  for (const auto& variable : solution->GetAllVariables()) ns.AddVariable(variable.get());
}

}  // namespace refhost

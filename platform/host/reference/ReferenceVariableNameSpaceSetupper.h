// Fills a name space with the variables of one reference solution, as the solution holds them now.
#pragma once

#include "host/IVariableNameSpaceSetupper.h"

namespace refhost {

class ReferenceSolutionManager;

class ReferenceVariableNameSpaceSetupper : public IVariableNameSpaceSetupper {
public:
  // The solution is looked up at every call: one replaced or removed later is never dangling.
  ReferenceVariableNameSpaceSetupper(const ReferenceSolutionManager& solutions, long solutionID)
      : m_solutions(solutions), m_solutionID(solutionID) {}
  ~ReferenceVariableNameSpaceSetupper() override;

  void SetupForTextRegeneration(VariableNameSpace& ns) override { Setup(ns); }
  void Setup(VariableNameSpace& ns) override;

private:
  const ReferenceSolutionManager& m_solutions;
  long m_solutionID;
};

}  // namespace refhost

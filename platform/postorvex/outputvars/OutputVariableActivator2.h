// Scope that keeps a list of output variables active for evaluation.
#pragma once

#include <set>
#include <vector>

#include "orvex/core/OrvexApi.h"

class ContextVariable;
class IValueParser;
class IVariableNameSpaceSetupper;

class POSTORVEX_API OutputVariableActivator2 {
public:
  OutputVariableActivator2(const std::vector<ContextVariable*>& variables, IValueParser* parser,
                           IVariableNameSpaceSetupper* setupper);
  // Deactivates what it activated, the last first.
  ~OutputVariableActivator2();
  OutputVariableActivator2(const OutputVariableActivator2&) = delete;
  OutputVariableActivator2& operator=(const OutputVariableActivator2&) = delete;

  // False also for a variable that was not in the list.
  bool DidActivationSucceedForOutputVariable(const ContextVariable* variable) const;
  bool AnyActivationFailed() const { return !m_failed.empty(); }

private:
  std::vector<ContextVariable*> m_activated;  // not owned
  std::set<const ContextVariable*> m_succeeded;
  std::set<const ContextVariable*> m_failed;
};

#include "postorvex/outputvars/OutputVariableActivator2.h"

#include "orvex/values/ContextVariable.h"

OutputVariableActivator2::OutputVariableActivator2(const std::vector<ContextVariable*>& variables,
                                                   IValueParser* parser, IVariableNameSpaceSetupper* setupper) {
  for (ContextVariable* v : variables) {
    if (!v) continue;
    if (v->Activate(parser, setupper)) {
      m_activated.push_back(v);
      m_succeeded.insert(v);
    } else {
      m_failed.insert(v);
    }
  }
}

OutputVariableActivator2::~OutputVariableActivator2() {
  for (auto it = m_activated.rbegin(); it != m_activated.rend(); ++it) (*it)->Deactivate();
}

bool OutputVariableActivator2::DidActivationSucceedForOutputVariable(const ContextVariable* variable) const {
  return m_succeeded.count(variable) != 0 && m_failed.count(variable) == 0;
}

#include "refhost/ReferenceOutputVariableMgr.h"

#include "postorvex/outputvars/OutputVariable.h"

namespace refhost {

ReferenceOutputVariableMgr::ReferenceOutputVariableMgr() = default;
ReferenceOutputVariableMgr::~ReferenceOutputVariableMgr() = default;

OutputVariable* ReferenceOutputVariableMgr::AddOutputVariable(const AString& name, const AString& expression,
                                                              const ValueState& state) {
  auto variable = std::make_unique<OutputVariable>(name);
  variable->SetID(m_nextID++);
  variable->SetValueBaseText(expression, state);
  m_variables.push_back(std::move(variable));
  return m_variables.back().get();
}

bool ReferenceOutputVariableMgr::CreateOutputVariable(OutputVariableDefParams&, const DesignSolutionDefinition&,
                                                      IVelmorCommand*) {
  return false;
}

bool ReferenceOutputVariableMgr::EditOutputVariable(OutputVariableDefParams&, const DesignSolutionDefinition&,
                                                    IVelmorCommand*) {
  return false;
}

bool ReferenceOutputVariableMgr::DeleteOutputVariable(OutputVariableDefParams&, IVelmorCommand*) { return false; }

bool ReferenceOutputVariableMgr::EvaluateOutputVariable(Value&, const AString&, OutputVariableDefParams&,
                                                        const DesignSolutionDefinition&, IDesignForOutputVariables*) {
  return false;
}

bool ReferenceOutputVariableMgr::CheckOutputVariableDefinition(OutputVariableDefParams&,
                                                               const DesignSolutionDefinition&) {
  return false;
}

bool ReferenceOutputVariableMgr::ValidateOutputVariableExpression(OutputVariableDefParams&,
                                                                  const DesignSolutionDefinition&) {
  return false;
}

OutputVariable* ReferenceOutputVariableMgr::GetOutputVariable(long id) const {
  for (const auto& v : m_variables)
    if (v->GetID() == id) return v.get();
  return nullptr;
}

OutputVariable* ReferenceOutputVariableMgr::FindOutputVariable(const AString& name) const {
  for (const auto& v : m_variables)
    if (v->GetName().CompareNoCase(name) == 0) return v.get();
  return nullptr;
}

void ReferenceOutputVariableMgr::GetOutputVariables(std::vector<OutputVariable*>& out,
                                                    const DesignSolutionDefinition*) const {
  ++m_listRequests;
  for (const auto& v : m_variables) out.push_back(v.get());
}

bool ReferenceOutputVariableMgr::GetSolutionExpressionValueState(const AString&, ValueState&, AString&,
                                                                 const DesignSolutionDefinition&) {
  return false;
}

io::ReadError ReferenceOutputVariableMgr::DoDataExchange(io::CBlock&, bool) { return io::kNoError; }

bool ReferenceOutputVariableMgr::ChangeOutputVariableID(OutputVariable*) { return false; }

}  // namespace refhost

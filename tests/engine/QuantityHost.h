// A host whose solutions know quantities, output variables, type parameters and command answers.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <vector>

#include "RepTest.h"
#include "hostapi/IQuantityTypeProvider.h"
#include "orvex/values/IVariableNameSpaceSetupper.h"
#include "orvex/values/VariableNameSpace.h"
#include "postorvex/columns/ManagedFileService.h"
#include "postorvex/quantities/QuantityTypeParams.h"
#include "refhost/ReferenceSolutionManager.h"

namespace reptest {

// Adds a solution's variables to a name space.
class SolutionVariablesSetupper : public IVariableNameSpaceSetupper {
public:
  explicit SolutionVariablesSetupper(const refhost::ReferenceSolution& solution) : m_solution(solution) {}
  void SetupForTextRegeneration(VariableNameSpace& ns) override { Setup(ns); }
  void Setup(VariableNameSpace& ns) override {
    for (const auto& v : m_solution.GetAllVariables()) ns.AddVariable(v.get());
  }

private:
  const refhost::ReferenceSolution& m_solution;
};

// Hands out clones of the type parameters it was given; counts the questions.
class TypeProvider : public IQuantityTypeProvider {
public:
  bool GetQuantityTypeParam(std::unique_ptr<BaseQuantityTypeParam>& out, const AString& quantity,
                            const ReportTypeSolutionDefinition&, long version) override {
    ++m_asked[quantity];
    ++m_askedPerVersion[version];
    auto it = m_params.find(quantity);
    if (it == m_params.end()) return false;
    out.reset(it->second->Clone());
    return true;
  }
  void Set(const AString& quantity, const BaseQuantityTypeParam& param) { m_params[quantity].reset(param.Clone()); }
  int Asked(const AString& quantity) const {
    auto it = m_asked.find(quantity);
    return it == m_asked.end() ? 0 : it->second;
  }
  int AskedAt(long version) const {
    auto it = m_askedPerVersion.find(version);
    return it == m_askedPerVersion.end() ? 0 : it->second;
  }

private:
  std::map<AString, std::unique_ptr<BaseQuantityTypeParam>, AString::NoCaseLess> m_params;
  std::map<AString, int, AString::NoCaseLess> m_asked;
  std::map<long, int> m_askedPerVersion;
};

class QuantitySolution : public refhost::ReferenceSolution {
public:
  QuantitySolution(long id, const AString& name) : ReferenceSolution(id, name), m_setupper(*this) {}

  bool GetQuantityValueState(ValueState& out, const AString& quantity, const ReportTypeSolutionDefinition&,
                             long) override {
    ++m_valueStateQuestions;
    auto it = m_quantities.find(quantity);
    if (it == m_quantities.end()) return false;
    out = it->second;
    return true;
  }
  bool GetQuantityEnumTypeName(AString& out, const AString& quantity, const ReportTypeSolutionDefinition&,
                               long) override {
    auto it = m_enumNames.find(quantity);
    if (it == m_enumNames.end()) return false;
    out = it->second;
    return true;
  }
  bool GetOutputVariableExpression(AString& out, const AString& name) override {
    ++m_expressionQuestions;
    auto it = m_outputVariables.find(name);
    if (it == m_outputVariables.end()) return false;
    out = it->second;
    return true;
  }
  bool DidCommandChangeQuantity(const IVelmorCommand*, const AString& quantity,
                                const ReportTypeSolutionDefinition&) override {
    return m_changedQuantities.count(quantity) != 0;
  }
  bool DidCommandChangeData(const IVelmorCommand*, const ReportTypeSolutionDefinition& def) override {
    return m_changedContexts.count(def) != 0;
  }
  IQuantityTypeProvider* GetQuantityTypeProvider() override { return m_typed ? &m_types : nullptr; }
  void GetValidVersionIDs(std::vector<long>& out, const IDerivedDataDefinition& loadDefinition) override {
    if (m_noValidVersion) return;
    ReferenceSolution::GetValidVersionIDs(out, loadDefinition);
  }

  void AddQuantity(const AString& name, const ValueState& state) { m_quantities[name] = state; }
  void AddEnumQuantity(const AString& name, const AString& enumTypeName) {
    m_quantities[name] = ValueState(15, 15, 1);
    m_enumNames[name] = enumTypeName;
  }
  void AddOutputVariable(const AString& name, const AString& expression) { m_outputVariables[name] = expression; }
  // From now on quantities are described by type parameters.
  TypeProvider& UseTypeParameters() {
    m_typed = true;
    return m_types;
  }
  IVariableNameSpaceSetupper* GetSetupper() { return &m_setupper; }

  std::set<AString, AString::NoCaseLess> m_changedQuantities;  // what every command changes
  std::set<ReportTypeSolutionDefinition> m_changedContexts;
  bool m_noValidVersion = false;  // the solution lists no valid version at all
  int m_valueStateQuestions = 0;
  int m_expressionQuestions = 0;

private:
  std::map<AString, ValueState, AString::NoCaseLess> m_quantities;
  std::map<AString, AString, AString::NoCaseLess> m_enumNames;
  std::map<AString, AString, AString::NoCaseLess> m_outputVariables;
  bool m_typed = false;
  TypeProvider m_types;
  SolutionVariablesSetupper m_setupper;
};

class QuantityHost : public refhost::ReferenceSolutionManager {
public:
  QuantityHost() { SetManagedFileService(ManagedFileService::GetInstance()); }

  QuantitySolution& AddQuantitySolution(long id, const AString& name) {
    auto& slot = m_solutions[id];
    slot = std::make_unique<QuantitySolution>(id, name);
    return *slot;
  }
  void RemoveSolution(long id) { m_removed.push_back(std::move(m_solutions[id])); m_solutions.erase(id); }

  ISolutionForReports* GetSolution(long solutionID) const override {
    auto it = m_solutions.find(solutionID);
    return it == m_solutions.end() ? nullptr : it->second.get();
  }
  IVariableNameSpaceSetupper* GetVariableNameSpaceSetupper(long solutionID) override {
    auto it = m_solutions.find(solutionID);
    return it == m_solutions.end() ? nullptr : it->second->GetSetupper();
  }
  void GetVariableChanges(std::vector<AString>& added, std::vector<AString>& deleted, std::vector<AString>&,
                          const IVelmorCommand*, long solutionID, const ReportTypeSolutionDefinition&, long) override {
    if (m_addedVariables.count(solutionID)) added.push_back(L"NewVariable");
    if (m_deletedVariables.count(solutionID)) deleted.push_back(L"OldVariable");
  }

  std::set<long> m_addedVariables;    // solutions whose variables every command adds to
  std::set<long> m_deletedVariables;

private:
  std::map<long, std::unique_ptr<QuantitySolution>> m_solutions;
  std::vector<std::unique_ptr<QuantitySolution>> m_removed;  // kept alive for stale pointers
};

}  // namespace reptest

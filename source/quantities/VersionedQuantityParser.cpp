#include "quantities/VersionedQuantityParser.h"

#include "Gravik/IOutputVariableMgr.h"
#include "Gravik/ISimValueInfoCache.h"
#include "reports/GravikUtils.h"
#include "quantities/SimValue2.h"
#include "hostapi/IAlienTokenParser.h"
#include "hostapi/ISolutionForReports.h"
#include "hostapi/ISolutionManagerForReports.h"
#include "orvex/core/Assert.h"
#include "orvex/core/Ids.h"
#include "orvex/values/ExpressionParser.h"
#include "orvex/values/IVariableNameSpaceSetupper.h"
#include "orvex/values/Value.h"
#include "orvex/values/VariableNameSpace.h"
#include "postorvex/outputvars/OutputVariable.h"
#include "postorvex/quantities/SimValueParams.h"

namespace rep {

namespace {

// An output variable that the solution defines, made and owned by a parser; when the parser goes
// while expressions still hold it, it frees itself with its last holder.
class SolutionOutputVariable : public OutputVariable {
public:
  explicit SolutionOutputVariable(const AString& name) : OutputVariable(name) {}
  void Release(IReceiver* r) override {
    OutputVariable::Release(r);
    if (m_ownedByHolders && OKtoDelete()) delete this;
  }
  void HandOverToHolders() { m_ownedByHolders = true; }

private:
  bool m_ownedByHolders = false;
};

// Marks a name as being resolved for as long as its expression is validated.
class InResolutionScope {
public:
  InResolutionScope(std::set<AString, AString::NoCaseLess>& names, const AString& name) : m_names(names), m_name(name) {
    m_names.insert(m_name);
  }
  ~InResolutionScope() { m_names.erase(m_name); }
  InResolutionScope(const InResolutionScope&) = delete;
  InResolutionScope& operator=(const InResolutionScope&) = delete;

private:
  std::set<AString, AString::NoCaseLess>& m_names;
  AString m_name;
};

bool IsSupportedDataset(const AbstractDynamicDatasetValue* d) {
  return dynamic_cast<const DoubleSimDatasetValue*>(d) || dynamic_cast<const ComplexSimDatasetValue*>(d);
}

bool SameTexts(const ValueBase* a, const ValueBase* b) {
  if (!a || !b) return !a && !b;
  return a->GetValueText().CompareNoCase(b->GetValueText()) == 0;
}

// Lets expressions that still hold a dataset keep it after its maker is gone.
void HandDatasetOver(AbstractDynamicDatasetValue* d) {
  if (auto* dd = dynamic_cast<DoubleSimDatasetValue*>(d)) dd->HandOverToHolders();
  if (auto* cd = dynamic_cast<ComplexSimDatasetValue*>(d)) cd->HandOverToHolders();
}

}  // namespace

VersionedQuantityParser::VersionedQuantityParser(IVariableNameSpaceSetupper* setupper,
                                                 const OutputVariableMap& outputVars,
                                                 const DesignSolutionDefinition& dsd, long versionID,
                                                 ISolutionForReports* solution, ISimValueInfoCache* infoCache,
                                                 ISolutionManagerForReports* solMgr)
    : m_dsd(dsd),
      m_versionID(versionID),
      m_datasetIDs(id::initialID),
      mDoubleDynamicDummyDatasetForValidationPurposes(new DoubleSimDatasetValue(id::invalidID, nullptr, nullptr)),
      mComplexDynamicDummyDatasetForValidationPurposes(new ComplexSimDatasetValue(id::invalidID, nullptr, nullptr)),
      mOutputVars(outputVars),
      m_setupper(setupper),
      m_solution(solution),
      m_solMgr(solMgr),
      m_infoCache(infoCache) {
  ORVEX_ASSERT(outputVars.size()==mOutputVars.size());
}

VersionedQuantityParser::~VersionedQuantityParser() {
  PurgeUnreferenced();
  mOutputVars.clear();

  for (auto it = m_solutionVariables.begin(); it != m_solutionVariables.end(); ++it) {
    ORVEX_ASSERT((*it).second->OKtoDelete());
    auto* mine = static_cast<SolutionOutputVariable*>((*it).second);
    if (mine->OKtoDelete())
      delete mine;
    else
      mine->HandOverToHolders();
  }
  m_solutionVariables.clear();

  ORVEX_ASSERT(mDoubleDynamicDummyDatasetForValidationPurposes->OKtoDelete());
  ORVEX_ASSERT(mComplexDynamicDummyDatasetForValidationPurposes->OKtoDelete());
  HandDatasetOver(mDoubleDynamicDummyDatasetForValidationPurposes);
  HandDatasetOver(mComplexDynamicDummyDatasetForValidationPurposes);
  if (mDoubleDynamicDummyDatasetForValidationPurposes->OKtoDelete()) delete mDoubleDynamicDummyDatasetForValidationPurposes;
  if (mComplexDynamicDummyDatasetForValidationPurposes->OKtoDelete()) delete mComplexDynamicDummyDatasetForValidationPurposes;
  for (auto it = m_datasets.rbegin(); it != m_datasets.rend(); ++it) {
    if ((*it)->OKtoDelete()) {
      delete *it;
      continue;
    }
    // Still held by an expression: it outlives the parser and goes with its last holder.
    ORVEX_ASSERT(0);
    HandDatasetOver(*it);
  }
  m_datasets.clear();

  for (auto& entry : m_simValues) {
    if (entry.second->IsReferenced())
      entry.second->HandOverToHolders();
    else
      delete entry.second;
  }
  m_simValues.clear();
}

void VersionedQuantityParser::PurgeUnreferenced() {
  // Deleting one object can release the last reference to another.
  bool deletedAny = true;
  while (deletedAny) {
    deletedAny = false;
    for (auto it = m_solutionVariables.begin(); it != m_solutionVariables.end();) {
      if (!it->second->OKtoDelete()) {
        ++it;
        continue;
      }
      delete it->second;
      it = m_solutionVariables.erase(it);
      deletedAny = true;
    }
    for (size_t i = m_datasets.size(); i-- > 0;) {
      if (!m_datasets[i]->OKtoDelete()) continue;
      delete m_datasets[i];
      m_datasets.erase(m_datasets.begin() + static_cast<std::ptrdiff_t>(i));
      deletedAny = true;
    }
  }
}

void* VersionedQuantityParser::QueryInterface(const std::type_info& type) {
  if (type == typeid(IAlienTokenParser)) return m_solMgr ? static_cast<void*>(m_solMgr->GetAlienTokenParser()) : nullptr;
  if (type == typeid(IValueParser)) return static_cast<void*>(static_cast<IValueParser*>(this));
  if (type == typeid(IInterfaceQueriable)) return static_cast<void*>(static_cast<IInterfaceQueriable*>(this));
  return nullptr;
}

OutputVariable* VersionedQuantityParser::FindOrMakeSolutionOutputVariable(const AString& name) {
  auto found = m_solutionVariables.find(name);
  if (found != m_solutionVariables.end()) return found->second;
  if (!m_solution || m_inResolution.count(name)) return nullptr;
  AString text;
  if (!m_solution->GetOutputVariableExpression(text, name)) return nullptr;

  InResolutionScope resolving(m_inResolution, name);
  auto* variable = new SolutionOutputVariable(name);
  Value value(Units::kNoUnit);
  if (ExpressionParser::ValidateExpression(value, text, {this}) != 1) {
    delete variable;
    return nullptr;
  }
  variable->SetValueBaseText(text, value.GetValueState());
  m_solutionVariables[name] = variable;
  return variable;
}

ValueBase* VersionedQuantityParser::GetValueForName(const AString& name) {
  // Met again inside its own expression: a cycle, which no later source may close.
  if (m_inResolution.count(name)) return nullptr;
  if (OutputVariable* solutionVariable = FindOrMakeSolutionOutputVariable(name)) return solutionVariable;
  auto user = mOutputVars.find(name);
  if (user != mOutputVars.end()) return user->second;
  const long id = GetSimValueID(name);
  if (id == id::invalidID) return nullptr;
  auto value = m_simValues.find(id);
  if (value == m_simValues.end()) {
    ORVEX_ASSERT(0);
    return nullptr;
  }
  return value->second;
}

long VersionedQuantityParser::GetSimValueID(const AString& name) {
  auto found = m_quantityIDs.find(name);
  if (found != m_quantityIDs.end()) return found->second;
  if (!m_infoCache) return id::invalidID;
  SimValueParams params;
  const long id = m_infoCache->GetSimValueID(params, name, m_dsd, m_versionID);
  if (id == id::invalidID) return id;
  m_quantityIDs[name] = id;
  m_quantityStates[id] = params.GetValueStateRef();
  SimValue2*& value = m_simValues[id];
  if (!value) value = new SimValue2(id, params.GetValueStateRef(), name);
  return id;
}

ValueState VersionedQuantityParser::StateOfOutputVariable(OutputVariable& variable) {
  if (!variable.ActivateWithValueParserAndVariableNameSpace(this, m_setupper)) return ValueState();
  const ValueState state = static_cast<const ValueBase&>(variable).GetValueState();
  variable.Deactivate();
  return state;
}

ValueState VersionedQuantityParser::GetValueState(const AString& name) {
  if (m_inResolution.count(name)) return ValueState(0, 15, 1);
  if (OutputVariable* solutionVariable = FindOrMakeSolutionOutputVariable(name))
    return StateOfOutputVariable(*solutionVariable);
  auto user = mOutputVars.find(name);
  if (user != mOutputVars.end()) return StateOfOutputVariable(*user->second);
  const long id = GetSimValueID(name);
  if (id != id::invalidID) return m_quantityStates[id];
  return ValueState(0, 15, 1);
}

ValueBase* VersionedQuantityParser::GetDatasetValue(ValueBase* y, ValueBase* pXExpr) {
  if (!y) return nullptr;
  if (pXExpr) {
    VariableNameSpace names(1, 1, 0);
    if (m_setupper) m_setupper->Setup(names);
    const AString xText = pXExpr->GetValueText();
    if (!Value::GetIntrinsicVariable(xText) && !names.ResolveVariable(xText)) return nullptr;
  }

  for (AbstractDynamicDatasetValue* d : m_datasets) {
    if (!IsSupportedDataset(d)) {
      ORVEX_ASSERT(!"Only double or complex");
      return nullptr;
    }
    if (!SameTexts(d->GetYExpression(), y) || !SameTexts(d->GetXExpression(), pXExpr)) continue;
    return dynamic_cast<ValueBase*>(d);
  }

  if (pXExpr) ORVEX_ASSERT(pXExpr->GetParameterType()==val::kDoubleParam);
  const val::ParameterType yType = y->GetParameterType();
  if (yType == val::kDoubleParam) {
    auto* d = new DoubleSimDatasetValue(m_datasetIDs.GetNewUniqueID(), y, pXExpr);
    m_datasets.push_back(d);
    return d;
  }
  if (yType == val::kComplexParam) {
    auto* d = new ComplexSimDatasetValue(m_datasetIDs.GetNewUniqueID(), y, pXExpr);
    m_datasets.push_back(d);
    return d;
  }
  ORVEX_ASSERT(!"Only double or complex for now");
  return nullptr;
}

ValueBase* VersionedQuantityParser::GetDummyDatasetForValidation(const ValueState& y, const ValueState& x) {
  if (x.GetParameterType() != val::kDoubleParam) ORVEX_ASSERT(0);
  if (y.GetParameterType() == val::kDoubleParam) return mDoubleDynamicDummyDatasetForValidationPurposes;
  if (y.GetParameterType() == val::kComplexParam) return mComplexDynamicDummyDatasetForValidationPurposes;
  ORVEX_ASSERT(0);
  return nullptr;
}

AbstractDynamicDatasetValue* VersionedQuantityParser::FindDatasetByID(long id) const {
  for (AbstractDynamicDatasetValue* d : m_datasets)
    if (d->GetID() == id) return d;
  return nullptr;
}

void VersionedQuantityParser::GetSimValues(std::vector<SimValue2*>& out) const {
  for (const auto& entry : m_simValues) out.push_back(entry.second);
}

bool VersionedQuantityParser::IsSolutionOutputVariable(const ContextVariable& variable) {
  return IsSolutionOutputVariable(variable.GetName());
}

bool VersionedQuantityParser::IsSolutionOutputVariable(const AString& name) {
  return FindOrMakeSolutionOutputVariable(name) != nullptr;
}

IValueParser* CreateVersionedQuantityParser(ISolutionManagerForReports* solMgr, IOutputVariableMgr* outputVariables,
                                            ISimValueInfoCache* infoCache, const DesignSolutionDefinition& dsd) {
  ISolutionForReports* solution = solMgr ? solMgr->GetSolution(dsd.GetSolutionID()) : nullptr;
  if (!solution) return nullptr;
  const long versionID = GetVersionIDForPostprocessing(solMgr, dsd);

  std::vector<OutputVariable*> outputVars;
  if (outputVariables) outputVariables->GetOutputVariables(outputVars, nullptr);
  VersionedQuantityParser::OutputVariableMap outputVarsMap;
  for (OutputVariable* variable : outputVars) {
    const AString& currVarName = variable->GetName();
    // One lookup: validation makes a parser per question, and the manager may hold many variables.
    auto placed = outputVarsMap.emplace(currVarName, variable);
    if (placed.second) continue;
    ORVEX_ASSERT(outputVarsMap.find(currVarName) == outputVarsMap.end());
    placed.first->second = variable;
  }

  IVariableNameSpaceSetupper* vnssetupper = solMgr->GetVariableNameSpaceSetupper(dsd.GetSolutionID());
  ORVEX_ASSERT(vnssetupper);
  return new VersionedQuantityParser(vnssetupper, outputVarsMap, dsd, versionID, solution, infoCache, solMgr);
}

long GetSimValueIDFromValue(const ValueBase* value) {
  const auto* simValue = dynamic_cast<const SimValue2*>(value);
  if (!simValue) {
    ORVEX_ASSERT(!"Should not be passing me anything other than SimValue2's!");
    return id::invalidID;
  }
  return simValue->GetSimValueID();
}

}  // namespace rep

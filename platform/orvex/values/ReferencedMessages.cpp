#include "orvex/values/ReferencedMessages.h"

#include <algorithm>

namespace {

void AddNameOnce(std::vector<AString>& names, const AString& name) {
  for (const AString& n : names)
    if (n.CompareNoCase(name) == 0) return;
  names.push_back(name);
}

template <class T>
void AddOnce(std::vector<T>& v, const T& x) {
  if (std::find(v.begin(), v.end(), x) == v.end()) v.push_back(x);
}

template <class T>
void AppendTo(std::vector<T>& out, const std::vector<T>& in) {
  out.insert(out.end(), in.begin(), in.end());
}

}  // namespace

ReferencedPostprocessingQuantityMsg::ReferencedPostprocessingQuantityMsg()
    : Msg(msgtype::kReferencedPostprocessingQuantity) {}
ReferencedPostprocessingQuantityMsg::~ReferencedPostprocessingQuantityMsg() = default;

void ReferencedPostprocessingQuantityMsg::AddSimValueQuantity(const AString& name) { AddNameOnce(m_quantities, name); }
void ReferencedPostprocessingQuantityMsg::AddCompositeQuantity(const AString& name) { AddNameOnce(m_composites, name); }
void ReferencedPostprocessingQuantityMsg::AddOutputVariable(ContextVariable* v) { AddOnce(m_outputVariables, v); }
void ReferencedPostprocessingQuantityMsg::AddSimDatasetValue(long id) { AddOnce(m_datasets, id); }

void ReferencedPostprocessingQuantityMsg::GetSimValueQuantities(std::vector<AString>& out) const {
  AppendTo(out, m_quantities);
}
void ReferencedPostprocessingQuantityMsg::GetCompositeQuantities(std::vector<AString>& out) const {
  AppendTo(out, m_composites);
}
void ReferencedPostprocessingQuantityMsg::GetOutputVariables(std::vector<ContextVariable*>& out) const {
  AppendTo(out, m_outputVariables);
}
void ReferencedPostprocessingQuantityMsg::GetSimDatasetValues(std::vector<long>& out) const {
  AppendTo(out, m_datasets);
}

ReferencedVariablesMsg::ReferencedVariablesMsg(bool throughOutputVariables)
    : Msg(msgtype::kReferencedVariables), m_through(throughOutputVariables) {}
ReferencedVariablesMsg::~ReferencedVariablesMsg() = default;

void ReferencedVariablesMsg::AddVariable(Variable* v) { AddOnce(m_variables, v); }
void ReferencedVariablesMsg::GetVariables(std::vector<Variable*>& out) const { AppendTo(out, m_variables); }

DatasetDependencyMsg::DatasetDependencyMsg() : Msg(msgtype::kDatasetDependency) {}
DatasetDependencyMsg::~DatasetDependencyMsg() = default;

void DatasetDependencyMsg::AppendAsDependentValue(AbstractDynamicDatasetValue* v) { AddOnce(m_values, v); }
void DatasetDependencyMsg::GetDependentValues(std::vector<AbstractDynamicDatasetValue*>& out) const {
  AppendTo(out, m_values);
}

ReferencedDatasetsMsg::ReferencedDatasetsMsg(ReferencedDatasetMap& out, bool throughOutputVariables)
    : Msg(msgtype::kReferencedDatasets), m_out(out), m_through(throughOutputVariables) {}
ReferencedDatasetsMsg::~ReferencedDatasetsMsg() = default;

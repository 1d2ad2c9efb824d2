// Messages that collect what an expression refers to: quantities, variables, datasets.
#pragma once

#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/values/Dataset.h"
#include "orvex/values/Msg.h"

class ContextVariable;
class Variable;

// The quantities, output variables and sim datasets an expression uses (type 0x35356766).
class ORVEX_API ReferencedPostprocessingQuantityMsg : public Msg {
public:
  ReferencedPostprocessingQuantityMsg();
  ~ReferencedPostprocessingQuantityMsg() override;

  // Names are kept once without regard to case, in first-seen order.
  void AddSimValueQuantity(const AString& name);
  void AddCompositeQuantity(const AString& name);
  void AddOutputVariable(ContextVariable* v);
  void AddSimDatasetValue(long id);

  // Each appends.
  void GetSimValueQuantities(std::vector<AString>& out) const;
  void GetCompositeQuantities(std::vector<AString>& out) const;
  void GetOutputVariables(std::vector<ContextVariable*>& out) const;
  void GetSimDatasetValues(std::vector<long>& out) const;

private:
  std::vector<AString> m_quantities;
  std::vector<AString> m_composites;
  std::vector<ContextVariable*> m_outputVariables;  // not owned
  std::vector<long> m_datasets;
};

// The variables an expression uses; through output variables when built with true.
class ORVEX_API ReferencedVariablesMsg : public Msg {
public:
  explicit ReferencedVariablesMsg(bool throughOutputVariables);
  ~ReferencedVariablesMsg() override;

  bool GetThroughOutputVariables() const { return m_through; }
  void AddVariable(Variable* v);
  void GetVariables(std::vector<Variable*>& out) const;

private:
  bool m_through;
  std::vector<Variable*> m_variables;  // not owned, first-seen order
};

// The dataset values that depend on what receives it (type 0x35356800).
class ORVEX_API DatasetDependencyMsg : public Msg {
public:
  DatasetDependencyMsg();
  ~DatasetDependencyMsg() override;

  void AppendAsDependentValue(AbstractDynamicDatasetValue* v);
  void GetDependentValues(std::vector<AbstractDynamicDatasetValue*>& out) const;

private:
  std::vector<AbstractDynamicDatasetValue*> m_values;  // not owned
};

// The design datasets an expression names through table() (type 0x35356802).
class ORVEX_API ReferencedDatasetsMsg : public Msg {
public:
  ReferencedDatasetsMsg(ReferencedDatasetMap& out, bool throughOutputVariables);
  ~ReferencedDatasetsMsg() override;

  bool GetThroughOutputVariables() const { return m_through; }
  void AddDataset(const DatasetServer* server, long id) { m_out[server].insert(id); }

private:
  ReferencedDatasetMap& m_out;
  bool m_through;
};

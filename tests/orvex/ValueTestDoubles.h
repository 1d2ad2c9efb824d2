// A value parser for tests, shaped like a product's: quantities, output variables and dataset values.
#pragma once

#include <limits>
#include <map>
#include <memory>
#include <vector>

#include "orvex/values/ContextVariable.h"
#include "orvex/values/Dataset.h"
#include "orvex/values/IValueParser.h"
#include "orvex/values/ReceiverMgr.h"
#include "orvex/values/ReferencedMessages.h"
#include "orvex/values/Value.h"
#include "orvex/values/Variable.h"

namespace testvalues {

// A quantity leaf: holds no number; asks whatever parser is installed when it is evaluated.
class Quantity : public ValueBase {
public:
  Quantity(long id, const AString& name, const ValueState& state) : m_id(id), m_name(name), m_state(state) {}

  long GetID() const { return m_id; }
  void SetName(const AString& name) { m_name = name; }

  void DoReceiveMsg(Msg& m) override {
    if (m.GetType() == msgtype::kReferencedPostprocessingQuantity) {
      dynamic_cast<ReferencedPostprocessingQuantityMsg&>(m).AddSimValueQuantity(m_name);
      return;
    }
    if (m.GetPassOn()) m_receivers.ReceiveMsg(m);
  }
  double GetValue() const override {
    IValueParser* p = Value::GetValueParser();
    return p ? p->GetValue(this) : std::numeric_limits<double>::quiet_NaN();
  }
  AComplex<double> GetComplexValue() const override {
    IValueParser* p = Value::GetValueParser();
    return p ? p->GetComplexValue(this) : AComplex<double>();
  }
  int GetIntValue() const override {
    IValueParser* p = Value::GetValueParser();
    return p ? p->GetIntValue(this) : 0;
  }
  AString GetValueText() const override { return m_name; }
  bool IsConstant() const override { return false; }
  Units::FullUnitType GetUnits() const override { return m_state.GetFullUnitType(); }
  val::ParameterType GetParameterType() const override { return m_state.GetParameterType(); }
  void AddRef(IReceiver* r) override { m_receivers.AddReceiver(r); }
  void Release(IReceiver* r) override { m_receivers.RemoveReceiver(r); }
  bool HasRef(IReceiver* r) const override { return m_receivers.HasReceiver(r); }
  size_t RefCount() const { return m_receivers.Count(); }

private:
  long m_id;
  AString m_name;
  ValueState m_state;
  ReceiverMgr m_receivers;
};

// A quantity sampled over a variable; the test sets the dataset and index of the current point.
class DatasetValue : public AbstractDatasetValueBase, public AbstractDynamicDatasetValue {
public:
  DatasetValue(long id, ValueBase* y, ValueBase* x, bool complex) : m_id(id), m_complex(complex) {
    if (x) {
      m_x = x->CloneValueBase();
      m_x->AddRef(AnonymousValueReceiver::GetInstance());
    }
    if (y) {
      m_y = y->CloneValueBase();
      m_y->AddRef(AnonymousValueReceiver::GetInstance());
    }
  }
  ~DatasetValue() override {
    if (m_x) m_x->Release(AnonymousValueReceiver::GetInstance());
    if (m_y) m_y->Release(AnonymousValueReceiver::GetInstance());
  }

  void SetCurrent(const AbstractDataset* ds, int index) {
    m_current = ds;
    m_index = index;
  }

  void DoReceiveMsg(Msg& m) override {
    if (m.GetType() == msgtype::kReferencedPostprocessingQuantity)
      dynamic_cast<ReferencedPostprocessingQuantityMsg&>(m).AddSimDatasetValue(m_id);
    if (m_x) m_x->ReceiveMsg(m);
    if (m_y) m_y->ReceiveMsg(m);
    if (m.GetType() == msgtype::kDatasetDependency)
      dynamic_cast<DatasetDependencyMsg&>(m).AppendAsDependentValue(this);
  }
  AString GetValueText() const override {
    AString t = m_y ? m_y->GetValueText() : AString();
    return m_x ? t + L", " + m_x->GetValueText() : t;
  }
  val::ParameterType GetParameterType() const override {
    return m_complex ? val::kComplexDatasetParam : val::kDoubleDatasetParam;
  }
  int GetIndexInsideDataset() const override { return m_index; }
  const AbstractDataset* GetDatasetForCurrentPoint() const override { return m_current; }
  const ValueBase* GetYExpression() const override { return m_y; }
  long GetID() const override { return m_id; }
  const ValueBase* GetXExpression() const override { return m_x; }
  bool OKtoDelete() const override { return m_receivers.IsEmpty(); }
  void AddRef(IReceiver* r) override { m_receivers.AddReceiver(r); }
  void Release(IReceiver* r) override { m_receivers.RemoveReceiver(r); }
  bool HasRef(IReceiver* r) const override { return m_receivers.HasReceiver(r); }

private:
  long m_id;
  bool m_complex;
  ValueBase* m_x = nullptr;  // held through the anonymous receiver
  ValueBase* m_y = nullptr;
  ReceiverMgr m_receivers;
  const AbstractDataset* m_current = nullptr;  // not owned
  int m_index = 0;
};

class Parser : public IValueParser {
public:
  using IValueParser::GetValueForName;

  Parser() : m_dummyDouble(-1, nullptr, nullptr, false), m_dummyComplex(-1, nullptr, nullptr, true) {}
  // A dataset's y may call an earlier dataset: the later ones go first.
  virtual ~Parser() {
    while (!m_datasets.empty()) m_datasets.pop_back();
  }

  Quantity* AddQuantity(const AString& name, val::ParameterType type = val::kDoubleParam,
                        Units::FullUnitType units = Units::kNoUnit) {
    ValueState state(type, Units::GetUnitType(units), val::kDefaultDBType, units);
    m_quantities.emplace_back(new Quantity(static_cast<long>(m_quantities.size()) + 1, name, state));
    return m_quantities.back().get();
  }
  void SetNumber(const Quantity* q, const AComplex<double>& v) { m_numbers[q->GetID()] = v; }
  void AddOutputVariable(ContextVariable* v) { m_outputVariables.push_back(v); }
  // The state GetValueState reports for a name, where it differs from the leaf's own.
  void SetReportedState(const AString& name, const ValueState& s) { m_reported[name] = s; }

  ValueBase* GetValueForName(const AString& name) override {
    ++m_lookups;
    for (ContextVariable* v : m_outputVariables)
      if (v->GetName().CompareNoCase(name) == 0) return v;
    for (auto& q : m_quantities)
      if (q->GetValueText().CompareNoCase(name) == 0) return q.get();
    return nullptr;
  }
  ValueState GetValueState(const AString& name) override {
    auto it = m_reported.find(name);
    if (it != m_reported.end()) return it->second;
    ValueBase* vb = GetValueForName(name);
    return vb ? vb->GetValueState() : ValueState();
  }
  double GetValue(const ValueBase* asking) override { return GetComplexValue(asking).real(); }
  AComplex<double> GetComplexValue(const ValueBase* asking) override {
    auto* q = dynamic_cast<const Quantity*>(asking);
    auto it = q ? m_numbers.find(q->GetID()) : m_numbers.end();
    return it == m_numbers.end() ? AComplex<double>(std::numeric_limits<double>::quiet_NaN(), 0.0) : it->second;
  }
  int GetIntValue(const ValueBase* asking) override { return static_cast<int>(GetValue(asking)); }

  ValueBase* GetDatasetValue(ValueBase* y, ValueBase* x) override {
    if (x && !dynamic_cast<Variable*>(x)) return nullptr;
    for (auto& d : m_datasets) {
      const ValueBase* dx = d->GetXExpression();
      bool sameX = (!dx && !x) || (dx && x && dx->GetValueText().CompareNoCase(x->GetValueText()) == 0);
      if (sameX && d->GetYExpression()->GetValueText().CompareNoCase(y->GetValueText()) == 0) return d.get();
    }
    val::ParameterType t = y->GetParameterType();
    if (t != val::kDoubleParam && t != val::kComplexParam) return nullptr;
    m_datasets.emplace_back(new DatasetValue(static_cast<long>(m_datasets.size()) + 1, y, x, t == val::kComplexParam));
    return m_datasets.back().get();
  }
  ValueBase* GetDummyDatasetForValidation(const ValueState& y, const ValueState& x) override {
    m_dummyRequests.push_back({y, x});
    if (y.GetParameterType() == val::kDoubleParam) return &m_dummyDouble;
    if (y.GetParameterType() == val::kComplexParam) return &m_dummyComplex;
    return nullptr;
  }

  DatasetValue* Dataset(size_t i) { return i < m_datasets.size() ? m_datasets[i].get() : nullptr; }
  size_t NumDatasets() const { return m_datasets.size(); }
  int Lookups() const { return m_lookups; }
  const std::vector<std::pair<ValueState, ValueState>>& DummyRequests() const { return m_dummyRequests; }

private:
  std::vector<std::unique_ptr<Quantity>> m_quantities;
  std::vector<std::unique_ptr<DatasetValue>> m_datasets;  // destroyed before the quantities they hold
  std::map<long, AComplex<double>> m_numbers;
  std::vector<ContextVariable*> m_outputVariables;  // not owned
  std::map<AString, ValueState> m_reported;
  DatasetValue m_dummyDouble;
  DatasetValue m_dummyComplex;
  std::vector<std::pair<ValueState, ValueState>> m_dummyRequests;
  int m_lookups = 0;
};

}  // namespace testvalues

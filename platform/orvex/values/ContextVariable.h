// A named expression usable as a leaf of other expressions (base of output variables).
#pragma once

#include <memory>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/values/ReceiverMgr.h"
#include "orvex/values/Value.h"
#include "orvex/values/ValueBase.h"

class IValueParser;
class IVariableNameSpaceSetupper;

// Owned by its manager, never deleted by holders. Evaluating it needs an activation: the first
// one parses the text with the given parser and name space; the last deactivation drops it.
class ORVEX_API ContextVariable : public ValueBase {
public:
  explicit ContextVariable(const AString& name);
  // Copies name, text and state; neither holders nor activation.
  ContextVariable(const ContextVariable& other);
  ContextVariable& operator=(const ContextVariable& other);
  ~ContextVariable() override;

  const AString& GetName() const { return m_name; }
  void SetName(const AString& name) { m_name = name; }
  void SetValueBaseText(const AString& text, const ValueState& state);
  const AString& GetValueBaseText() const { return m_text; }
  ValueState GetValueState() const { return m_state; }
  // No holder registered.
  bool OKtoDelete() const { return m_receivers.IsEmpty(); }

  // Counted. The first parses the text (unit 90) with `parser` installed and a name space filled
  // by `setupper`; false, and still inactive, when the text does not parse.
  bool Activate(IValueParser* parser, IVariableNameSpaceSetupper* setupper);
  void Deactivate();
  bool IsActive() const { return m_active != nullptr; }
  int GetActivationCount() const { return m_activations; }
  const Value* GetActiveValue() const { return m_active.get(); }

  // ValueBase. Re-entering evaluation raises "!\"output variable cycle\"" and answers NaN;
  // an inactive variable raises "IsActive()" and answers NaN.
  void DoReceiveMsg(Msg& m) override;
  val::DBType GetDBType() const override { return m_state.GetDBType(); }
  double GetValue() const override;
  AComplex<double> GetComplexValue() const override;
  AString GetValueText() const override { return m_name; }
  bool IsConstant() const override { return false; }
  Units::FullUnitType GetUnits() const override { return m_state.GetFullUnitType(); }
  val::ParameterType GetParameterType() const override { return m_state.GetParameterType(); }
  void AddRef(IReceiver* r) override { m_receivers.AddReceiver(r); }
  void Release(IReceiver* r) override { m_receivers.RemoveReceiver(r); }
  bool HasRef(IReceiver* r) const override { return m_receivers.HasReceiver(r); }

private:
  // Hands the message to the active expression, or to a parse of the text made for it.
  void PassIntoExpression(Msg& m);

  AString m_name;
  AString m_text;
  ValueState m_state;
  ReceiverMgr m_receivers;       // holders, not owned
  int m_activations = 0;
  std::unique_ptr<Value> m_active;  // the parsed text while active
  mutable bool m_busy = false;     // evaluation or message passing in progress
};

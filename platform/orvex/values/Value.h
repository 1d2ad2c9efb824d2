// A value set from an expression text or a number: parsed once, evaluated at the current values.
#pragma once

#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/values/AComplex.h"
#include "orvex/values/Dataset.h"
#include "orvex/values/GeometryParams.h"
#include "orvex/values/Msg.h"
#include "orvex/values/Units.h"
#include "orvex/values/ValueCodes.h"
#include "orvex/values/ValueState.h"

class ExprNode;
class IValueParser;
class ValueBase;
class Variable;

// Holds the root of its expression tree as a registered receiver; copies share the root.
// Every getter evaluates anew at the current variable values and the installed value parser.
// An empty or invalid value answers type 0 and NaN.
class ORVEX_API Value : public SingleVisitReceiver {
public:
  Value();
  explicit Value(Units::FullUnitType units);
  Value(double numberInUnits, Units::FullUnitType units);
  Value(const AComplex<double>& numberInUnits, Units::FullUnitType units);
  Value(const AString& text, Units::FullUnitType units);
  Value(const Value& other);
  Value& operator=(const Value& other);
  ~Value() override;

  // The number in the value's units; type 1, valid, units unchanged.
  Value& operator=(double numberInUnits);

  // Parses with the installed value parser and the current name spaces. A number without unit
  // suffix that is the whole text is taken in `units`. On failure the value is invalid (type 0),
  // keeps the text, and the answer is false.
  bool SetValueText(const AString& text, Units::FullUnitType units);
  // A string constant, type 10.
  bool SetStringValueText(const AString& text);
  // Holds `root` (not parsed); the value's text becomes the root's text. Null empties the value.
  void SetValueBase(ValueBase* root);
  void Clear();

  bool IsValidText() const { return m_valid; }
  bool IsEmpty() const { return m_root == nullptr; }
  // The text exactly as set; for a value made from a number, "%.15g" and the unit name.
  AString GetValueText() const;
  // True when the content came from SetValueText (not from a number).
  bool IsParsedFromText() const { return m_fromText; }

  val::ParameterType GetParameterType() const;
  // The units given, or with 90 the natural units of the expression.
  Units::FullUnitType GetUnits() const;
  // The units the value was made with, before natural units apply.
  Units::FullUnitType GetGivenUnits() const { return m_units; }
  ValueState GetValueState() const;

  double GetValue() const;  // the real part of a complex result
  AComplex<double> GetComplexValue() const;
  int GetIntValue() const;
  char GetCharValue() const;
  int GetEnumValue() const;
  AString GetStringValue() const;
  const ArcParam* GetArcParam() const;
  const CircleParam* GetCircleParam() const;
  const RegionParam* GetRegionParam() const;
  // The same in SI, for comparisons and keys.
  double GetSIValue() const;
  AComplex<double> GetSIComplexValue() const;

  // No variable, quantity, output-variable or dataset leaf; empty and invalid values count as constant.
  bool IsConstant() const;
  // Same parameter type and exactly equal evaluated value.
  bool IsEqual(const Value& other) const;

  const ValueBase* GetValueBase() const { return m_root; }
  ValueBase* GetValueBaseForEdit() { return m_root; }

  // The design datasets named through table().
  void GetReferencedDatasets(ReferencedDatasetMap& out, bool throughOutputVariables) const;
  // Forwards to the root.
  void DoReceiveMsg(Msg& m) override;

  // The one installed parser of the process; answers the previous one.
  static IValueParser* SetValueParser(IValueParser* parser);
  static IValueParser* GetValueParser();
  static Variable* GetIntrinsicVariable(const AString& name);
  static Variable* GetConstantVariable(const AString& name);

private:
  friend class ExpressionCompiler;
  friend class ExpressionParser;
  // With `listed`, names come from those parsers; the value changes only on success.
  bool Parse(const AString& text, Units::FullUnitType units, const std::vector<IValueParser*>* listed);
  void Attach(ValueBase* root);
  void Detach();
  AComplex<double> EvalComplexInUnits() const;

  ValueBase* m_root = nullptr;        // held through AddRef(this)
  const ExprNode* m_node = nullptr;   // m_root when it is a node
  val::ParameterType m_type = val::kNoParam;
  Units::FullUnitType m_units;        // as given
  AString m_text;
  bool m_fromText = false;
  bool m_valid = false;
};

// The values of a set of variables: one variation, ordered by variable, with its text key.
#pragma once

#include <map>
#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/values/Value.h"

class Variable;
class VariableNameSpace;

struct ORVEX_API VariableLess {
  bool operator()(const Variable* a, const Variable* b) const;
};

class ORVEX_API VariableValues {
public:
  using ValueMap = std::map<const Variable*, Value, VariableLess>;
  // Both must be null wherever a key is made; kept for the callers' signatures.
  using NameMap = std::map<AString, AString>;
  using UnitMap = std::map<AString, Units::FullUnitType>;

  // Name without case, then exact name, then creation serial; negative, zero or positive.
  static int CompareVariables(const Variable* a, const Variable* b);

  void SetVariableValue(const Variable* v, const Value& value);
  void AddVariableValue(const Variable* v, const Value& value) { SetVariableValue(v, value); }
  bool RemoveVariableValue(const Variable* v);
  bool RemoveVariableValue(const AString& name);
  bool DoesVariableExist(const AString& name) const;
  bool HasVariable(const Variable* v) const { return m_values.count(v) != 0; }
  const Value* GetVariableValue(const Variable* v) const;
  bool GetVariableValue(const AString& name, Value& out) const;
  const ValueMap& GetVariableValueMap() const { return m_values; }
  size_t size() const { return m_values.size(); }
  bool empty() const { return m_values.empty(); }
  void clear() { m_values.clear(); }

  // Sets each listed variable that has a current value to that value.
  void CopyVarValuesFrom(const std::vector<Variable*>& vars);
  void Merge(const VariableValues& other, bool otherWins);

  // The variables, then per variable the SI real and imaginary parts (NaN first, NaN equal to
  // NaN; texts for text and string values): "1GHz" and "1e9" are one point.
  static int Compare(const VariableValues& a, const VariableValues& b);
  bool operator<(const VariableValues& o) const { return Compare(*this, o) < 0; }
  bool operator==(const VariableValues& o) const { return Compare(*this, o) == 0; }
  bool operator!=(const VariableValues& o) const { return Compare(*this, o) != 0; }

  // "Name1=text1, Name2=text2" in map order; a text with a comma, an equals sign, a double quote
  // or blanks at either end is quoted with \" and \\ escaped. A text parsed from a string is used
  // as written unless formatNumbers; else the number in the value's units with numberFormat
  // ("%.17g" when null) and, when withUnits, the unit name.
  AString GetVariationKey(bool withUnits, const NameMap* names = nullptr, const UnitMap* units = nullptr) const;
  AString GetVariationKey(const char* numberFormat, bool withUnits, const NameMap* names, const UnitMap* units,
                          bool formatNumbers) const;

  // Reads a key back: names resolved without case in `ns` (may be null), then among intrinsic
  // variables; each text set in its variable's units. Answers the number of pairs, or 0 with
  // `out` cleared when the key is empty or any pair fails. `flag` has no effect.
  static int ResolveVariationKey(VariableValues& out, const AString& key, const VariableNameSpace* ns, bool flag);

private:
  ValueMap m_values;
};

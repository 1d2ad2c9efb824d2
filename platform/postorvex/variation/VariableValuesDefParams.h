// One family of a point set: a value for each fixed sweep variable, kept by name.
#pragma once

#include <utility>
#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/values/Value.h"

class IVariableNameSpaceSetupper;
class Variable;
class VariableValues;

class POSTORVEX_API VariableValuesDefParams {
public:
  using Entry = std::pair<AString, Value>;

  VariableValuesDefParams() = default;

  // A name already held, compared without regard to case, has its value replaced in place.
  void AddVariableValue(const Variable* variable, const Value& value);
  void AddVariableValue(const AString& name, const Value& value);
  bool RemoveVariableValue(const AString& name);
  bool DoesVariableExist(const AString& name) const;
  // Null when the name is not held.
  const Value* GetVariableValue(const AString& name) const;
  // Appends the names in order.
  void GetVariableNames(std::vector<AString>& out) const;
  const std::vector<Entry>& GetEntries() const { return m_entries; }
  size_t size() const { return m_entries.size(); }
  bool empty() const { return m_entries.empty(); }

  // "Name1=text1, Name2=text2": names as held, values by their texts, a text quoted when it holds
  // a comma, an equals sign, a double quote or outer blanks. Empty for no values.
  AString GetVariationKey() const;
  // Replaces the content with the key's pairs, each text set in unit 90 without resolving names.
  // Answers the number of values held then; 0 and unchanged for an empty or malformed key.
  unsigned AssignVariationKey(const AString& key);

  // Resolves each name in a name space that the setupper fills (then among intrinsic variables)
  // and sets the value's text in that variable's units. A name or text that does not resolve is
  // left out, and the answer is false.
  bool ConvertToVariableValues(VariableValues& out, IVariableNameSpaceSetupper* setupper) const;

  // Names by the variables' names, values as held, in each variation's own order.
  static void ConvertToVariableValuesDefParams(const std::vector<VariableValues>& in,
                                               std::vector<VariableValuesDefParams>& out);

  // Names equal without regard to case, in the same order, with equal texts and units.
  bool operator==(const VariableValuesDefParams& other) const;
  bool operator!=(const VariableValuesDefParams& other) const { return !(*this == other); }

private:
  std::vector<Entry>::iterator Find(const AString& name);
  std::vector<Entry>::const_iterator Find(const AString& name) const;

  std::vector<Entry> m_entries;
};

// Scopes that make variable values current and restore exactly what they changed.
#pragma once

#include <utility>
#include <vector>

#include "orvex/core/OrvexApi.h"
#include "orvex/values/VariableValues.h"

class IVariableValueSource;

// Pushes each value as its variable's current value; the innermost context wins.
class ORVEX_API VariableValuesContext {
public:
  explicit VariableValuesContext(const VariableValues& values);
  ~VariableValuesContext();
  VariableValuesContext(const VariableValuesContext&) = delete;
  VariableValuesContext& operator=(const VariableValuesContext&) = delete;

private:
  std::vector<std::pair<const Variable*, long>> m_pushed;  // push tokens, undone in reverse
};

// The same behaviour under its own name; nesting is allowed.
class ORVEX_API NonNestableVariableValuesContext : public VariableValuesContext {
public:
  explicit NonNestableVariableValuesContext(const VariableValues& values) : VariableValuesContext(values) {}
};

// One variable: a value, or a source read at every evaluation (a column at its current row).
class ORVEX_API VariableValueContext {
public:
  VariableValueContext(const Variable* variable, const Value& value);
  VariableValueContext(const Variable* variable, const IVariableValueSource* source);
  ~VariableValueContext();
  VariableValueContext(const VariableValueContext&) = delete;
  VariableValueContext& operator=(const VariableValueContext&) = delete;

private:
  const Variable* m_variable;  // not owned
  long m_token = 0;
};

// Scopes that read columns through variables and values.
#pragma once

#include <vector>

#include "orvex/core/OrvexApi.h"

class Column;
class Value;
class Variable;

// While it lives, the variable's current value is the column's entry at its current row.
class POSTORVEX_API LinkVariableToColumnContext {
public:
  // A null variable links nothing (after a soft assertion).
  LinkVariableToColumnContext(Column& column, Variable* variable);
  ~LinkVariableToColumnContext();
  LinkVariableToColumnContext(const LinkVariableToColumnContext&) = delete;
  LinkVariableToColumnContext& operator=(const LinkVariableToColumnContext&) = delete;

private:
  Variable* m_variable;
  long m_token = 0;
};

class POSTORVEX_API ColumnValueExtractionVisitor {
public:
  // Appends one constant value per row in the column's unit; an invalid entry gives an empty
  // value of that unit.
  static void GetColumnValues(const Column& column, std::vector<Value>& out);
};

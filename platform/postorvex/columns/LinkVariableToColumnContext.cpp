#include "postorvex/columns/LinkVariableToColumnContext.h"

#include "orvex/core/Assert.h"
#include "orvex/values/Value.h"
#include "orvex/values/Variable.h"
#include "postorvex/columns/Column.h"

LinkVariableToColumnContext::LinkVariableToColumnContext(Column& column, Variable* variable) : m_variable(variable) {
  ORVEX_ASSERT(variable);
  if (m_variable) m_token = m_variable->PushCurrentSource(&column);
}

LinkVariableToColumnContext::~LinkVariableToColumnContext() {
  if (m_variable) m_variable->PopCurrentValue(m_token);
}

void ColumnValueExtractionVisitor::GetColumnValues(const Column& column, std::vector<Value>& out) {
  const size_t n = column.GetCount();
  out.reserve(out.size() + n);
  for (size_t i = 0; i < n; ++i) {
    Value v(column.GetUnits());
    if (!column.GetEntryValue(i, v)) v = Value(column.GetUnits());
    out.push_back(v);
  }
}

#include "tracedata/TraceComponentData.h"

#include "orvex/core/Assert.h"
#include "postorvex/columns/Column.h"

namespace rep {

namespace {

const int kEnumerationType = 15;

std::unique_ptr<Column> CloneOrNull(const std::unique_ptr<Column>& column) {
  return std::unique_ptr<Column>(column ? column->CloneColumn() : nullptr);
}

}  // namespace

TraceComponentData::TraceComponentData() = default;

TraceComponentData::TraceComponentData(Column* dataColumn, Column* textColumn, Column* interpColumn)
    : m_dataColumn(dataColumn), m_textColumn(textColumn), m_interpColumn(interpColumn) {}

TraceComponentData::~TraceComponentData() = default;

AString TraceComponentData::GetExpression() const { return m_expression; }

void TraceComponentData::Accept(ITraceComponentDataNonConstVisitor& visitor) { visitor.VisitLeaf(*this); }

void TraceComponentData::Accept(ITraceComponentDataVisitor& visitor) const { visitor.VisitLeaf(*this); }

std::unique_ptr<TraceComponentData> TraceComponentData::Clone() const {
  auto copy = std::make_unique<TraceComponentData>(CloneOrNull(m_dataColumn).release(),
                                                   CloneOrNull(m_textColumn).release(),
                                                   CloneOrNull(m_interpColumn).release());
  copy->m_expression = m_expression;
  return copy;
}

void TraceComponentData::SetDataColumn(Column* column) { m_dataColumn.reset(column); }

void TraceComponentData::SetInterpColumn(Column* column) { m_interpColumn.reset(column); }

bool TraceComponentData::GetEnumName(AString& name) const {
  if (!m_dataColumn || m_dataColumn->GetParameterType() != kEnumerationType) return false;
  const EnumColumn* enumColumn = m_dataColumn->GetEnumColumn();
  if (!enumColumn) return false;
  AString enumName;  // stays empty for a column that was never given a name
  enumColumn->GetEnumName(enumName);
  name = enumName;
  return true;
}

void TraceComponentData::InitializeEnumName(const AString& name) {
  if (!m_dataColumn) return;
  if (m_dataColumn->GetParameterType() != kEnumerationType) ORVEX_ASSERT(0);
  if (EnumColumn* enumColumn = m_dataColumn->GetEnumColumn()) enumColumn->InitializeEnumName(name);
}

}  // namespace rep

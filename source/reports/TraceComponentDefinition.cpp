#include "reports/TraceComponentDefinition.h"

#include "orvex/core/Assert.h"

namespace rep {

namespace {
const AString kExpr(L"Expr");  // made once: read for every component of every trace
}  // namespace

TraceComponentDefinition::TraceComponentDefinition(const TraceComponentDefinition& other)
    : ITraceComponentDefinition(), io::CStreamio_block_object(), m_expression(other.m_expression) {}

TraceComponentDefinition::~TraceComponentDefinition() = default;

ITraceComponentDefinition* TraceComponentDefinition::Clone() const { return new TraceComponentDefinition(*this); }

void TraceComponentDefinition::CopyFrom(const ITraceComponentDefinition& other) {
  const auto* from = dynamic_cast<const TraceComponentDefinition*>(&other);
  ORVEX_ASSERT(from);
  if (!from || from == this) return;
  m_expression = from->m_expression;
}

io::ReadError TraceComponentDefinition::DoDataExchange(io::CBlock& block, bool read) {
  RecordError(io::DoDataExchange(block, read, kExpr, m_expression, io::kReturnCode));
  return GetReadStatus();
}

}  // namespace rep

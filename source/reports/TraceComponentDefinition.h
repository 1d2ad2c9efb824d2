// One component of a trace definition: the expression of one dimension.
#pragma once

#include "Gravik/ITraceComponentDefinition.h"
#include "orvex/io/Block.h"
#include "orvex/io/StreamioBlockObject.h"

namespace rep {

class TraceComponentDefinition : public ITraceComponentDefinition, public io::CStreamio_block_object {
public:
  TraceComponentDefinition() = default;
  explicit TraceComponentDefinition(const AString& expression) : m_expression(expression) {}
  TraceComponentDefinition(const TraceComponentDefinition& other);
  ~TraceComponentDefinition() override;

  AString GetExpression() const override { return m_expression; }
  void SetExpression(const AString& expression) { m_expression = expression; }
  ITraceComponentDefinition* Clone() const override;
  // Only from another TraceComponentDefinition; anything else is refused after an assertion.
  void CopyFrom(const ITraceComponentDefinition& other) override;

  static const AString& GetStaticBlockName() {
    static const AString name(L"TraceComponentDefinition");
    return name;
  }
  AString GetBlockName() const override { return GetStaticBlockName(); }
  io::ReadError DoDataExchange(io::CBlock& block, bool read) override;

private:
  AString m_expression;
};

}  // namespace rep

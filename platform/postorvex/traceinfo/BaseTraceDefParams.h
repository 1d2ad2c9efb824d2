// The plain settings of a trace as a host's trace interpreter reads them: name, expressions, display.
#pragma once

#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "postorvex/traceinfo/ExtTraceInfo.h"

class POSTORVEX_API BaseTraceDefParams {
public:
  BaseTraceDefParams();
  BaseTraceDefParams(const BaseTraceDefParams& other) = default;
  BaseTraceDefParams& operator=(const BaseTraceDefParams& other) = default;
  virtual ~BaseTraceDefParams();

  const AString& GetName() const { return m_name; }
  void SetName(const AString& name) { m_name = name; }
  bool GetIsNameTiedToExpressionFlag() const { return m_nameTiedToExpression; }
  void SetIsNameTiedToExpressionFlag(bool tied) { m_nameTiedToExpression = tied; }
  const ExtTraceInfo& GetExtendedTraceInfo() const { return m_extTraceInfo; }
  void SetExtendedTraceInfo(const ExtTraceInfo& info) { m_extTraceInfo = info; }
  const std::vector<AString>& GetTraceExpressions() const { return m_expressions; }
  void SetTraceExpressions(const std::vector<AString>& expressions) { m_expressions = expressions; }

private:
  AString m_name;
  bool m_nameTiedToExpression;
  ExtTraceInfo m_extTraceInfo;
  std::vector<AString> m_expressions;  // one per component, in order
};

// The definition of an output variable as it travels between the host and the manager: ID, name, expression.
#pragma once

#include "orvex/core/AString.h"
#include "orvex/core/Ids.h"
#include "orvex/core/OrvexApi.h"

class POSTORVEX_API OutputVariableDefParams {
public:
  OutputVariableDefParams(long id = id::invalidID, const AString& name = AString(),
                          const AString& expression = AString());

  long GetID() const { return m_id; }
  void SetID(long id) { m_id = id; }
  const AString& GetName() const { return m_name; }
  void SetName(const AString& name) { m_name = name; }
  const AString& GetExpression() const { return m_expression; }
  void SetExpression(const AString& expression) { m_expression = expression; }

private:
  long m_id;
  AString m_name;
  AString m_expression;
};

#include "orvex/values/ValueUtil.h"

#include "orvex/values/ExpressionNodes.h"
#include "orvex/values/Function.h"
#include "orvex/values/Value.h"

bool ValueUtil::GetUnaryNonRangedFunctionAndValueBase(const Value& v, const Function*& fn, const ValueBase*& arg) {
  auto* call = dynamic_cast<const CallNode*>(v.GetValueBase());
  if (!call || call->GetFunction()->IsRanged() || call->GetNumChildren() != 1) return false;
  if (dynamic_cast<const TableCallNode*>(call)) return false;
  const ValueBase* a = call->GetChild(0);
  if (dynamic_cast<const ExprNode*>(a) || a->IsConstant()) return false;
  fn = call->GetFunction();
  arg = a;
  return true;
}

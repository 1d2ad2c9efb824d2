#include "orvex/values/ValueTextGenerator.h"

#include <typeinfo>

#include "orvex/values/ConstantValues.h"
#include "orvex/values/Dataset.h"
#include "orvex/values/ExpressionNodes.h"
#include "orvex/values/Function.h"
#include "orvex/values/Value.h"

DefaultValueTextGeneratorStrategy::DefaultValueTextGeneratorStrategy() = default;
DefaultValueTextGeneratorStrategy::~DefaultValueTextGeneratorStrategy() = default;

AString DefaultValueTextGeneratorStrategy::LeafToString(const ValueBase& leaf) { return leaf.GetValueText(); }

AString DefaultValueTextGeneratorStrategy::NumberToString(const AString& writtenToken) { return writtenToken; }

AString DefaultValueTextGeneratorStrategy::UnaryToString(wchar_t op, const AString& arg) { return AString(1, op) + arg; }

AString DefaultValueTextGeneratorStrategy::BinaryToString(wchar_t op, const AString& lhs, const AString& rhs) {
  return lhs + op + rhs;
}

AString DefaultValueTextGeneratorStrategy::ParenToString(const AString& inner) { return L"(" + inner + L")"; }

bool DefaultValueTextGeneratorStrategy::FunctionValueToString(const Function& f, const std::vector<AString>& argTexts,
                                                              AString& out) {
  out = m_writtenName.empty() ? f.GetName() : m_writtenName;
  out += L"(";
  for (size_t i = 0; i < argTexts.size(); ++i) {
    if (i) out += L", ";
    out += argTexts[i];
  }
  out += L")";
  return true;
}

void DefaultValueTextGeneratorStrategy::OnRoot(const ValueBase&) {}

void DefaultValueTextGeneratorStrategy::DoVariablesReduceDimension(const AString&, const AString&) {}

ValueTextGenerator::ValueTextGenerator(const Value& value, DefaultValueTextGeneratorStrategy& strategy)
    : m_root(value.GetValueBase()), m_strategy(strategy) {}

ValueTextGenerator::ValueTextGenerator(const ValueBase& root, DefaultValueTextGeneratorStrategy& strategy)
    : m_root(&root), m_strategy(strategy) {}

AString ValueTextGenerator::GetNewValueText() {
  if (!m_root) return AString();
  AString text = Walk(*m_root);
  m_strategy.OnRoot(*m_root);
  return text;
}

AString ValueTextGenerator::Walk(const ValueBase& vb) {
  auto* node = dynamic_cast<const ExprNode*>(&vb);
  if (!node) {
    if (auto* f = dynamic_cast<const FloatValue*>(&vb))
      if (!f->GetWrittenToken().empty()) return m_strategy.NumberToString(f->GetWrittenToken());
    if (auto* c = dynamic_cast<const ComplexValue*>(&vb))
      if (!c->GetWrittenToken().empty()) return m_strategy.NumberToString(c->GetWrittenToken());
    return m_strategy.LeafToString(vb);
  }
  switch (node->GetKind()) {
    case ExprNode::kUnary:
      return m_strategy.UnaryToString(static_cast<const UnaryNode*>(node)->GetOperator(), Walk(*node->GetChild(0)));
    case ExprNode::kBinary: {
      // A chain is written as the left-associative operators it stands for. The library's own
      // strategies write them plainly, so a long chain grows in place; another strategy may rewrite
      // each operator and gets every step (copying the text so far each time).
      auto* binary = static_cast<const BinaryNode*>(node);
      const bool plain = typeid(m_strategy) == typeid(DefaultValueTextGeneratorStrategy) ||
                         typeid(m_strategy) == typeid(OuterMostFunctionDetectorStrategy);
      AString text = Walk(*node->GetChild(0));
      for (int i = 1; i < node->GetNumChildren(); ++i) {
        AString rhs = Walk(*node->GetChild(i));
        if (plain) {
          text.push_back(binary->GetOperator(i));
          text += rhs;
        } else {
          text = m_strategy.BinaryToString(binary->GetOperator(i), text, rhs);
        }
      }
      return text;
    }
    case ExprNode::kParen:
      return m_strategy.ParenToString(Walk(*node->GetChild(0)));
    case ExprNode::kCall:
      break;
  }
  auto* call = static_cast<const CallNode*>(node);
  std::vector<AString> args;
  if (auto* table = dynamic_cast<const TableCallNode*>(call)) {
    args.push_back(table->GetDatasetName());
    args.push_back(Walk(*call->GetChild(0)));
  } else if (const AbstractDatasetValueBase* ds = call->GetDatasetArgument()) {
    const ValueBase* y = ds->GetYExpression();
    auto* dyn = dynamic_cast<const AbstractDynamicDatasetValue*>(ds);
    const ValueBase* x = dyn ? dyn->GetXExpression() : nullptr;
    AString yText = y ? Walk(*y) : m_strategy.LeafToString(*ds);
    AString xText = x ? Walk(*x) : AString();
    args.push_back(yText);
    if (x) args.push_back(xText);
    m_strategy.DoVariablesReduceDimension(yText, xText);
  } else {
    for (int i = 0; i < call->GetNumChildren(); ++i) args.push_back(Walk(*call->GetChild(i)));
  }
  AString out;
  m_strategy.m_writtenName = call->GetWrittenName();
  m_strategy.FunctionValueToString(*call->GetFunction(), args, out);
  m_strategy.m_writtenName.clear();
  return out;
}

OuterMostFunctionDetectorStrategy::OuterMostFunctionDetectorStrategy() = default;
OuterMostFunctionDetectorStrategy::~OuterMostFunctionDetectorStrategy() = default;

bool OuterMostFunctionDetectorStrategy::FunctionValueToString(const Function& f, const std::vector<AString>& argTexts,
                                                              AString& out) {
  m_lastFn = &f;
  m_lastArgs = argTexts;
  return DefaultValueTextGeneratorStrategy::FunctionValueToString(f, argTexts, out);
}

void OuterMostFunctionDetectorStrategy::OnRoot(const ValueBase& root) {
  const ValueBase* r = &root;
  for (auto* n = dynamic_cast<const ExprNode*>(r); n && n->GetKind() == ExprNode::kParen;
       n = dynamic_cast<const ExprNode*>(r))
    r = n->GetChild(0);
  auto* n = dynamic_cast<const ExprNode*>(r);
  // Operands are written before their operator, so the root call is the last one written.
  if (n && n->GetKind() == ExprNode::kCall) {
    m_fn = m_lastFn;
    m_args = m_lastArgs;
  } else {
    m_fn = nullptr;
    m_args.clear();
  }
}

void OuterMostFunctionDetectorStrategy::GetOutermostFunctionArguments(std::vector<AString>& texts) const {
  texts.insert(texts.end(), m_args.begin(), m_args.end());
}

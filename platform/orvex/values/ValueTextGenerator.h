// Regenerates the text of a parsed expression, piece by piece through a replaceable strategy.
#pragma once

#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"

class Function;
class Value;
class ValueBase;

// The default makes the canonical text: no blanks around operators, ", " between arguments,
// parentheses where they were written, literals as written and leaves by their current text.
class ORVEX_API DefaultValueTextGeneratorStrategy {
public:
  DefaultValueTextGeneratorStrategy();
  virtual ~DefaultValueTextGeneratorStrategy();

  virtual AString LeafToString(const ValueBase& leaf);
  virtual AString NumberToString(const AString& writtenToken);
  virtual AString UnaryToString(wchar_t op, const AString& arg);
  virtual AString BinaryToString(wchar_t op, const AString& lhs, const AString& rhs);
  virtual AString ParenToString(const AString& inner);
  // out = the name as written, "(", the arguments joined by ", ", ")"; answers true.
  virtual bool FunctionValueToString(const Function& f, const std::vector<AString>& argTexts, AString& out);
  // Once, after the whole tree.
  virtual void OnRoot(const ValueBase& root);
  // Called for a ranged function over a dataset before its FunctionValueToString; xText may be "".
  virtual void DoVariablesReduceDimension(const AString& yText, const AString& xText);

  // The name of the call being written, as the expression wrote it.
  const AString& GetWrittenFunctionName() const { return m_writtenName; }

private:
  friend class ValueTextGenerator;
  AString m_writtenName;
};

class ORVEX_API ValueTextGenerator {
public:
  ValueTextGenerator(const Value& value, DefaultValueTextGeneratorStrategy& strategy);
  ValueTextGenerator(const ValueBase& root, DefaultValueTextGeneratorStrategy& strategy);

  // Walks the tree depth first, operands before their operator. An empty value gives "".
  AString GetNewValueText();

private:
  AString Walk(const ValueBase& vb);

  const ValueBase* m_root;  // not owned
  DefaultValueTextGeneratorStrategy& m_strategy;
};

// Notes the function of the root call (looking through parentheses) and its argument texts.
class ORVEX_API OuterMostFunctionDetectorStrategy : public DefaultValueTextGeneratorStrategy {
public:
  OuterMostFunctionDetectorStrategy();
  ~OuterMostFunctionDetectorStrategy() override;

  bool FunctionValueToString(const Function& f, const std::vector<AString>& argTexts, AString& out) override;
  void OnRoot(const ValueBase& root) override;

  // Null when the root is no function call.
  const Function* GetOutermostFunction() const { return m_fn; }
  void GetOutermostFunctionArguments(std::vector<AString>& texts) const;

private:
  const Function* m_lastFn = nullptr;  // the call written last: the root's when the root is a call
  std::vector<AString> m_lastArgs;
  const Function* m_fn = nullptr;
  std::vector<AString> m_args;
};

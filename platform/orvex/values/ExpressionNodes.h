// The operator and call nodes of parsed expressions; shared and counted like literals.
#pragma once

#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/values/SharedValueBase.h"

class AbstractDatasetValueBase;
class DatasetServer;
class Function;
class IValueColumnSource;
class Variable;

// Nodes evaluate in SI. Names were resolved and operand kinds sorted when the node was built, so an
// evaluation touches only pointers it already holds.
class ORVEX_API ExprNode : public SharedValueBase {
public:
  enum Kind { kUnary, kBinary, kParen, kCall };

  ~ExprNode() override;

  Kind GetKind() const { return m_kind; }

  // To the operands only.
  void DoReceiveMsg(Msg& m) override;
  double GetValue() const override;  // in GetUnits()
  AComplex<double> GetComplexValue() const override;
  // The canonical text of the default text strategy, which parses back to this tree.
  AString GetValueText() const override;
  bool IsConstant() const override;
  Units::FullUnitType GetUnits() const override { return m_units; }
  val::ParameterType GetParameterType() const override { return m_type; }
  int GetNumChildren() const override { return static_cast<int>(m_ops.size()); }
  const ValueBase* GetChild(int index) const override;

  virtual double EvalSI() const = 0;
  virtual AComplex<double> EvalComplexSI() const = 0;
  // EvalSI and EvalComplexSI at each of the `n` points of a run of `leaves`, bit for bit: operands
  // the source reads as columns a column at a time, the others (variables, which may follow the
  // point, ranged and generic calls, leaves it cannot read so) at each point it makes current.
  // False (out unspecified) when it cannot.
  virtual bool EvalSIColumn(IValueColumnSource& leaves, size_t n, std::vector<double>& out) const = 0;
  virtual bool EvalComplexSIColumn(IValueColumnSource& leaves, size_t n,
                                   std::vector<AComplex<double>>& out) const = 0;

  // The operand's type as the parser saw it (validation may type a leaf by its parser's state).
  val::ParameterType GetOperandType(int index) const;

protected:
  ExprNode(Kind kind, val::ParameterType type, Units::FullUnitType units);

  // Registers this node as a holder of `operand`.
  void HoldOperand(ValueBase* operand, val::ParameterType staticType);

  struct Operand {
    ValueBase* vb;            // held through AddRef(this)
    const ExprNode* node;     // vb when it is a node
    const Variable* var;      // vb when it is a variable with a current value
    val::ParameterType type;  // static type, matrix kinds mapped to their element kind
    bool isConstant;          // a literal or a constant variable: constSI is its value
    AComplex<double> constSI;
  };

  double OperandSI(const Operand& o) const;
  AComplex<double> OperandComplexSI(const Operand& o) const;
  bool OperandSIColumn(const Operand& o, IValueColumnSource& leaves, size_t n, std::vector<double>& out) const;
  bool OperandComplexSIColumn(const Operand& o, IValueColumnSource& leaves, size_t n,
                              std::vector<AComplex<double>>& out) const;
  // A complex node's EvalSIColumn and a real node's EvalComplexSIColumn, through the other.
  bool RealPartsColumn(IValueColumnSource& leaves, size_t n, std::vector<double>& out) const;
  bool RealColumnAsComplex(IValueColumnSource& leaves, size_t n, std::vector<AComplex<double>>& out) const;

  std::vector<Operand> m_ops;

private:
  Kind m_kind;
  val::ParameterType m_type;
  Units::FullUnitType m_units;  // natural units, fixed when the node was built
};

// "-a" or "+a".
class ORVEX_API UnaryNode : public ExprNode {
public:
  UnaryNode(wchar_t op, ValueBase* arg, val::ParameterType argType, val::ParameterType type, Units::FullUnitType units);
  ~UnaryNode() override;
  wchar_t GetOperator() const { return m_op; }
  double EvalSI() const override;
  AComplex<double> EvalComplexSI() const override;
  bool EvalSIColumn(IValueColumnSource& leaves, size_t n, std::vector<double>& out) const override;
  bool EvalComplexSIColumn(IValueColumnSource& leaves, size_t n, std::vector<AComplex<double>>& out) const override;

private:
  wchar_t m_op;
};

// "a+b", "a-b", "a*b", "a/b", "a^b", and a whole chain of one precedence ("a+b-c+d", "a*b/c") as one
// node: left-associative chains are ordinary and long, and a node per operator would make the tree as
// deep as the chain is long.
class ORVEX_API BinaryNode : public ExprNode {
public:
  BinaryNode(wchar_t op, ValueBase* lhs, val::ParameterType lhsType, ValueBase* rhs, val::ParameterType rhsType,
             val::ParameterType type, Units::FullUnitType units);
  // ops[i] stands between operand i and operand i + 1.
  BinaryNode(const std::vector<wchar_t>& ops, const std::vector<ValueBase*>& operands,
             const std::vector<val::ParameterType>& operandTypes, val::ParameterType type, Units::FullUnitType units);
  ~BinaryNode() override;
  // The operator before operand `index` (1 .. GetNumChildren() - 1).
  wchar_t GetOperator(int index = 1) const { return m_opChars[static_cast<size_t>(index - 1)]; }
  double EvalSI() const override;
  AComplex<double> EvalComplexSI() const override;
  bool EvalSIColumn(IValueColumnSource& leaves, size_t n, std::vector<double>& out) const override;
  bool EvalComplexSIColumn(IValueColumnSource& leaves, size_t n, std::vector<AComplex<double>>& out) const override;

private:
  std::vector<wchar_t> m_opChars;
  // Steps before this one are real, as when each operator was a node of its own.
  size_t m_complexFrom;
};

// Parentheses as written, kept so that regenerated texts keep them.
class ORVEX_API ParenNode : public ExprNode {
public:
  ParenNode(ValueBase* inner, val::ParameterType innerType);
  ~ParenNode() override;
  double EvalSI() const override;
  AComplex<double> EvalComplexSI() const override;
  bool EvalSIColumn(IValueColumnSource& leaves, size_t n, std::vector<double>& out) const override;
  bool EvalComplexSIColumn(IValueColumnSource& leaves, size_t n, std::vector<AComplex<double>>& out) const override;
};

// A function call. The argument of a ranged function is a dataset value.
class ORVEX_API CallNode : public ExprNode {
public:
  CallNode(const Function* f, const AString& writtenName, const std::vector<ValueBase*>& args,
           const std::vector<val::ParameterType>& argTypes, val::ParameterType type, Units::FullUnitType units);
  ~CallNode() override;

  const Function* GetFunction() const { return m_fn; }
  const AString& GetWrittenName() const { return m_writtenName; }
  // The dataset argument of a ranged call, else null.
  const AbstractDatasetValueBase* GetDatasetArgument() const { return m_dataset; }

  double EvalSI() const override;
  AComplex<double> EvalComplexSI() const override;
  bool EvalSIColumn(IValueColumnSource& leaves, size_t n, std::vector<double>& out) const override;
  bool EvalComplexSIColumn(IValueColumnSource& leaves, size_t n, std::vector<AComplex<double>>& out) const override;

private:
  AComplex<double> EvalGeneric() const;
  AComplex<double> EvalRanged() const;

  const Function* m_fn;  // from the function table, not owned
  AString m_writtenName;
  const AbstractDatasetValueBase* m_dataset = nullptr;  // operand 0 of a ranged call
  Units::FullUnitType m_yUnits = Units::kNoUnit;          // units of the dataset's y values
  // Resolved kernel of a built-in function for the operand's kind.
  double (*m_rr)(double) = nullptr;
  AComplex<double> (*m_rc)(double) = nullptr;
  double (*m_cr)(const AComplex<double>&) = nullptr;
  AComplex<double> (*m_cc)(const AComplex<double>&) = nullptr;
};

// table(name, x): names a design dataset; it evaluates to NaN.
class ORVEX_API TableCallNode : public CallNode {
public:
  TableCallNode(const Function* f, const AString& writtenName, const AString& datasetName,
                const DatasetServer* server, long datasetID, ValueBase* x, val::ParameterType xType);
  ~TableCallNode() override;

  const AString& GetDatasetName() const { return m_datasetName; }
  const DatasetServer* GetDatasetServer() const { return m_server; }
  long GetDatasetID() const { return m_datasetID; }

  void DoReceiveMsg(Msg& m) override;
  bool IsConstant() const override { return false; }
  double EvalSI() const override;
  AComplex<double> EvalComplexSI() const override;
  bool EvalSIColumn(IValueColumnSource& leaves, size_t n, std::vector<double>& out) const override;
  bool EvalComplexSIColumn(IValueColumnSource& leaves, size_t n, std::vector<AComplex<double>>& out) const override;

private:
  AString m_datasetName;
  const DatasetServer* m_server;  // not owned
  long m_datasetID;
};

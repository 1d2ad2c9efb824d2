// Values holding one matrix, read one element at a time (the element the caller makes current).
#pragma once

#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/values/ReceiverMgr.h"
#include "orvex/values/ValueBase.h"

// Owned by whoever made it (a matrix column's reader); holders only register. Elements are in the
// value's units. GetParameterType answers the element kind: 1, 2 or 10.
class ORVEX_API MatrixValue : public ValueBase {
public:
  explicit MatrixValue(Units::FullUnitType units);
  ~MatrixValue() override;

  int GetNumRows() const { return m_rows; }
  int GetNumCols() const { return m_cols; }
  bool IsInside(int r, int c) const { return r >= 0 && c >= 0 && r < m_rows && c < m_cols; }
  // A text that Value::SetValueText (or SetStringValueText for strings) reads back to the element;
  // "" outside the matrix.
  virtual AString GetElementText(int r, int c) const = 0;

  // The element the getters answer; outside the matrix they answer the invalid value.
  void SetCurrentElement(int r, int c) {
    m_r = r;
    m_c = c;
  }
  int GetCurrentRow() const { return m_r; }
  int GetCurrentCol() const { return m_c; }

  AString GetValueText() const override { return GetElementText(m_r, m_c); }
  bool IsConstant() const override { return false; }
  Units::FullUnitType GetUnits() const override { return m_units; }
  void AddRef(IReceiver* r) override { m_receivers.AddReceiver(r); }
  void Release(IReceiver* r) override { m_receivers.RemoveReceiver(r); }
  bool HasRef(IReceiver* r) const override { return m_receivers.HasReceiver(r); }

protected:
  void SetShape(int rows, int cols);
  size_t Index(int r, int c) const { return static_cast<size_t>(r) * static_cast<size_t>(m_cols) + c; }

private:
  Units::FullUnitType m_units;
  int m_rows = 0;
  int m_cols = 0;
  int m_r = 0;
  int m_c = 0;
  ReceiverMgr m_receivers;  // holders, not owned
};

class ORVEX_API DoubleMatrixValue : public MatrixValue {
public:
  explicit DoubleMatrixValue(Units::FullUnitType units);
  ~DoubleMatrixValue() override;
  // Row-major; false and unchanged when the sizes disagree.
  bool SetMatrix(int rows, int cols, const std::vector<double>& rowMajor);
  double GetElement(int r, int c) const;  // NaN outside
  AString GetElementText(int r, int c) const override;
  double GetValue() const override { return GetElement(GetCurrentRow(), GetCurrentCol()); }
  val::ParameterType GetParameterType() const override { return val::kDoubleParam; }

private:
  std::vector<double> m_values;
};

class ORVEX_API ComplexMatrixValue : public MatrixValue {
public:
  explicit ComplexMatrixValue(Units::FullUnitType units);
  ~ComplexMatrixValue() override;
  bool SetMatrix(int rows, int cols, const std::vector<AComplex<double>>& rowMajor);
  AComplex<double> GetElement(int r, int c) const;  // (NaN, NaN) outside
  AString GetElementText(int r, int c) const override;
  double GetValue() const override { return GetComplexValue().real(); }
  AComplex<double> GetComplexValue() const override { return GetElement(GetCurrentRow(), GetCurrentCol()); }
  val::ParameterType GetParameterType() const override { return val::kComplexParam; }

private:
  std::vector<AComplex<double>> m_values;
};

class ORVEX_API StringMatrixValue : public MatrixValue {
public:
  explicit StringMatrixValue(Units::FullUnitType units);
  ~StringMatrixValue() override;
  bool SetMatrix(int rows, int cols, const std::vector<AString>& rowMajor);
  AString GetElement(int r, int c) const;  // StringValue::kInvalidValue outside
  AString GetElementText(int r, int c) const override { return GetElement(r, c); }
  AString GetStringValue() const override { return GetElement(GetCurrentRow(), GetCurrentCol()); }
  val::ParameterType GetParameterType() const override { return val::kStringParam; }

private:
  std::vector<AString> m_values;
};

// The matrix column kinds, one template over the element type: what the double, complex and
// string matrix columns do alike. The kind `Derived` names its kInvalidValue.
#pragma once

#include "postorvex/columns/ColumnT.h"
#include "postorvex/columns/MatrixColumn.h"

template <class Derived, class Element>
class POSTORVEX_API MatrixColumnT : public ColumnT<Derived, MatrixColumn, ColumnMatrix<Element>> {
  typedef ColumnT<Derived, MatrixColumn, ColumnMatrix<Element>> Base;

public:
  typedef ColumnMatrix<Element> Matrix;

  void AppendInvalidValues(size_t n) override { m_values.insert(m_values.end(), n, Derived::kInvalidValue); }
  // No value kind fits a matrix column: matrices come in through AppendMatrix.
  bool AppendInput(const ColumnInput& value) override;
  bool IsInvalidAt(size_t i) const override { return m_values[i].IsInvalid(); }
  bool GetMatrixSize(size_t row, size_t& numRows, size_t& numCols) const override;
  AString GetElementText(size_t row, size_t r, size_t c) const override;

  // kInvalidValue (and a soft assertion) for a row out of range.
  const Matrix& GetRowMatrix(size_t row) const;
  // A matrix whose element count is not rows x columns appends the invalid matrix (and a soft assertion).
  void AppendMatrix(const Matrix& matrix);

protected:
  MatrixColumnT(val::ParameterType type, Units::FullUnitType units) : Base(type, units) {}

  void AppendEntryOf(const Column& source, size_t row) override;
  AString EntryText(size_t i) const override;
  void WriteEntries(postorvex::columns::ValuesTextWriter& out) const override;
  bool ReadEntry(postorvex::columns::ValuesTextReader& in) override;
  bool SameEntry(size_t i, const Column& other, size_t j) const override;

  using Base::m_values;
};

// The operations defined out of line are instantiated once, in MatrixColumnT.cpp, for the
// three matrix kinds.

// A column of double matrices in the column's unit (parameter type 16).
#pragma once

#include "postorvex/columns/MatrixColumn.h"

class POSTORVEX_API DoubleMatrixColumn : public MatrixColumn {
public:
  typedef ColumnMatrix<double> Matrix;
  static const Matrix kInvalidValue;  // no elements

  explicit DoubleMatrixColumn(Units::FullUnitType units = 90);
  ~DoubleMatrixColumn() override;

  Column* CloneColumn() const override;
  bool Accept(Visitor& visitor) const override;
  size_t GetCount() const override { return m_values.size(); }
  void ClearValues() override { m_values.clear(); }
  void AppendInvalidValues(size_t n) override;
  // No value kind fits a matrix column: matrices come in through AppendMatrix.
  bool AppendInput(const ColumnInput& value) override;
  bool IsInvalidAt(size_t i) const override { return m_values[i].IsInvalid(); }
  bool GetMatrixSize(size_t row, size_t& numRows, size_t& numCols) const override;
  AString GetElementText(size_t row, size_t r, size_t c) const override;

  std::vector<Matrix>& GetValues();
  const std::vector<Matrix>& GetValues() const;
  // kInvalidValue (and a soft assertion) for a row out of range.
  const Matrix& GetRowMatrix(size_t row) const;
  // A matrix whose element count is not rows x columns appends the invalid matrix (and a soft assertion).
  void AppendMatrix(const Matrix& matrix);

protected:
  void AppendEntryOf(const Column& source, size_t row) override;
  AString EntryText(size_t i) const override;
  void WriteEntries(postorvex::columns::ValuesTextWriter& out) const override;
  bool ReadEntry(postorvex::columns::ValuesTextReader& in) override;
  bool SameEntry(size_t i, const Column& other, size_t j) const override;

private:
  std::vector<Matrix> m_values;
};

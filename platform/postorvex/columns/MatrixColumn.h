// The parent kind of the matrix columns (parameter types 16-18): one matrix per row.
#pragma once

#include "postorvex/columns/ColumnBase.h"

// One row's matrix, row-major. No elements is the invalid matrix.
template <class T>
struct ColumnMatrix {
  size_t numRows = 0;
  size_t numCols = 0;
  std::vector<T> elements;  // numRows * numCols

  ColumnMatrix() = default;
  ColumnMatrix(size_t rows, size_t cols, std::vector<T> e) : numRows(rows), numCols(cols), elements(std::move(e)) {}
  bool IsInvalid() const { return elements.empty(); }
  const T& At(size_t r, size_t c) const { return elements[r * numCols + c]; }
};

class POSTORVEX_API MatrixColumn : public Column {
public:
  ~MatrixColumn() override;
  // The size of the matrix at `row`; false (and a soft assertion) for a row out of range.
  virtual bool GetMatrixSize(size_t row, size_t& numRows, size_t& numCols) const = 0;
  // The text of one element ("" when out of range or invalid): what a matrix element value parses.
  virtual AString GetElementText(size_t row, size_t r, size_t c) const = 0;

protected:
  using Column::Column;
};

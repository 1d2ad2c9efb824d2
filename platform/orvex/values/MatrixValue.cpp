#include "orvex/values/MatrixValue.h"

#include <limits>

#include "orvex/values/ConstantValues.h"
#include "orvex/values/NumberText.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

bool ShapeFits(int rows, int cols, size_t n) {
  return rows >= 0 && cols >= 0 && static_cast<size_t>(rows) * static_cast<size_t>(cols) == n;
}

}  // namespace

MatrixValue::MatrixValue(Units::FullUnitType units) : m_units(units) {}
MatrixValue::~MatrixValue() = default;

void MatrixValue::SetShape(int rows, int cols) {
  m_rows = rows;
  m_cols = cols;
}

DoubleMatrixValue::DoubleMatrixValue(Units::FullUnitType units) : MatrixValue(units) {}
DoubleMatrixValue::~DoubleMatrixValue() = default;

bool DoubleMatrixValue::SetMatrix(int rows, int cols, const std::vector<double>& rowMajor) {
  if (!ShapeFits(rows, cols, rowMajor.size())) return false;
  SetShape(rows, cols);
  m_values = rowMajor;
  return true;
}

double DoubleMatrixValue::GetElement(int r, int c) const { return IsInside(r, c) ? m_values[Index(r, c)] : kNaN; }

AString DoubleMatrixValue::GetElementText(int r, int c) const {
  return IsInside(r, c) ? val::FormatDouble(GetElement(r, c), "%.17g") : AString();
}

ComplexMatrixValue::ComplexMatrixValue(Units::FullUnitType units) : MatrixValue(units) {}
ComplexMatrixValue::~ComplexMatrixValue() = default;

bool ComplexMatrixValue::SetMatrix(int rows, int cols, const std::vector<AComplex<double>>& rowMajor) {
  if (!ShapeFits(rows, cols, rowMajor.size())) return false;
  SetShape(rows, cols);
  m_values = rowMajor;
  return true;
}

AComplex<double> ComplexMatrixValue::GetElement(int r, int c) const {
  return IsInside(r, c) ? m_values[Index(r, c)] : AComplex<double>(kNaN, kNaN);
}

AString ComplexMatrixValue::GetElementText(int r, int c) const {
  return IsInside(r, c) ? val::FormatComplex(GetElement(r, c), "%.17g") : AString();
}

StringMatrixValue::StringMatrixValue(Units::FullUnitType units) : MatrixValue(units) {}
StringMatrixValue::~StringMatrixValue() = default;

bool StringMatrixValue::SetMatrix(int rows, int cols, const std::vector<AString>& rowMajor) {
  if (!ShapeFits(rows, cols, rowMajor.size())) return false;
  SetShape(rows, cols);
  m_values = rowMajor;
  return true;
}

AString StringMatrixValue::GetElement(int r, int c) const {
  return IsInside(r, c) ? m_values[Index(r, c)] : StringValue::kInvalidValue;
}

#include "postorvex/columns/MatrixColumnT.h"

#include "orvex/core/Assert.h"
#include "postorvex/columns/ColumnImpl.h"
#include "postorvex/columns/ComplexMatrixColumn.h"
#include "postorvex/columns/DoubleMatrixColumn.h"
#include "postorvex/columns/StringMatrixColumn.h"
#include "postorvex/columns/ValuesText.h"

using namespace postorvex::columns;

namespace {

// What differs between the element types: unit conversion, text, comparison and the values text.
// Strings have no unit.

double ConvertElement(double e, Units::FullUnitType from, Units::FullUnitType to) { return ConvertUnits(e, from, to); }
AComplex<double> ConvertElement(const AComplex<double>& e, Units::FullUnitType from, Units::FullUnitType to) {
  return AComplex<double>(ConvertUnits(e.Real(), from, to), ConvertUnits(e.Imag(), from, to));
}
const AString& ConvertElement(const AString& e, Units::FullUnitType, Units::FullUnitType) { return e; }

AString ElementText(double e, Units::FullUnitType units) { return NumberText(e) + UnitName(units); }
AString ElementText(const AComplex<double>& e, Units::FullUnitType) { return ComplexText(e); }
const AString& ElementText(const AString& e, Units::FullUnitType) { return e; }

// The numbers are compared in SI, each side scaled by its column's unit.
bool SameElement(double a, double scaleA, double b, double scaleB) { return NearlyEqual(a * scaleA, b * scaleB); }
bool SameElement(const AComplex<double>& a, double scaleA, const AComplex<double>& b, double scaleB) {
  return NearlyEqual(a.Real() * scaleA, b.Real() * scaleB) && NearlyEqual(a.Imag() * scaleA, b.Imag() * scaleB);
}
bool SameElement(const AString& a, double, const AString& b, double) { return a == b; }

void WriteElement(ValuesTextWriter& out, double e) { out.Double(e); }
void WriteElement(ValuesTextWriter& out, const AComplex<double>& e) {
  out.Double(e.Real());
  out.Double(e.Imag());
}
void WriteElement(ValuesTextWriter& out, const AString& e) { out.Text(e); }

bool ReadElement(ValuesTextReader& in, double& e) { return in.Double(e); }
bool ReadElement(ValuesTextReader& in, AComplex<double>& e) {
  double a = 0, b = 0;
  if (!in.Double(a) || !in.Double(b)) return false;
  e = AComplex<double>(a, b);
  return true;
}
bool ReadElement(ValuesTextReader& in, AString& e) { return in.Text(e); }

}  // namespace

template <class Derived, class Element>
bool MatrixColumnT<Derived, Element>::AppendInput(const ColumnInput& value) {
  m_values.push_back(Derived::kInvalidValue);
  if (static_cast<int>(value.type) == val::kNoParam) return true;
  ReportKindDoesNotFit();
  return false;
}

template <class Derived, class Element>
bool MatrixColumnT<Derived, Element>::GetMatrixSize(size_t row, size_t& numRows, size_t& numCols) const {
  if (!this->CheckRow(row)) return false;
  numRows = m_values[row].numRows;
  numCols = m_values[row].numCols;
  return true;
}

template <class Derived, class Element>
AString MatrixColumnT<Derived, Element>::GetElementText(size_t row, size_t r, size_t c) const {
  if (!this->CheckRow(row)) return AString();
  this->NoteRead();
  const Matrix& m = m_values[row];
  if (m.IsInvalid() || r >= m.numRows || c >= m.numCols) return AString();
  return ElementText(m.At(r, c), this->GetUnits());
}

template <class Derived, class Element>
const typename MatrixColumnT<Derived, Element>::Matrix& MatrixColumnT<Derived, Element>::GetRowMatrix(size_t row) const {
  if (!this->CheckRow(row)) return Derived::kInvalidValue;
  this->NoteRead();
  return m_values[row];
}

template <class Derived, class Element>
void MatrixColumnT<Derived, Element>::AppendMatrix(const Matrix& matrix) {
  if (matrix.elements.size() != matrix.numRows * matrix.numCols) {
    ORVEX_ASSERT(matrix.elements.size()==matrix.numRows*matrix.numCols);
    m_values.push_back(Derived::kInvalidValue);
    return;
  }
  m_values.push_back(matrix);
}

template <class Derived, class Element>
void MatrixColumnT<Derived, Element>::AppendEntryOf(const Column& source, size_t row) {
  const Matrix& m = static_cast<const MatrixColumnT&>(source).m_values[row];
  Matrix copy(m.numRows, m.numCols, {});
  copy.elements.reserve(m.elements.size());
  for (const Element& e : m.elements) copy.elements.push_back(ConvertElement(e, source.GetUnits(), this->GetUnits()));
  m_values.push_back(std::move(copy));
}

template <class Derived, class Element>
AString MatrixColumnT<Derived, Element>::EntryText(size_t i) const {
  const Matrix& m = m_values[i];
  AString out(L"[");
  // Rows without columns add nothing to the text: a 2^31x0 matrix must not write 2^31 separators.
  for (size_t r = 0; m.numCols && r < m.numRows; ++r) {
    if (r) out += L"; ";
    for (size_t c = 0; c < m.numCols; ++c) {
      if (c) out += L", ";
      out += ElementText(m.At(r, c), this->GetUnits());
    }
  }
  out += L"]";
  return out;
}

template <class Derived, class Element>
bool MatrixColumnT<Derived, Element>::SameEntry(size_t i, const Column& other, size_t j) const {
  const Matrix& a = m_values[i];
  const Matrix& b = static_cast<const MatrixColumnT&>(other).m_values[j];
  if (a.numRows != b.numRows || a.numCols != b.numCols) return false;
  const double scaleA = UnitScaleToSI(this->GetUnits());
  const double scaleB = UnitScaleToSI(other.GetUnits());
  for (size_t k = 0; k < a.elements.size(); ++k)
    if (!SameElement(a.elements[k], scaleA, b.elements[k], scaleB)) return false;
  return true;
}

template <class Derived, class Element>
void MatrixColumnT<Derived, Element>::WriteEntries(ValuesTextWriter& out) const {
  for (const Matrix& m : m_values) {
    out.Int(static_cast<int64_t>(m.numRows));
    out.Int(static_cast<int64_t>(m.numCols));
    for (const Element& e : m.elements) WriteElement(out, e);
  }
}

template <class Derived, class Element>
bool MatrixColumnT<Derived, Element>::ReadEntry(ValuesTextReader& in) {
  // An empty matrix (0x9, 9x0) has no elements to fit in the text; otherwise every element takes
  // at least two characters, and more elements than that are damage.
  int64_t rows = 0, cols = 0;
  if (!in.Int(rows, 0, INT32_MAX) || !in.Int(cols, 0, INT32_MAX)) return false;
  if (rows * cols > static_cast<int64_t>(in.Remaining() / 2)) return false;
  Matrix m(static_cast<size_t>(rows), static_cast<size_t>(cols), {});
  m.elements.reserve(m.numRows * m.numCols);
  for (size_t k = 0; k < m.numRows * m.numCols; ++k) {
    Element e{};
    if (!ReadElement(in, e)) return false;
    m.elements.push_back(std::move(e));
  }
  m_values.push_back(std::move(m));
  return true;
}

template class MatrixColumnT<DoubleMatrixColumn, double>;
template class MatrixColumnT<ComplexMatrixColumn, AComplex<double>>;
template class MatrixColumnT<StringMatrixColumn, AString>;

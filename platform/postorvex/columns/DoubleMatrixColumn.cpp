#include "postorvex/columns/DoubleMatrixColumn.h"

#include "orvex/core/Assert.h"
#include "postorvex/columns/ColumnImpl.h"
#include "postorvex/columns/ValuesText.h"

using namespace postorvex::columns;

namespace {

typedef double Element;

Element ConvertElement(const Element& e, Units::FullUnitType from, Units::FullUnitType to) {
  (void)from;
  (void)to;
  return ConvertUnits(e, from, to);
}

AString ElementText(const Element& e, Units::FullUnitType units) {
  (void)units;
  return NumberText(e) + UnitName(units);
}

bool SameElement(const Element& a, double scaleA, const Element& b, double scaleB) {
  (void)scaleA;
  (void)scaleB;
  return NearlyEqual(a * scaleA, b * scaleB);
}

}  // namespace

const DoubleMatrixColumn::Matrix DoubleMatrixColumn::kInvalidValue;

DoubleMatrixColumn::DoubleMatrixColumn(Units::FullUnitType units) : MatrixColumn(Pt(kPtDoubleMatrix), units) {}

DoubleMatrixColumn::~DoubleMatrixColumn() = default;

Column* DoubleMatrixColumn::CloneColumn() const {
  NoteRead();
  return new DoubleMatrixColumn(*this);
}

bool DoubleMatrixColumn::Accept(Visitor& visitor) const { return visitor.Visit(*this); }

void DoubleMatrixColumn::AppendInvalidValues(size_t n) { m_values.insert(m_values.end(), n, kInvalidValue); }

bool DoubleMatrixColumn::AppendInput(const ColumnInput& value) {
  m_values.push_back(kInvalidValue);
  if (static_cast<int>(value.type) == kPtNone) return true;
  ReportKindDoesNotFit();
  return false;
}

bool DoubleMatrixColumn::GetMatrixSize(size_t row, size_t& numRows, size_t& numCols) const {
  if (!CheckRow(row)) return false;
  numRows = m_values[row].numRows;
  numCols = m_values[row].numCols;
  return true;
}

AString DoubleMatrixColumn::GetElementText(size_t row, size_t r, size_t c) const {
  if (!CheckRow(row)) return AString();
  NoteRead();
  const Matrix& m = m_values[row];
  if (m.IsInvalid() || r >= m.numRows || c >= m.numCols) return AString();
  return ElementText(m.At(r, c), GetUnits());
}

std::vector<DoubleMatrixColumn::Matrix>& DoubleMatrixColumn::GetValues() {
  NoteRead();
  return m_values;
}

const std::vector<DoubleMatrixColumn::Matrix>& DoubleMatrixColumn::GetValues() const {
  NoteRead();
  return m_values;
}

const DoubleMatrixColumn::Matrix& DoubleMatrixColumn::GetRowMatrix(size_t row) const {
  if (!CheckRow(row)) return kInvalidValue;
  NoteRead();
  return m_values[row];
}

void DoubleMatrixColumn::AppendMatrix(const Matrix& matrix) {
  if (matrix.elements.size() != matrix.numRows * matrix.numCols) {
    ORVEX_ASSERT(matrix.elements.size()==matrix.numRows*matrix.numCols);
    m_values.push_back(kInvalidValue);
    return;
  }
  m_values.push_back(matrix);
}

void DoubleMatrixColumn::AppendEntryOf(const Column& source, size_t row) {
  const Matrix& m = static_cast<const DoubleMatrixColumn&>(source).m_values[row];
  Matrix copy(m.numRows, m.numCols, {});
  copy.elements.reserve(m.elements.size());
  for (const Element& e : m.elements) copy.elements.push_back(ConvertElement(e, source.GetUnits(), GetUnits()));
  m_values.push_back(std::move(copy));
}

AString DoubleMatrixColumn::EntryText(size_t i) const {
  const Matrix& m = m_values[i];
  AString out(L"[");
  for (size_t r = 0; r < m.numRows; ++r) {
    if (r) out += L"; ";
    for (size_t c = 0; c < m.numCols; ++c) {
      if (c) out += L", ";
      out += ElementText(m.At(r, c), GetUnits());
    }
  }
  out += L"]";
  return out;
}

bool DoubleMatrixColumn::SameEntry(size_t i, const Column& other, size_t j) const {
  const Matrix& a = m_values[i];
  const Matrix& b = static_cast<const DoubleMatrixColumn&>(other).m_values[j];
  if (a.numRows != b.numRows || a.numCols != b.numCols) return false;
  const double scaleA = UnitScaleToSI(GetUnits());
  const double scaleB = UnitScaleToSI(other.GetUnits());
  for (size_t k = 0; k < a.elements.size(); ++k)
    if (!SameElement(a.elements[k], scaleA, b.elements[k], scaleB)) return false;
  return true;
}

void DoubleMatrixColumn::WriteEntries(ValuesTextWriter& out) const {
  for (const Matrix& m : m_values) {
    out.Int(static_cast<int64_t>(m.numRows));
    out.Int(static_cast<int64_t>(m.numCols));
    for (const Element& e : m.elements) {
      out.Double(e);
    }
  }
}

bool DoubleMatrixColumn::ReadEntry(ValuesTextReader& in) {
  // Every element takes at least two characters: sizes beyond that are damage.
  const int64_t most = static_cast<int64_t>(in.Remaining() / 2 + 1);
  int64_t rows = 0, cols = 0;
  if (!in.Int(rows, 0, most) || !in.Int(cols, 0, most) || (rows && cols > most / rows)) return false;
  Matrix m(static_cast<size_t>(rows), static_cast<size_t>(cols), {});
  m.elements.reserve(m.numRows * m.numCols);
  for (size_t k = 0; k < m.numRows * m.numCols; ++k) {
    double e = 0;
    if (!in.Double(e)) return false;
    m.elements.push_back(e);
  }
  m_values.push_back(std::move(m));
  return true;
}

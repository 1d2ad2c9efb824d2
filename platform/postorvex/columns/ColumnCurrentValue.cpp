// The column as a source of current values: its current row, its value base, and values taken
// from it one entry at a time.
#include <cmath>

#include "orvex/core/Assert.h"
#include "orvex/values/Function.h"
#include "orvex/values/MatrixValue.h"
#include "orvex/values/Value.h"
#include "postorvex/columns/Column.h"

namespace {

template <class MatrixColumnKind, class MatrixValueKind>
bool LoadMatrixRow(const Column& column, int row, ValueBase* target) {
  auto* matrixColumn = dynamic_cast<const MatrixColumnKind*>(&column);
  auto* value = dynamic_cast<MatrixValueKind*>(target);
  if (!matrixColumn || !value) return false;
  if (row < 0 || static_cast<size_t>(row) >= column.GetCount()) {
    value->SetMatrix(0, 0, {});
    return true;
  }
  const auto& m = matrixColumn->GetValues()[static_cast<size_t>(row)];
  value->SetMatrix(static_cast<int>(m.numRows), static_cast<int>(m.numCols), m.elements);
  return true;
}

}  // namespace

void Column::SetValue(int row) {
  m_currentRow = row;
  if (!m_valueBase || !GetMatrixColumn()) return;
  NoteRead();
  LoadMatrixRow<DoubleMatrixColumn, DoubleMatrixValue>(*this, row, m_valueBase) ||
      LoadMatrixRow<ComplexMatrixColumn, ComplexMatrixValue>(*this, row, m_valueBase) ||
      LoadMatrixRow<StringMatrixColumn, StringMatrixValue>(*this, row, m_valueBase);
}

void Column::SetValueBase(ValueBase* valueBase) {
  m_valueBase = valueBase;
  if (m_valueBase && m_currentRow >= 0) SetValue(m_currentRow);
}

bool Column::GetCurrentValue(Value& out) const {
  return m_currentRow >= 0 && GetEntryValue(static_cast<size_t>(m_currentRow), out);
}

bool Column::GetCurrentComplexSI(AComplex<double>& out) const {
  return m_currentRow >= 0 && GetEntryComplexSI(static_cast<size_t>(m_currentRow), out);
}

bool Column::GetEntryComplexSI(size_t row, AComplex<double>& out) const {
  if (row >= GetCount() || IsInvalidAt(row)) return false;
  NoteRead();
  if (const ComplexColumn* c = GetComplexColumn()) {
    const AComplex<double>& v = c->GetValues()[row];
    out = AComplex<double>(Units::ConvertToSI(v.real(), GetUnits()), Units::ConvertToSI(v.imag(), GetUnits()));
    return true;
  }
  double si = 0.0;
  if (!GetRealEntrySI(row, si)) return false;
  out = AComplex<double>(si, 0.0);
  return true;
}

bool Column::GetEntryValue(size_t row, Value& out) const {
  if (row >= GetCount() || IsInvalidAt(row)) return false;
  NoteRead();
  if (const ComplexColumn* c = GetComplexColumn()) {
    out = Value(c->GetValues()[row], GetUnits());
    return true;
  }
  if (const DoubleColumn* d = GetDoubleColumn()) {
    out = Value(d->GetValues()[row], GetUnits());
    return true;
  }
  if (const TextColumn* t = GetTextColumn()) return out.SetStringValueText(t->GetValues()[row]);
  if (const StringColumn* t = GetStringColumn()) return out.SetStringValueText(t->GetValues()[row]);
  double si = 0.0;
  if (!GetRealEntrySI(row, si)) return false;
  out = Value(Units::ConvertFromSI(si, GetUnits()), GetUnits());
  return true;
}

bool Column::AppendFrom(const Column& source, const Function* fnOrNull) {
  if (!fnOrNull) {
    if (source.GetParameterType() != GetParameterType()) return false;
    source.NoteRead();
    const size_t n = source.GetCount();
    for (size_t i = 0; i < n; ++i) AppendEntryOf(source, i);
    return true;
  }
  if (source.GetMatrixColumn() || GetMatrixColumn()) return false;
  source.NoteRead();
  const size_t n = source.GetCount();
  for (size_t i = 0; i < n; ++i) {
    Value in(source.GetUnits());
    Value mapped(GetUnits());
    if (!source.GetEntryValue(i, in) || !fnOrNull->EvaluateScalar(in, mapped)) {
      AppendInvalidValues(1);
      continue;
    }
    AppendValue(mapped);
  }
  return true;
}

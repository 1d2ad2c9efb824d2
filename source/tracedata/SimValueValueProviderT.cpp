#include "tracedata/SimValueValueProviderT.h"

#include "quantities/SimValue2.h"
#include "quantities/VersionedQuantityParser.h"
#include "orvex/core/Assert.h"
#include "orvex/core/Ids.h"
#include "orvex/values/ConstantValues.h"
#include "orvex/values/MatrixValue.h"
#include "postorvex/caches/MinorSweepCache.h"
#include "postorvex/columns/Column.h"
#include "postorvex/columns/LinkVariableToColumnContext.h"
#include "postorvex/connectivity/PostpPopulationUtils.h"
#include "postorvex/columns/SimValueMatrixContext.h"

template <class Parser>
SimValueValueProviderT<Parser>::SimValueValueProviderT(const MinorSweepCache* cache, Parser* parser,
                                                       const Column* primaryColumn, const Variable* primaryVariable)
    : m_previous(nullptr), m_parser(parser), mColumn(primaryColumn), m_cache(cache), mColumnVariable(primaryVariable) {
  m_previous = Value::SetValueParser(this);
  if (mColumn) {
    ORVEX_ASSERT(mColumnVariable);
    // The link reads the column at its current row; the column itself is not changed otherwise.
    if (mColumnVariable)
      m_link = std::make_unique<LinkVariableToColumnContext>(const_cast<Column&>(*mColumn),
                                                             const_cast<Variable*>(mColumnVariable));
  }
}

template <class Parser>
SimValueValueProviderT<Parser>::~SimValueValueProviderT() {
  IValueParser* shouldBeMe = Value::SetValueParser(m_previous);
  ORVEX_ASSERT(shouldBeMe==this);
  m_link.reset();
}

template <class Parser>
void SimValueValueProviderT<Parser>::SetCurrentPrimaryIndex(int index, bool rowIsIndex) {
  ORVEX_ASSERT(mColumn);
  m_primaryIndex = index;
  if (mColumn) const_cast<Column*>(mColumn)->SetValue(index);
  m_row = rowIsIndex ? index : (m_cache ? m_cache->GetRowForCurrentVariation(-1) : -1);
}

template <class Parser>
void SimValueValueProviderT<Parser>::SetCurrentIndexFromCache() {
  m_row = m_cache ? m_cache->GetRowForCurrentVariation(-1) : -1;
}

template <class Parser>
ValueBase* SimValueValueProviderT<Parser>::GetValueForName(const AString&) {
  ORVEX_ASSERT(0);
  return nullptr;
}

template <class Parser>
const Column* SimValueValueProviderT<Parser>::ColumnOfID(long id) {
  if (id == id::invalidID) return nullptr;
  auto it = m_columns.find(id);
  if (it == m_columns.end()) it = m_columns.emplace(id, m_cache ? m_cache->GetQuantityColumn(id) : nullptr).first;
  const Column* col = it->second;
  ORVEX_ASSERT(col);
  return col;
}

template <class Parser>
const typename SimValueValueProviderT<Parser>::Resolved& SimValueValueProviderT<Parser>::Resolve(
    const ValueBase* asking) {
  for (const Resolved& r : m_resolved) {
    if (r.asking != asking) continue;
    // Each read of a quantity without column complains, as the first did.
    ORVEX_ASSERT_TEXT(r.column, "col");
    return r;
  }
  const long id = rep::GetSimValueIDFromValue(asking);
  // Not kept: such a value asserts again at each read.
  if (id == id::invalidID) return m_none;
  const Column* column = ColumnOfID(id);
  const bool matrix = column && postp::IsMatrixParamType(column->GetParameterType());
  const DoubleColumn* doubles = column ? column->GetDoubleColumn() : nullptr;
  const ComplexColumn* complex = column ? column->GetComplexColumn() : nullptr;
  m_resolved.push_back(Resolved{asking, column, matrix, doubles, complex, doubles ? &doubles->GetValues() : nullptr,
                                complex ? &complex->GetValues() : nullptr});
  return m_resolved.back();
}

namespace {

// A row outside the column (-1 when the cache has none for the current variation) reads as
// invalid, with the complaint of the column's own reads.
bool RowInside(long row, size_t count) {
  const bool inside = row >= 0 && static_cast<size_t>(row) < count;
  ORVEX_ASSERT_TEXT(inside, "i<GetCount()");
  return inside;
}

}  // namespace

template <class Parser>
int SimValueValueProviderT<Parser>::RowIn(const Column& column) const {
  return RowInside(m_row, column.GetCount()) ? m_row : -1;
}

template <class Parser>
template <class MatrixKind>
bool SimValueValueProviderT<Parser>::MatrixElement(const Column& column, Value& out) {
  MatrixKind matrix(Units::kNoUnit);
  auto& editable = const_cast<Column&>(column);
  editable.SetValueBase(&matrix);
  editable.SetValue(RowIn(column));
  editable.ClearValueBase();
  return GetCurrentMatrixElement(out, matrix);
}

template <class Parser>
double SimValueValueProviderT<Parser>::GetValue(const ValueBase* asking) {
  const Resolved& r = Resolve(asking);
  if (!r.column) return DoubleColumn::kInvalidValue;
  if (r.matrix) {
    Value element;
    if (MatrixElement<DoubleMatrixValue>(*r.column, element)) return element.GetValue();
    ORVEX_ASSERT(0);
    return DoubleColumn::kInvalidValue;
  }
  const DoubleColumn* qtyCol = r.doubles;
  ORVEX_ASSERT(qtyCol);
  const auto* values = r.doubleValues;
  if (!values || !RowInside(m_row, values->size())) return DoubleColumn::kInvalidValue;
  return (*values)[static_cast<size_t>(m_row)];
}

template <class Parser>
AComplex<double> SimValueValueProviderT<Parser>::GetComplexValue(const ValueBase* asking) {
  const Resolved& r = Resolve(asking);
  if (!r.column) return ComplexColumn::kInvalidValue;
  if (r.matrix) {
    Value element;
    if (MatrixElement<ComplexMatrixValue>(*r.column, element)) return element.GetComplexValue();
    ORVEX_ASSERT(0);
    return ComplexColumn::kInvalidValue;
  }
  const ComplexColumn* qtyCol = r.complex;
  ORVEX_ASSERT(qtyCol);
  const auto* values = r.complexValues;
  if (!values || !RowInside(m_row, values->size())) return ComplexColumn::kInvalidValue;
  return (*values)[static_cast<size_t>(m_row)];
}

namespace {

// values[first + i] for each of the run's n points, `invalid` outside the column, as a point reads it.
template <class T>
void RowsFrom(const std::vector<T>& values, int first, size_t n, const T& invalid, std::vector<T>& out) {
  out.assign(n, invalid);
  for (size_t i = 0; i < n; ++i) {
    const long row = static_cast<long>(first) + static_cast<long>(i);
    if (RowInside(row, values.size())) out[i] = values[static_cast<size_t>(row)];
  }
}

}  // namespace

template <class Parser>
const typename SimValueValueProviderT<Parser>::Resolved* SimValueValueProviderT<Parser>::RunLeaf(
    const ValueBase& leaf) {
  // Another leaf kind (an output variable, a dataset) may read more than this provider.
  const auto* quantity = dynamic_cast<const rep::SimValue2*>(&leaf);
  if (!quantity || Value::GetValueParser() != this) return nullptr;
  // A missing column is refused before Resolve complains: the point by point reads complain.
  if (!m_cache || !m_cache->GetQuantityColumn(quantity->GetSimValueID())) return nullptr;
  const Resolved& r = Resolve(&leaf);
  return r.column && !r.matrix ? &r : nullptr;
}

template <class Parser>
bool SimValueValueProviderT<Parser>::GetQuantityRows(const ValueBase& leaf, int firstRow, size_t n,
                                                     std::vector<double>& out) {
  const Resolved* r = RunLeaf(leaf);
  if (!r || !r->doubleValues) return false;
  RowsFrom(*r->doubleValues, firstRow, n, DoubleColumn::kInvalidValue, out);
  return true;
}

template <class Parser>
bool SimValueValueProviderT<Parser>::GetQuantityRows(const ValueBase& leaf, int firstRow, size_t n,
                                                     std::vector<AComplex<double>>& out) {
  const Resolved* r = RunLeaf(leaf);
  if (!r || !r->complexValues) return false;
  RowsFrom(*r->complexValues, firstRow, n, ComplexColumn::kInvalidValue, out);
  return true;
}

namespace {

template <class ColumnKind, class Record>
const Record* RecordAt(const ColumnKind* qtyCol, int row) {
  ORVEX_ASSERT(qtyCol);
  if (!qtyCol || !RowInside(row, qtyCol->GetCount())) return &ColumnKind::kInvalidValue;
  return &qtyCol->GetValues()[static_cast<size_t>(row)];
}

}  // namespace

template <class Parser>
const ArcParam* SimValueValueProviderT<Parser>::GetArcParam(const ValueBase* asking) {
  const Column* column = ColumnOf(asking);
  return column ? RecordAt<ArcColumn, ArcParam>(column->GetArcColumn(), m_row) : &ArcColumn::kInvalidValue;
}

template <class Parser>
const CircleParam* SimValueValueProviderT<Parser>::GetCircleParam(const ValueBase* asking) {
  const Column* column = ColumnOf(asking);
  return column ? RecordAt<CircleColumn, CircleParam>(column->GetCircleColumn(), m_row) : &CircleColumn::kInvalidValue;
}

template <class Parser>
const RegionParam* SimValueValueProviderT<Parser>::GetRegionParam(const ValueBase* asking) {
  const Column* column = ColumnOf(asking);
  return column ? RecordAt<RegionColumn, RegionParam>(column->GetRegionColumn(), m_row) : &RegionColumn::kInvalidValue;
}

template <class Parser>
char SimValueValueProviderT<Parser>::GetCharValue(const ValueBase* asking) {
  const Column* column = ColumnOf(asking);
  if (!column) return CharValue::kInvalidValue;
  if (postp::IsMatrixParamType(column->GetParameterType())) {
    ORVEX_ASSERT(!"not supported, do we need multi-values for char?");
    ORVEX_ASSERT(0);
    return CharValue::kInvalidValue;
  }
  const CharColumn* qtyCol = column->GetCharColumn();
  ORVEX_ASSERT(qtyCol);
  const int row = qtyCol ? RowIn(*qtyCol) : -1;
  return row >= 0 ? qtyCol->GetValues()[static_cast<size_t>(row)] : CharValue::kInvalidValue;
}

template <class Parser>
int SimValueValueProviderT<Parser>::GetIntValue(const ValueBase* asking) {
  const Column* column = ColumnOf(asking);
  if (!column) return IntValue::kInvalidValue;
  if (postp::IsMatrixParamType(column->GetParameterType())) {
    ORVEX_ASSERT(!"not supported, do we need multi-values for int?");
    ORVEX_ASSERT(0);
    return IntValue::kInvalidValue;
  }
  const IntColumn* qtyCol = column->GetIntColumn();
  ORVEX_ASSERT(qtyCol);
  const int row = qtyCol ? RowIn(*qtyCol) : -1;
  return row >= 0 ? qtyCol->GetValues()[static_cast<size_t>(row)] : IntValue::kInvalidValue;
}

template <class Parser>
int SimValueValueProviderT<Parser>::GetEnumValue(const ValueBase* asking) {
  const Column* column = ColumnOf(asking);
  if (!column) return EnumValue::kInvalidValue;
  if (postp::IsMatrixParamType(column->GetParameterType())) {
    ORVEX_ASSERT(!"not supported, do we need multi-values for enum?");
    ORVEX_ASSERT(0);
    return EnumValue::kInvalidValue;
  }
  const EnumColumn* qtyCol = column->GetEnumColumn();
  ORVEX_ASSERT(qtyCol);
  const int row = qtyCol ? RowIn(*qtyCol) : -1;
  return row >= 0 ? qtyCol->GetValues()[static_cast<size_t>(row)] : EnumValue::kInvalidValue;
}

template <class Parser>
AString SimValueValueProviderT<Parser>::GetQuantityTextAtCurrentPoint(const AString& name) {
  const long id = m_parser ? m_parser->GetSimValueID(name) : id::invalidID;
  if (id == id::invalidID) return StringValue::kInvalidValue;
  const Column* column = ColumnOfID(id);
  if (!column) return StringValue::kInvalidValue;
  if (postp::IsMatrixParamType(column->GetParameterType())) {
    Value element;
    if (MatrixElement<StringMatrixValue>(*column, element)) return element.GetStringValue();
    ORVEX_ASSERT(0);
    return StringValue::kInvalidValue;
  }
  const TextColumn* qtyCol = column->GetTextColumn();
  ORVEX_ASSERT(qtyCol);
  const int row = qtyCol ? RowIn(*qtyCol) : -1;
  return row >= 0 ? qtyCol->GetSingleValueText(static_cast<size_t>(row)) : StringValue::kInvalidValue;
}

template <class Parser>
bool SimValueValueProviderT<Parser>::GetCurrentMatrixElement(Value& out, const ValueBase& matrixBase) {
  auto* matrix = dynamic_cast<const MatrixValue*>(&matrixBase);
  if (!matrix) {
    ORVEX_ASSERT(!ACHAR("Internal error"));
    return false;
  }
  int r = 0, c = 0;
  SimValueMatrixContext::GetCurrentRowCol(matrix->GetNumRows(), matrix->GetNumCols(), r, c);
  if (!matrix->IsInside(r, c)) {
    ORVEX_ASSERT(0);
    return false;
  }
  const AString text = matrix->GetElementText(r, c);
  if (matrix->GetParameterType() == val::kStringParam)
    m_element.SetStringValueText(text);
  else
    m_element.SetValueText(text, Units::kNoUnit);
  out = m_element;
  return true;
}

template class SimValueValueProviderT<rep::VersionedQuantityParser>;

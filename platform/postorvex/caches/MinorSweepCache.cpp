#include "postorvex/caches/MinorSweepCache.h"

#include <algorithm>
#include <climits>

#include "orvex/io/Block.h"
#include "orvex/values/Value.h"
#include "orvex/values/Variable.h"
#include "postorvex/caches/MinorCacheBinary.h"
#include "postorvex/columns/Column.h"

namespace {

size_t s_instances = 0;

const wchar_t kKindKey[] = L"Kind";
const wchar_t kSweepVariableKey[] = L"SweepVariable";
const wchar_t kTagKey[] = L"Tag";
const wchar_t kSweepColumnBlock[] = L"SweepColumn";
const wchar_t kQuantityBlock[] = L"Quantity";
const wchar_t kIDKey[] = L"ID";
const wchar_t kValuesBlock[] = L"ValuesCol";
const wchar_t kInterpBlock[] = L"InterpCol";
const wchar_t kPrimaryBlock[] = L"PrimaryCol";
// Written only when some row lacks the quantity; absent means every row was pushed.
const wchar_t kPushedBlock[] = L"PushedCol";

// The value in the column's kind and unit; a value that does not fit the kind appends the
// invalid marker, as a pushed value that cannot be stored must not stop the update.
void AppendValue(Column& column, const Value& value) {
  const val::ParameterType columnType = column.GetParameterType();
  const val::ParameterType valueType = value.GetParameterType();
  const bool columnText = columnType == val::kTextParam || columnType == val::kStringParam;
  const bool valueText = valueType == val::kTextParam || valueType == val::kStringParam;
  if (columnText != valueText || value.IsEmpty()) {
    column.AppendInvalidValues(1);
    return;
  }
  switch (columnType) {
    case val::kDoubleParam: column.AppendInput(ColumnInput::Number(value.GetValue(), value.GetUnits())); return;
    case val::kComplexParam:
      column.AppendInput(ColumnInput::Complex(value.GetComplexValue(), value.GetUnits()));
      return;
    case val::kIntParam: column.AppendInput(ColumnInput::Digital(value.GetIntValue(), columnType)); return;
    case val::kEnumParam: column.AppendInput(ColumnInput::Digital(value.GetEnumValue(), columnType)); return;
    case val::kCharParam: column.AppendInput(ColumnInput::Character(value.GetCharValue())); return;
    case val::kTextParam:
    case val::kStringParam: column.AppendInput(ColumnInput::Text(value.GetStringValue(), columnType)); return;
    default: column.AppendInvalidValues(1); return;
  }
}

// The unit a column block names; 90 when it names none that reads.
long UnitsNamedBy(const io::CBlock& block) {
  const bool found = block.Found();
  long units = Units::kNoUnit;
  if (const io::CBlock_named_value* named = block.FindNamedValue(L"ColumnUnits")) named->GetValue().Query(units);
  block.ResetFound(found);
  return units;
}

// With `columns`, made file-managed by `service` straight away.
std::unique_ptr<Column> ReadColumnBlock(const io::CBlock& parent, const wchar_t* name, const AString& where,
                                        AString& error, const postp::MinorCacheColumns* columns,
                                        IManagedFileService* service = nullptr) {
  const io::CBlock* block = parent.FindBlock(name);
  if (!block) return nullptr;
  // Unit conversions of an unknown unit are programmer errors, and a cache is made again: refuse
  // it here, as damage, before the column reader would take it as no unit.
  auto unknownUnit = [&](long units) {
    if (units < INT_MIN || units > INT_MAX || Units::IsKnown(static_cast<Units::FullUnitType>(units))) return false;
    error = where + L": " + name + AString::Format(L": unknown unit %d", units);
    return true;
  };
  if (!columns && unknownUnit(UnitsNamedBy(*block))) return nullptr;
  AString why;
  std::unique_ptr<Column> column =
      columns ? columns->Read(*block, service, why) : std::unique_ptr<Column>(Column::ReadAndCreateColumn(*block, why));
  if (!column) {
    error = where + L": " + name + L": " + why;
    return nullptr;
  }
  if (unknownUnit(column->GetUnits())) return nullptr;
  return column;
}

void WriteColumnBlock(io::CBlock& parent, const wchar_t* name, const Column& column,
                      postp::MinorCacheColumns* columns) {
  io::CBlock block(name);
  if (columns)
    columns->Write(block, column);
  else
    column.WriteColumn(block);
  parent << std::move(block);
}

}  // namespace

MinorSweepCache::MinorSweepCache(const Variable* sweepVariable, IManagedFileService* service)
    : MinorSweepCache(sweepVariable, service, kRegular) {}

MinorSweepCache::MinorSweepCache(const Variable* sweepVariable, IManagedFileService* service, Kind kind)
    : m_sweepVariable(sweepVariable), m_service(service), m_kind(kind) {
  ++s_instances;
}

MinorSweepCache::~MinorSweepCache() { --s_instances; }

size_t MinorSweepCache::GetInstanceCount() { return s_instances; }

void MinorSweepCache::Reserved1() {}
void MinorSweepCache::Reserved2() {}
void MinorSweepCache::Reserved3() {}
void MinorSweepCache::Reserved4() {}
void MinorSweepCache::Reserved5() {}
void MinorSweepCache::Reserved6() {}
void MinorSweepCache::Reserved7() {}
void MinorSweepCache::Reserved8() {}
void MinorSweepCache::Reserved9() {}
void MinorSweepCache::Reserved10() {}
void MinorSweepCache::Reserved11() {}
void MinorSweepCache::Reserved12() {}
void MinorSweepCache::Reserved13() {}

Column* MinorSweepCache::GetQuantityColumn(long id) const {
  auto it = m_quantities.find(id);
  return it == m_quantities.end() ? nullptr : it->second.values.get();
}

Column* MinorSweepCache::GetQuantityInterpOrderColumn(long id) const {
  auto it = m_quantities.find(id);
  return it == m_quantities.end() ? nullptr : it->second.orders.get();
}

const Column* MinorSweepCache::GetQuantityPrimary(long id) const {
  auto it = m_quantities.find(id);
  return it == m_quantities.end() ? nullptr : it->second.primary.get();
}

void MinorSweepCache::GetQuantityIDs(std::vector<long>& out) const {
  for (const auto& entry : m_quantities) out.push_back(entry.first);
}

bool MinorSweepCache::WasPushedAt(long id, size_t row) const {
  auto it = m_quantities.find(id);
  return it != m_quantities.end() && it->second.IsPushed(row);
}

void MinorSweepCache::InvalidateQuantityData(long id) { m_quantities.erase(id); }

std::vector<char>& MinorSweepCache::QuantityData::Flags() {
  if (allPushed > 0) pushed.assign(allPushed, 1);
  allPushed = 0;
  return pushed;
}

size_t MinorSweepCache::GetRowCount() const { return m_sweepColumn ? m_sweepColumn->GetCount() : 0; }

int MinorSweepCache::FindRow(const postp::ValueKey& key) const { return RowKeys().Find(key); }

const postp::ValueKeyIndex& MinorSweepCache::RowKeys() const {
  const size_t rows = GetRowCount();
  if (m_rowKeys.empty()) m_rowKeys.reserve(rows);
  for (size_t i = m_rowKeys.size(); i < rows; ++i)
    m_rowKeys.push_back(postp::ValueKey::FromColumnRow(*m_sweepColumn, i));
  return m_rowKeys;
}

bool MinorSweepCache::HasAnyRow() const {
  if (GetRowCount() > 0) return true;
  for (const auto& entry : m_quantities)
    if (entry.second.values->GetCount() > 0) return true;
  return false;
}

int MinorSweepCache::GetRowForCurrentVariation(int defaultRow) const {
  if (!m_sweepVariable) return HasAnyRow() ? 0 : defaultRow;
  Value current;
  if (!m_sweepVariable->GetCurrentValue(current)) return defaultRow;
  const int row = FindRow(postp::ValueKey::FromValue(current));
  return row < 0 ? defaultRow : row;
}

bool MinorSweepCache::QuantityHasValueFor(const QuantityData& q, const postp::ValueKey& key) const {
  if (!q.primary) {
    const int row = FindRow(key);
    return row >= 0 && q.IsPushed(static_cast<size_t>(row));
  }
  const size_t n = std::min(q.primary->GetCount(), q.PushedRows());
  for (size_t row = 0; row < n; ++row)
    if (q.IsPushed(row) && postp::ValueKey::FromColumnRow(*q.primary, row).Matches(key)) return true;
  return false;
}

bool MinorSweepCache::DoesCacheHaveValuesForQuantities(const std::set<long>& ids, const Column& primary) const {
  std::vector<const QuantityData*> quantities;
  for (long id : ids) {
    auto it = m_quantities.find(id);
    if (it == m_quantities.end()) return primary.GetCount() == 0;
    quantities.push_back(&it->second);
  }
  for (size_t i = 0; i < primary.GetCount(); ++i) {
    const postp::ValueKey key = postp::ValueKey::FromColumnRow(primary, i);
    if (quantities.empty() && FindRow(key) < 0) return false;
    for (const QuantityData* q : quantities)
      if (!QuantityHasValueFor(*q, key)) return false;
  }
  return true;
}

std::unique_ptr<Column> MinorSweepCache::MakeColumn(const Column& like) const {
  std::unique_ptr<Column> column(
      Column::CreateColumn2(like.GetParameterType(), like.GetUnits(), m_service, AString(), AString(), true, true));
  return column ? std::move(column) : std::unique_ptr<Column>(like.CloneColumn());
}

std::unique_ptr<Column> MinorSweepCache::CopyColumn(const Column& source) const {
  std::unique_ptr<Column> copy = MakeColumn(source);
  std::vector<unsigned> all(source.GetCount());
  for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<unsigned>(i);
  if (copy->GetCount() == 0 && copy->AppendValuesAt(source, all)) return copy;
  return std::unique_ptr<Column>(source.CloneColumn());
}

size_t MinorSweepCache::FindOrAppendRow(const postp::ValueKey& key, const Column* source, size_t sourceRow,
                                        const Value* value) {
  const int found = FindRow(key);
  if (found >= 0) return static_cast<size_t>(found);
  if (!m_sweepColumn) {
    if (source) m_sweepColumn.reset(Column::CreateColumn(source->GetParameterType(), source->GetUnits()));
    if (!m_sweepColumn && m_sweepVariable)
      m_sweepColumn.reset(Column::CreateColumn(m_sweepVariable->GetParameterType(), m_sweepVariable->GetUnits()));
    if (!m_sweepColumn) m_sweepColumn.reset(Column::CreateColumn(val::kDoubleParam, Units::kNoUnit));
  }
  const size_t before = m_sweepColumn->GetCount();
  if (source) m_sweepColumn->AppendValuesAt(*source, {static_cast<unsigned>(sourceRow)});
  if (!source && value) AppendValue(*m_sweepColumn, *value);
  if (m_sweepColumn->GetCount() == before) m_sweepColumn->AppendInvalidValues(1);
  return before;
}

bool MinorSweepCache::MapMinorRows(const Column& primaryValues, RowMap& rows) {
  rows.reserve(primaryValues.GetCount());
  for (size_t i = 0; i < primaryValues.GetCount(); ++i)
    rows.emplace_back(FindOrAppendRow(postp::ValueKey::FromColumnRow(primaryValues, i), &primaryValues, i, nullptr), i);
  return true;
}

bool MinorSweepCache::MapMajorRow(const Column& primaryValues, RowMap& rows) {
  Value current;
  if (m_sweepVariable && m_sweepVariable->GetCurrentValue(current)) {
    rows.emplace_back(FindOrAppendRow(postp::ValueKey::FromValue(current), nullptr, 0, &current), 0);
    return true;
  }
  if (primaryValues.GetCount() == 0) return false;
  rows.emplace_back(FindOrAppendRow(postp::ValueKey::FromColumnRow(primaryValues, 0), &primaryValues, 0, nullptr), 0);
  return true;
}

void MinorSweepCache::PadQuantities() {
  const size_t rows = GetRowCount();
  for (auto& entry : m_quantities) {
    QuantityData& q = entry.second;
    if (q.primary) continue;
    if (q.values->GetCount() < rows) q.values->AppendInvalidValues(rows - q.values->GetCount());
    if (q.PushedRows() < rows) q.Flags().resize(rows, 0);
    if (q.orders && q.orders->GetCount() < rows) q.orders->AppendInvalidValues(rows - q.orders->GetCount());
  }
}

void MinorSweepCache::AssignRows(std::unique_ptr<Column>& target, const Column& source, const RowMap& rows,
                                 std::vector<char>* pushed) const {
  const size_t rowCount = GetRowCount();
  if (!target || target->GetParameterType() != source.GetParameterType()) {
    target = MakeColumn(source);
    if (pushed) pushed->clear();
  }
  const size_t count = target->GetCount();
  if (pushed) pushed->resize(count, 0);
  RowMap given;
  given.reserve(rows.size());
  bool appendsOnly = true;  // every row lies past the column's end, in ascending order
  size_t next = count;
  for (const auto& r : rows) {
    if (r.second >= source.GetCount()) continue;
    appendsOnly = appendsOnly && r.first >= next;
    next = r.first + 1;
    given.push_back(r);
  }
  if (appendsOnly) {
    // The common case, a new quantity or new rows: append in runs of consecutive rows.
    for (size_t i = 0; i < given.size();) {
      target->AppendInvalidValues(given[i].first - target->GetCount());
      std::vector<unsigned> run;
      const size_t first = given[i].first;
      for (; i < given.size() && given[i].first == first + run.size(); ++i)
        run.push_back(static_cast<unsigned>(given[i].second));
      if (!target->AppendValuesAt(source, run)) target->AppendInvalidValues(run.size());
    }
    if (target->GetCount() < rowCount) target->AppendInvalidValues(rowCount - target->GetCount());
  } else {
    // from[r]: the source row that row r takes, or -1 to keep what the row holds.
    std::vector<long> from(std::max(rowCount, count), -1);
    for (const auto& r : given) from[r.first] = static_cast<long>(r.second);
    std::unique_ptr<Column> rebuilt = MakeColumn(*target);
    size_t row = 0;
    while (row < from.size()) {
      // One run of rows from the same column, appended in one call.
      const bool fromSource = from[row] >= 0;
      std::vector<unsigned> run;
      for (; row < from.size() && (from[row] >= 0) == fromSource; ++row)
        run.push_back(static_cast<unsigned>(fromSource ? from[row] : row));
      if (fromSource) {
        if (!rebuilt->AppendValuesAt(source, run)) rebuilt->AppendInvalidValues(run.size());
        continue;
      }
      const size_t kept = std::count_if(run.begin(), run.end(), [&](unsigned r) { return r < count; });
      if (kept > 0) rebuilt->AppendValuesAt(*target, std::vector<unsigned>(run.begin(), run.begin() + kept));
      rebuilt->AppendInvalidValues(run.size() - kept);
    }
    target = std::move(rebuilt);
  }
  if (!pushed) return;
  pushed->resize(target->GetCount(), 0);
  for (const auto& r : given) (*pushed)[r.first] = 1;
}

void MinorSweepCache::Update(Column& primaryValues, bool majorPrimary, const std::vector<long>& ids,
                             const std::vector<const Column*>& values, const AString& tag) {
  MergeUpdate(primaryValues, majorPrimary, ids, values, nullptr, tag);
}

void MinorSweepCache::MergeUpdate(const Column& primaryValues, bool majorPrimary, const std::vector<long>& ids,
                                  const std::vector<const Column*>& values,
                                  const std::map<long, const CharColumn*>* orders, const AString& tag) {
  m_tag = tag;
  RowMap rows;
  if (!(majorPrimary ? MapMajorRow(primaryValues, rows) : MapMinorRows(primaryValues, rows))) return;
  const size_t n = std::min(ids.size(), values.size());
  for (size_t j = 0; j < n; ++j) {
    if (!values[j]) continue;
    QuantityData& q = m_quantities[ids[j]];
    if (q.primary) q = QuantityData();  // it joins the common rows afresh
    AssignRows(q.values, *values[j], rows, &q.Flags());
    if (!orders) continue;
    auto order = orders->find(ids[j]);
    if (order == orders->end() || !order->second) continue;
    AssignRows(q.orders, *order->second, rows, nullptr);
  }
  PadQuantities();
}

void MinorSweepCache::ReplaceWithPerQuantityPrimaries(const Column& commonPrimary, const std::vector<long>& ids,
                                                      const std::map<long, Column*>& primaries,
                                                      const std::vector<const Column*>& values, const AString& tag) {
  m_tag = tag;
  m_sweepColumn.reset();
  m_rowKeys.clear();
  if (commonPrimary.GetCount() > 0) m_sweepColumn.reset(commonPrimary.CloneColumn());
  const size_t n = std::min(ids.size(), values.size());
  for (size_t j = 0; j < n; ++j) {
    if (!values[j]) continue;
    QuantityData q;
    q.values = CopyColumn(*values[j]);
    q.allPushed = q.values->GetCount();
    auto primary = primaries.find(ids[j]);
    if (primary != primaries.end() && primary->second) q.primary.reset(primary->second->CloneColumn());
    m_quantities[ids[j]] = std::move(q);
  }
}

void MinorSweepCache::WriteToBlock(io::CBlock& block, postp::MinorCacheColumns* columns) const {
  block << io::CBlock_named_value(kKindKey, io::CBlock_value(static_cast<int>(m_kind)));
  block << io::CBlock_named_value(kSweepVariableKey, io::CBlock_value(m_sweepVariable ? m_sweepVariable->GetName()
                                                                                      : AString()));
  block << io::CBlock_named_value(kTagKey, io::CBlock_value(m_tag));
  if (m_sweepColumn) WriteColumnBlock(block, kSweepColumnBlock, *m_sweepColumn, columns);
  for (const auto& entry : m_quantities) {
    const QuantityData& q = entry.second;
    io::CBlock quantity(kQuantityBlock);
    quantity << io::CBlock_named_value(kIDKey, io::CBlock_value(entry.first));
    WriteColumnBlock(quantity, kValuesBlock, *q.values, columns);
    if (q.orders) WriteColumnBlock(quantity, kInterpBlock, *q.orders, columns);
    if (q.primary) WriteColumnBlock(quantity, kPrimaryBlock, *q.primary, columns);
    if (std::find(q.pushed.begin(), q.pushed.end(), 0) != q.pushed.end()) {
      // The table refers to the column until the file is made.
      auto pushed = std::make_unique<CharColumn>();
      for (char p : q.pushed) pushed->GetValues().push_back(p);
      WriteColumnBlock(quantity, kPushedBlock, *pushed, columns);
      if (columns) columns->Keep(std::move(pushed));
    }
    block << std::move(quantity);
  }
}

bool MinorSweepCache::ReadKind(const io::CBlock& block, Kind& kind, AString& error) {
  int number = -1;
  const io::CBlock_named_value* kindValue = block.FindNamedValue(kKindKey);
  if (!kindValue || !kindValue->GetValue().Query(number) || number < kRegular || number > kDoubleSpecial) {
    error = L"SweepCache: \"Kind\" missing or not 0, 1 or 2";
    return false;
  }
  kind = static_cast<Kind>(number);
  return true;
}

bool MinorSweepCache::ReadContent(const io::CBlock& block, AString& error,
                                  const postp::MinorCacheColumns* columns) {
  AString tag;
  const io::CBlock_named_value* tagValue = block.FindNamedValue(kTagKey);
  if (tagValue && !tagValue->GetValue().Query(tag)) {
    error = L"SweepCache: \"Tag\" is not a text";
    return false;
  }
  m_tag = tag;
  m_rowKeys.clear();
  m_sweepColumn = ReadColumnBlock(block, kSweepColumnBlock, L"SweepCache", error, columns);
  if (!error.empty()) return false;
  for (size_t i = 0; i < block.GetNumItems(); ++i) {
    const io::CBlock* quantity = block.GetBlock(i);
    if (!quantity || quantity->GetName() != kQuantityBlock) continue;
    long id = 0;
    const io::CBlock_named_value* idValue = quantity->FindNamedValue(kIDKey);
    if (!idValue || !idValue->GetValue().Query(id)) {
      error = L"Quantity: \"ID\" missing or not an integer";
      return false;
    }
    const AString where = AString::Format(L"Quantity %d", id);
    if (m_quantities.count(id)) {
      error = where + L": the ID is there twice";
      return false;
    }
    QuantityData q;
    q.values = ReadColumnBlock(*quantity, kValuesBlock, where, error, columns, m_service);
    if (error.empty() && !q.values) error = where + L": \"ValuesCol\" missing";
    if (error.empty()) q.orders = ReadColumnBlock(*quantity, kInterpBlock, where, error, columns, m_service);
    if (error.empty()) q.primary = ReadColumnBlock(*quantity, kPrimaryBlock, where, error, columns);
    std::unique_ptr<Column> pushed;
    if (error.empty()) pushed = ReadColumnBlock(*quantity, kPushedBlock, where, error, columns);
    if (!error.empty()) return false;
    const size_t rows = q.values->GetCount();
    if (q.orders && (!q.orders->GetCharColumn() || q.orders->GetCount() != rows)) {
      error = where + L": \"InterpCol\" is not a character column of one order per row";
      return false;
    }
    if (pushed && (!pushed->GetCharColumn() || pushed->GetCount() != rows)) {
      error = where + L": \"PushedCol\" is not a character column of one flag per row";
      return false;
    }
    // Like pushed columns, kept with the cache's file service (the binary form made them so).
    if (!columns) {
      q.values = CopyColumn(*q.values);
      if (q.orders) q.orders = CopyColumn(*q.orders);
    }
    if (pushed) {
      q.pushed.reserve(rows);
      for (char p : pushed->GetCharColumn()->GetValues()) q.pushed.push_back(p != 0);
    } else
      q.allPushed = rows;
    m_quantities[id] = std::move(q);
  }
  return true;
}

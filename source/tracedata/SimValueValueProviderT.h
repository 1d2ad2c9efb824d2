// Gives the quantities of an expression their values at one point of a trace: read from the
// quantity columns of a minor-sweep cache at the provider's current row.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "orvex/values/IValueParser.h"
#include "orvex/values/Value.h"

class Column;
class ComplexColumn;
class DoubleColumn;
class LinkVariableToColumnContext;
class MinorSweepCache;
class MatrixValue;
class Variable;

// Installed as the value parser while it lives; scopes nest strictly. Each asking value's column
// and its views are resolved once per provider (a leaf or a point), not at every read.
template <class Parser>
class SimValueValueProviderT : public IValueParser {
public:
  SimValueValueProviderT(const MinorSweepCache* cache, Parser* parser, const Column* primaryColumn,
                         const Variable* primaryVariable);
  ~SimValueValueProviderT();
  SimValueValueProviderT(const SimValueValueProviderT&) = delete;
  SimValueValueProviderT& operator=(const SimValueValueProviderT&) = delete;

  // The primary column's current row becomes `index`; the quantity row is the index itself or
  // the cache's row for the current variation.
  void SetCurrentPrimaryIndex(int index, bool rowIsIndex);
  void SetCurrentIndexFromCache();
  int GetCurrentRow() const { return m_row; }

  using IValueParser::GetValueForName;
  ValueBase* GetValueForName(const AString& name) override;
  double GetValue(const ValueBase* asking) override;
  AComplex<double> GetComplexValue(const ValueBase* asking) override;
  const ArcParam* GetArcParam(const ValueBase* asking) override;
  const CircleParam* GetCircleParam(const ValueBase* asking) override;
  const RegionParam* GetRegionParam(const ValueBase* asking) override;
  char GetCharValue(const ValueBase* asking) override;
  int GetIntValue(const ValueBase* asking) override;
  int GetEnumValue(const ValueBase* asking) override;

  // What `leaf`.GetValue() (GetComplexValue()) answers at rows firstRow .. firstRow + n - 1, read as
  // a column: only for a quantity leaf with a non-matrix column, while this is the installed parser.
  bool GetQuantityRows(const ValueBase& leaf, int firstRow, size_t n, std::vector<double>& out);
  bool GetQuantityRows(const ValueBase& leaf, int firstRow, size_t n, std::vector<AComplex<double>>& out);

  AString GetQuantityTextAtCurrentPoint(const AString& name);
  bool GetCurrentMatrixElement(Value& out, const ValueBase& matrix);

private:
  // What one asking value reads: its quantity column (null when none) and the column's views.
  struct Resolved {
    const ValueBase* asking;
    const Column* column;
    bool matrix;
    const DoubleColumn* doubles;
    const ComplexColumn* complex;
    // Their entries, taken once: a read is counted once per scope, not at every point.
    const std::vector<double>* doubleValues;
    const std::vector<AComplex<double>>* complexValues;
  };
  // The asking value's column and views, found by address after its first read; null column
  // (after "col") when none.
  const Resolved& Resolve(const ValueBase* asking);
  const Column* ColumnOf(const ValueBase* asking) { return Resolve(asking).column; }
  const Column* ColumnOfID(long id);
  // The resolved non-matrix quantity leaf a run may read, else null.
  const Resolved* RunLeaf(const ValueBase& leaf);
  // The row inside the column, or -1.
  int RowIn(const Column& column) const;
  template <class MatrixKind>
  bool MatrixElement(const Column& column, Value& out);

  std::map<long, Value> m_values;
  IValueParser* m_previous;
  Parser* m_parser;                  // not owned
  const Column* mColumn;             // not owned
  const MinorSweepCache* m_cache;    // not owned
  const Variable* mColumnVariable;   // not owned
  std::unique_ptr<LinkVariableToColumnContext> m_link;
  int m_primaryIndex = -1;
  int m_row = -1;
  Value m_element{Units::kNoUnit};
  std::map<long, const Column*> m_columns;  // resolved quantity columns, nulls included
  std::vector<Resolved> m_resolved;         // few: one per quantity leaf of the expressions
  const Resolved m_none{nullptr, nullptr, false, nullptr, nullptr, nullptr, nullptr};
};

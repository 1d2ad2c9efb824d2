// Gives the quantities of an expression their values at one point of a trace: read from the
// quantity columns of a minor-sweep cache at the provider's current row.
#pragma once

#include <map>
#include <memory>

#include "orvex/values/IValueParser.h"
#include "orvex/values/Value.h"

class Column;
class LinkVariableToColumnContext;
class MinorSweepCache;
class MatrixValue;
class Variable;

// Installed as the value parser while it lives; scopes nest strictly. Each quantity's column
// is looked up once per provider, not at every read.
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

  AString GetQuantityTextAtCurrentPoint(const AString& name);
  bool GetCurrentMatrixElement(Value& out, const ValueBase& matrix);

private:
  // The quantity column of the asking value, resolved once; null (after "col") when none.
  const Column* ColumnOf(const ValueBase* asking);
  const Column* ColumnOfID(long id);
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
};

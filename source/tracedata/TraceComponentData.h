// One dimension of a plain trace, or one leaf of a composite trace: the columns of its values.
#pragma once

#include <memory>

#include "Gravik/ITraceComponentData.h"

namespace rep {

class TraceComponentData : public ITraceComponentData {
public:
  TraceComponentData();
  // Takes ownership of the three columns; each may be null.
  TraceComponentData(Column* dataColumn, Column* textColumn, Column* interpColumn);
  TraceComponentData(const TraceComponentData&) = delete;
  TraceComponentData& operator=(const TraceComponentData&) = delete;
  ~TraceComponentData() override;

  AString GetExpression() const override;
  void Accept(ITraceComponentDataNonConstVisitor& visitor) override;
  void Accept(ITraceComponentDataVisitor& visitor) const override;
  Column* GetDataColumn() const override { return m_dataColumn.get(); }
  Column* GetInterpColumn() const override { return m_interpColumn.get(); }

  // A deep copy: every column and the expression.
  std::unique_ptr<TraceComponentData> Clone() const;

  Column* GetTextColumn() const { return m_textColumn.get(); }
  void SetExpression(const AString& expression) { m_expression = expression; }
  // Each setter deletes the column held so far and owns the new one.
  void SetDataColumn(Column* column);
  void SetInterpColumn(Column* column);

  // True, with the enumeration's name, only for an enumeration column that has one.
  bool GetEnumName(AString& name) const;
  void InitializeEnumName(const AString& name);

private:
  std::unique_ptr<Column> m_dataColumn;
  std::unique_ptr<Column> m_textColumn;    // the component's text values, when it has any
  std::unique_ptr<Column> m_interpColumn;  // one interpolation flag per point
  AString m_expression;                    // empty: the trace definition's expression stands
};

}  // namespace rep

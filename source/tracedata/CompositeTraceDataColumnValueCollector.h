// Gathers, depth first and children in index order, what the population fills for every leaf of a
// component tree: the leaf's expression as a value, its data column and its interpolation slot.
#pragma once

#include <deque>
#include <vector>

#include "Gravik/ITraceComponentData.h"

class CharColumn;
class Value;

namespace rep {

class TraceComponentData;

// The lists grow in step: entry k of each belongs to the same leaf.
struct CompositeColumnLists {
  CompositeColumnLists();
  ~CompositeColumnLists();
  CompositeColumnLists(const CompositeColumnLists&) = delete;
  CompositeColumnLists& operator=(const CompositeColumnLists&) = delete;

  // Hands each leaf the interpolation column the population made for it.
  void InstallInterpColumns();

  std::vector<Value> values;
  std::vector<Column*> columns;              // not owned: the leaves' data columns
  std::vector<CharColumn**> interpColumns;   // the slots below, or null for a column of no leaf
  std::vector<TraceComponentData*> leaves;   // not owned; null for a column of no leaf
  std::deque<CharColumn*> interpSlots;       // filled by the population; owned until installed
};

class CompositeTraceDataColumnValueCollector : public ITraceComponentDataNonConstVisitor {
public:
  explicit CompositeTraceDataColumnValueCollector(CompositeColumnLists& lists);
  ~CompositeTraceDataColumnValueCollector() override;

  void VisitComposite(ICompositeTraceComponentData& node) override;
  void VisitLeaf(ITraceComponentData& leaf) override;
  void VisitOther(IBaseTraceComponentData& node) override;

private:
  CompositeColumnLists& m_lists;  // the caller's
};

}  // namespace rep

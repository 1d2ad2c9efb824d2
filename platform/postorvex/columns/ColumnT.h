// The storage and the operations every column kind shares: one entry of type T per row, held by
// the kind `Derived` (CRTP), which derives from ColumnT<Derived, Base, T> with Base its parent kind.
#pragma once

#include <vector>

#include "postorvex/columns/ColumnBase.h"

template <class Derived, class Base, class T>
class ColumnT : public Base {
public:
  Column* CloneColumn() const override {
    this->NoteRead();
    return new Derived(static_cast<const Derived&>(*this));
  }
  bool Accept(Column::Visitor& visitor) const override { return visitor.Visit(static_cast<const Derived&>(*this)); }
  size_t GetCount() const override { return m_values.size(); }
  void ClearValues() override { m_values.clear(); }

  std::vector<T>& GetValues() {
    this->NoteRead();
    return m_values;
  }
  const std::vector<T>& GetValues() const {
    this->NoteRead();
    return m_values;
  }

protected:
  ColumnT(val::ParameterType type, Units::FullUnitType units) : Base(type, units) {}

  // A copy: kinds with a unit convert instead.
  void AppendEntryOf(const Column& source, size_t row) override {
    m_values.push_back(static_cast<const ColumnT&>(source).m_values[row]);
  }

  // Protected so that the kind's own operations touch the entries without counting a read.
  std::vector<T> m_values;
};

// The abstract column and its visitor; include "postorvex/columns/Column.h" for every kind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/values/IVariableValueSource.h"
#include "postorvex/columns/ColumnInput.h"
#include "postorvex/columns/ColumnTypes.h"

class IManagedFileService;
class Function;
class Value;
class ValueBase;
namespace io {
class CBlock;
typedef int ReadError;
}  // namespace io
namespace postorvex {
namespace columns {
class ValuesTextReader;
class ValuesTextWriter;
}  // namespace columns
}  // namespace postorvex
class DigitalColumn;
class EnumColumn;
class CharColumn;
class IntColumn;
class DoubleColumn;
class ComplexColumn;
class TextColumn;
class StringColumn;
class MatrixColumn;
class DoubleMatrixColumn;
class ComplexMatrixColumn;
class StringMatrixColumn;
class ArcColumn;
class CircleColumn;
class RegionColumn;

class POSTORVEX_API Column : public IVariableValueSource {
public:
  class Visitor;

  virtual ~Column();

  // Every member that makes a column of a kind lives in ColumnFactory.cpp, the views and the
  // visitor's fallbacks in ColumnViews.cpp: Column.cpp names none of the kinds.

  // In memory; null for a parameter type that has no column kind (0, 6-8, 11, 12, unknown).
  static Column* CreateColumn(val::ParameterType type, Units::FullUnitType units);
  // File-managed when `service` is not null. The names and flags are kept, never acted on.
  static Column* CreateColumn2(val::ParameterType type, Units::FullUnitType units, IManagedFileService* service,
                               const AString& name1, const AString& name2, bool flag1, bool flag2);
  // Test hook: after `after` further columns made by CreateColumn2, the next n answer null.
  static void FailNextCreations(int n, int after = 0);

  // A new column of a's kind and unit with a's values that occur in b, in a's order: numbers
  // compared in SI with relative tolerance 1e-12, texts exactly. Null when none occurs.
  static Column* IntersectColumns(const Column& a, const Column& b);

  virtual Column* CloneColumn() const = 0;
  virtual bool Accept(Visitor& visitor) const = 0;
  virtual void Reserved3();
  virtual void Reserved4();
  virtual void Reserved5();
  virtual void Reserved6();
  virtual void Reserved7();
  virtual void Reserved8();
  virtual void Reserved9();
  virtual void Reserved10();
  virtual void Reserved11();
  virtual void Reserved12();
  virtual void Reserved13();
  virtual void Reserved14();
  virtual void Reserved15();
  virtual void Reserved16();
  virtual void Reserved17();
  virtual void Reserved18();
  virtual void Reserved19();
  virtual void Reserved20();
  virtual void Reserved21();
  virtual void Reserved22();
  virtual void Reserved23();
  virtual void Reserved24();
  virtual void Reserved25();
  virtual void Reserved26();
  virtual void Reserved27();
  // Appends the source's values at `rows`, in that order, converted to this column's unit. A
  // source of another kind, or a row out of range, appends nothing and answers false.
  virtual bool AppendValuesAt(const Column& source, const std::vector<unsigned>& rows);
  // Without a function: every value of a source of the same kind, converted to this unit; with
  // one: each value mapped through it. A source of an incompatible kind appends nothing: false.
  bool AppendFrom(const Column& source, const Function* fnOrNull);
  virtual size_t GetCount() const = 0;
  virtual void ClearValues() = 0;
  virtual void AppendInvalidValues(size_t n) = 0;
  // Appends the value converted to this column's kind and unit (see AppendInput), evaluated
  // once, at the current variable values.
  bool AppendValue(const Value& value);
  // The typed form of appending a value: converted to this column's kind and unit. An invalid
  // value appends the invalid marker; a value whose kind does not fit appends the marker too,
  // after a soft assertion, and answers false.
  virtual bool AppendInput(const ColumnInput& value) = 0;
  virtual bool IsInvalidAt(size_t i) const = 0;

  // The values part of the block form (postorvex/columns/ValuesText.h); an unloaded column
  // counts a read.
  AString GetValuesText() const;
  // A new in-memory column holding exactly `count` entries read from `text`; null, and `error`
  // saying what is wrong, for a type without a kind or text that does not hold `count` entries.
  static Column* CreateFromValuesText(val::ParameterType type, Units::FullUnitType units, size_t count,
                                      const AString& text, AString& error);

  // Block form, written into `block` beside whatever it holds: "ColumnType", "ColumnUnits",
  // "ColumnCount", "EnumName" (an enumeration column with a name) and "Values", the values text;
  // for a long column of doubles or complex numbers "base64:" and the base64 of its doubles'
  // little-endian bytes instead (orvex/io/DoublesBase64.h). Both forms read at any length.
  io::ReadError WriteColumn(io::CBlock& block) const;
  // Reads those items and ignores every other one. Null for a missing or unknown type, a count
  // that differs from the values, or damaged values; `error` then says what is wrong. The
  // block's found flag is left as it was.
  static Column* ReadAndCreateColumn(const io::CBlock& block);
  static Column* ReadAndCreateColumn(const io::CBlock& block, AString& error);
  // Test hook: the next n block writes answer 1 and write nothing.
  static void FailNextWrites(int n);

  val::ParameterType GetParameterType() const { return m_type; }
  Units::FullUnitType GetUnits() const { return m_units; }
  // Parses back to the same value: doubles as "%.17g" in the column's unit followed by the
  // unit's name. An invalid entry gives "".
  AString GetSingleValueText(size_t i) const;

  // The current row, read by variables linked to the column and loaded into the value base.
  // Rows outside the column give no current value.
  void SetValue(int row);
  int GetCurrentRow() const { return m_currentRow; }
  // Not owned. A matrix row is loaded into a matrix value of the column's element kind.
  void SetValueBase(ValueBase* valueBase);
  void ClearValueBase() { m_valueBase = nullptr; }
  ValueBase* GetValueBase() const { return m_valueBase; }
  // IVariableValueSource: the entry at the current row; false for an invalid entry, a row
  // outside the column or a kind without a scalar value.
  bool GetCurrentValue(Value& out) const override;
  bool GetCurrentComplexSI(AComplex<double>& out) const override;
  // The entry at a row as a constant value in the column's unit; false as above.
  bool GetEntryValue(size_t row, Value& out) const;
  bool GetEntryComplexSI(size_t row, AComplex<double>& out) const;

  // Views: null when the column is of another kind.
  DoubleColumn* GetDoubleColumn();
  const DoubleColumn* GetDoubleColumn() const;
  ComplexColumn* GetComplexColumn();
  const ComplexColumn* GetComplexColumn() const;
  IntColumn* GetIntColumn();
  const IntColumn* GetIntColumn() const;
  CharColumn* GetCharColumn();
  const CharColumn* GetCharColumn() const;
  EnumColumn* GetEnumColumn();
  const EnumColumn* GetEnumColumn() const;
  TextColumn* GetTextColumn();
  const TextColumn* GetTextColumn() const;
  StringColumn* GetStringColumn();
  const StringColumn* GetStringColumn() const;
  ArcColumn* GetArcColumn();
  const ArcColumn* GetArcColumn() const;
  CircleColumn* GetCircleColumn();
  const CircleColumn* GetCircleColumn() const;
  RegionColumn* GetRegionColumn();
  const RegionColumn* GetRegionColumn() const;
  MatrixColumn* GetMatrixColumn();
  const MatrixColumn* GetMatrixColumn() const;

  // Load state. The values always stay in memory: loading only flips the state, and a read of
  // an unloaded column is counted (FileColumnManager::GetUnloadedReadCount), never refused.
  bool IsFileManaged() const { return m_service != nullptr; }
  bool IsLoaded() const { return m_loaded; }
  // Const: loading never changes the values, and load contexts take const columns.
  void Load() const;
  void Unload() const;
  IManagedFileService* GetFileService() const { return m_service; }

protected:
  Column(val::ParameterType type, Units::FullUnitType units);
  // A clone keeps the file management but starts loaded.
  Column(const Column& other);
  Column& operator=(const Column&) = delete;

  // Same kind guaranteed by the caller; converts units where the kind has them.
  virtual void AppendEntryOf(const Column& source, size_t row) = 0;
  virtual AString EntryText(size_t i) const = 0;
  // The entry as a number for comparisons (double, digital kinds); false for other kinds.
  virtual bool GetRealEntrySI(size_t i, double& out) const;
  // True when entry i equals entry j of `other`, a column of the same kind (non-real kinds).
  virtual bool SameEntry(size_t i, const Column& other, size_t j) const = 0;
  virtual void WriteEntries(postorvex::columns::ValuesTextWriter& out) const = 0;
  // Appends one entry; false on damaged text.
  virtual bool ReadEntry(postorvex::columns::ValuesTextReader& in) = 0;
  // Counts the read when the column is file-managed and unloaded.
  void NoteRead() const;
  // Soft assertion (and false) when i is not a row of this column.
  bool CheckRow(size_t i) const;

private:
  friend class FileColumnManager;  // keeps the load registry by serial

  val::ParameterType m_type;
  Units::FullUnitType m_units;
  IManagedFileService* m_service = nullptr;  // not owned; null for an in-memory column
  AString m_name1;                          // names and flags given to CreateColumn2, kept only
  AString m_name2;
  bool m_flag1 = false;
  bool m_flag2 = false;
  mutable bool m_loaded = true;
  int m_currentRow = -1;
  ValueBase* m_valueBase = nullptr;  // not owned
  uint64_t m_serial = 0;  // identity in the load registry, so a reused address is never mistaken
};

// Dispatches once on the column's kind. Each Visit falls back to its parent kind's, ending in
// Visit(const Column&), which answers false: a visitor overrides only the kinds it treats.
class POSTORVEX_API Column::Visitor {
public:
  virtual ~Visitor();
  virtual bool Visit(const EnumColumn& column);
  virtual bool Visit(const CharColumn& column);
  virtual bool Visit(const IntColumn& column);
  virtual bool Visit(const DoubleColumn& column);
  virtual bool Visit(const ComplexColumn& column);
  virtual bool Visit(const TextColumn& column);
  virtual bool Visit(const StringColumn& column);
  virtual bool Visit(const DoubleMatrixColumn& column);
  virtual bool Visit(const ComplexMatrixColumn& column);
  virtual bool Visit(const StringMatrixColumn& column);
  virtual bool Visit(const ArcColumn& column);
  virtual bool Visit(const CircleColumn& column);
  virtual bool Visit(const RegionColumn& column);
  // Parent kinds.
  virtual bool Visit(const DigitalColumn& column);
  virtual bool Visit(const MatrixColumn& column);
  virtual bool Visit(const Column& column);
};

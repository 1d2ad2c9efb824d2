// A column of doubles (parameter type 1) in the column's unit: the common trace and sweep column.
#pragma once

#include <cmath>
#include <limits>

#include "postorvex/columns/ColumnT.h"

// GetValues() is contiguous, in the column's unit.
class POSTORVEX_API DoubleColumn : public ColumnT<DoubleColumn, Column, double> {
public:
  // Quiet NaN: statistics and interpolation then carry "invalid" on instead of a number.
  static constexpr double kInvalidValue = std::numeric_limits<double>::quiet_NaN();
  static bool IsInvalidValue(double v) { return std::isnan(v); }

  explicit DoubleColumn(Units::FullUnitType units = 90);
  ~DoubleColumn() override;

  void AppendInvalidValues(size_t n) override;
  bool AppendInput(const ColumnInput& value) override;
  bool IsInvalidAt(size_t i) const override { return IsInvalidValue(m_values[i]); }

  // `v` is in the column's unit. The flag is kept and has no effect.
  void AddValue(double v, bool flag);
  void AppendValues(const std::vector<double>& values);
  // Widens the caller's starting min and max by every valid entry.
  void GetMinAndMax(double& min, double& max) const;

protected:
  void AppendEntryOf(const Column& source, size_t row) override;
  AString EntryText(size_t i) const override;
  void WriteEntries(postorvex::columns::ValuesTextWriter& out) const override;
  bool ReadEntry(postorvex::columns::ValuesTextReader& in) override;
  bool GetRealEntrySI(size_t i, double& out) const override;
  bool SameEntry(size_t i, const Column& other, size_t j) const override;

private:
  bool m_lastAddFlag = true;  // the flag of the last AddValue
};

// A single sweep: one variable and the column of its values.
#pragma once

#include "postorvex/sweeps/SweepBase.h"

class Column;

class POSTORVEX_API Sweep : public SweepBase {
public:
  // Takes `values`. A special sweep's default definition is always kind 1; `defaultKind`
  // (2 regular, 3 specifiable) is the kind of a non-special sweep's default definition.
  Sweep(const AString& name, Variable* variable, Column* values, bool special = false, int defaultKind = 2);
  ~Sweep() override;
  Sweep(const Sweep&) = delete;
  Sweep& operator=(const Sweep&) = delete;

  Sweep* GetSweep() override { return this; }
  bool IsSpecialSweep() const override { return m_special; }
  AbstractSubsweepDefParams* CreateDefaultSubsweepDefParams() const override;
  // The default definition with `selected` (null: nothing) in place of all the values, for a
  // caller about to select its own: a sweep of many values is not copied for nothing.
  AbstractSubsweepDefParams* CreateDefaultSubsweepDefParamsSelecting(const Column* selected) const;
  AString GetValueText(unsigned index) const override;
  unsigned GetNumValues() const override;
  Variable* GetVariable(unsigned index) const override;
  AString GetName() const override;

  const Column* GetValuesColumn() const { return m_values; }
  int GetDefaultKind() const { return m_special ? 1 : m_defaultKind; }
  void SetMakesNoDefaultDefinition(bool none) { m_makesNoDefault = none; }

  // Public and in this order: callers reach the values column as the third member.
  AString m_name;
  Variable* m_variable;  // not owned
  Column* m_values;      // owned

private:
  bool m_special;
  int m_defaultKind;
  bool m_makesNoDefault = false;
};

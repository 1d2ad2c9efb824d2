// Sweeps that step together: one value index moves every member.
#pragma once

#include <vector>

#include "postorvex/sweeps/SweepBase.h"

class Column;

class POSTORVEX_API SynchronizedSweep : public SweepBase {
public:
  using const_iterator = std::vector<Sweep*>::const_iterator;

  // Takes the members; they must have equal value counts.
  explicit SynchronizedSweep(const std::vector<Sweep*>& members, bool special = false);
  ~SynchronizedSweep() override;
  SynchronizedSweep(const SynchronizedSweep&) = delete;
  SynchronizedSweep& operator=(const SynchronizedSweep&) = delete;

  SynchronizedSweep* GetSynchronizedSweep() override { return this; }
  bool IsSpecialSweep() const override { return m_special; }
  AbstractSubsweepDefParams* CreateDefaultSubsweepDefParams() const override;
  // As Sweep's: the default definition with `selected` (null: nothing) in place of the values.
  AbstractSubsweepDefParams* CreateDefaultSubsweepDefParamsSelecting(const Column* selected) const;
  AString GetValueText(unsigned index) const override;
  unsigned GetNumValues() const override;
  Variable* GetVariable(unsigned index) const override;
  AString GetName() const override;

  const_iterator begin() const { return m_members.begin(); }
  const_iterator end() const { return m_members.end(); }
  size_t GetNumMembers() const { return m_members.size(); }
  void SetMakesNoDefaultDefinition(bool none) { m_makesNoDefault = none; }

private:
  std::vector<Sweep*> m_members;  // owned
  bool m_special;
  bool m_makesNoDefault = false;
};

// Checks a subsweep definition against the sweeps of a solution.
#pragma once

#include <vector>

#include "orvex/core/OrvexApi.h"

class AbstractSubsweepDefParams;
class RegularSubsweepDefParams;
class SpecialSubsweepDefParams;
class SpecifiableSubsweepDefParams;
class SweepBase;
class SynchronizedSubsweepDefParams;

class POSTORVEX_API ValidateSubsweepDefParamsVisitor {
public:
  // The sweeps are not owned and must outlive the visitor; the vector itself is copied.
  explicit ValidateSubsweepDefParamsVisitor(const std::vector<SweepBase*>& sweeps);
  virtual ~ValidateSubsweepDefParamsVisitor();

  // Each answers whether the definition is valid, and keeps that answer for IsValid.
  virtual bool VisitSpecial(const SpecialSubsweepDefParams& def);
  virtual bool VisitRegular(const RegularSubsweepDefParams& def);
  virtual bool VisitSpecifiable(const SpecifiableSubsweepDefParams& def);
  virtual bool VisitSynchronized(const SynchronizedSubsweepDefParams& def);

  // False until a definition was visited.
  bool IsValid() const { return m_valid; }
  // The sweep's default definition is specifiable.
  bool IsSpecifiableSweep(const SweepBase* sweep) const;

  // The kind of the sweep's default definition; 0 when it makes none.
  static int GetDefaultKind(const SweepBase& sweep);

private:
  bool Check(const AbstractSubsweepDefParams& def, unsigned numSelected);
  SweepBase* FindSweep(const AbstractSubsweepDefParams& def) const;

  std::vector<SweepBase*> m_sweeps;  // not owned
  bool m_valid = false;
};

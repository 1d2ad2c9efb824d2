// A sweep whose values the post-processing picks itself rather than the solver.
#pragma once

#include "postorvex/sweeps/Sweep.h"

class POSTORVEX_API PostprocessSweep : public Sweep {
public:
  // `defaultKind` may be any kind from 1 to 4, so that callers can meet a default definition
  // that is neither selectable nor specifiable.
  PostprocessSweep(const AString& name, Variable* variable, Column* values, int defaultKind = 3,
                   bool createsPostprocessSubsweep = true);

  PostprocessSweep* GetPostprocessSweep() override { return this; }

  bool DoesCreatePostprocessSubsweep() const { return m_createsPostprocessSubsweep; }
  void SetCreatesPostprocessSubsweep(bool creates) { m_createsPostprocessSubsweep = creates; }

private:
  bool m_createsPostprocessSubsweep;
};

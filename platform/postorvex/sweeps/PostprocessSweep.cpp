#include "postorvex/sweeps/PostprocessSweep.h"

PostprocessSweep::PostprocessSweep(const AString& name, Variable* variable, Column* values, int defaultKind,
                                   bool createsPostprocessSubsweep)
    : Sweep(name, variable, values, false, defaultKind), m_createsPostprocessSubsweep(createsPostprocessSubsweep) {}

#include "postorvex/sweeps/SweepBase.h"

SweepBase::~SweepBase() = default;

Sweep* SweepBase::GetSweep() { return nullptr; }

SynchronizedSweep* SweepBase::GetSynchronizedSweep() { return nullptr; }

PostprocessSweep* SweepBase::GetPostprocessSweep() { return nullptr; }

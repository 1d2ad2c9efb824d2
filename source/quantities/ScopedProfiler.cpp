#include "quantities/ScopedProfiler.h"

#include "orvex/core/IMemoryTimeProfiler.h"

ScopedProfiler::ScopedProfiler(const std::string& label) : m_label(label) {
  IMemoryTimeProfiler::Instance()->BeginSection(m_label);
}

ScopedProfiler::~ScopedProfiler() { IMemoryTimeProfiler::Instance()->EndSection(); }

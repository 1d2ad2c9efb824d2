// A host's progress monitor that throws at one of its polls or ticks (counted from 0), or when
// told of population, for tests of what an update leaves behind.
#pragma once

#include <stdexcept>

#include "orvex/centupd/RecordingProgressMonitor.h"

namespace reptest {

// Where the monitor throws; -1 (or false) for never.
struct ThrowAt {
  int poll = -1;
  int tick = -1;
  bool message = false;
};

class ThrowingMonitor : public RecordingProgressMonitor {
public:
  ThrowingMonitor() = default;
  explicit ThrowingMonitor(ThrowAt at) : m_at(at) {}
  void SetMessage(const AString& message) override {
    RecordingProgressMonitor::SetMessage(message);
    if (m_at.message) throw std::runtime_error("monitor failure");
  }
  bool IsAbandoned() override {
    if (m_polls++ == m_at.poll) throw std::runtime_error("monitor failure");
    return false;
  }
  void Tick() override {
    const int tick = GetTicks();
    RecordingProgressMonitor::Tick();
    if (tick == m_at.tick) throw std::runtime_error("monitor failure");
  }
  // The recording monitor counts polls only when it may abandon.
  int Polls() const { return m_polls; }

private:
  ThrowAt m_at;
  int m_polls = 0;
};

}  // namespace reptest

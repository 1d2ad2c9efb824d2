// The memory/time profiler that named scopes open and close; this stand-in keeps labels only.
#pragma once

#include <string>
#include <vector>

#include "orvex/core/OrvexApi.h"

class ORVEX_API IMemoryTimeProfiler {
public:
  // The one profiler of the process; never null.
  static IMemoryTimeProfiler* Instance();

  virtual void BeginSection(const std::string& label) = 0;  // 0
  // Closes the innermost open section.
  virtual void EndSection() = 0;                            // 1
  virtual ~IMemoryTimeProfiler();
};

namespace orvex {
namespace test {

struct ProfilerEvent {
  bool begin;
  std::string label;  // empty for an end
  bool operator==(const ProfilerEvent& o) const { return begin == o.begin && label == o.label; }
};

// The profiler's open sections and, while recording, its trace of events. An unbalanced stack
// at the end of a test is reported as left open.
class ORVEX_API ProfilerLog {
public:
  const std::vector<ProfilerEvent>& Events() const { return m_events; }
  const std::vector<std::string>& OpenSections() const { return m_open; }
  // Forgets the events; the open sections stay.
  void ClearEvents() { m_events.clear(); }
  // The test reset switches recording on; outside tests nothing is recorded.
  void SetRecording(bool on) { m_recording = on; }

  void Begin(const std::string& label);
  // False when no section is open.
  bool End();
  void Reset();

private:
  std::vector<ProfilerEvent> m_events;
  std::vector<std::string> m_open;  // innermost last
  bool m_recording = false;
};

ORVEX_API ProfilerLog& Profiler();

}  // namespace test
}  // namespace orvex

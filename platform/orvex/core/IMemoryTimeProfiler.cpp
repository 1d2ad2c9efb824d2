#include "orvex/core/IMemoryTimeProfiler.h"

#include "orvex/core/Assert.h"
#include "orvex/core/TestHooks.h"

IMemoryTimeProfiler::~IMemoryTimeProfiler() = default;

namespace {

class LabelProfiler : public IMemoryTimeProfiler {
public:
  void BeginSection(const std::string& label) override { orvex::test::Profiler().Begin(label); }
  void EndSection() override {
    if (!orvex::test::Profiler().End()) ORVEX_ASSERT(!"EndSection without BeginSection");
  }
};

void ResetProfiler() {
  orvex::test::Profiler().Reset();
  orvex::test::Profiler().SetRecording(true);
}

std::string SectionsLeftOpen() {
  const std::vector<std::string>& open = orvex::test::Profiler().OpenSections();
  if (open.empty()) return std::string();
  std::string out = "profiler section left open:";
  for (const std::string& label : open) out += " \"" + label + "\"";
  orvex::test::Profiler().Reset();
  return out;
}

const bool s_registered = orvex::test::RegisterGlobalState({"profiler", &ResetProfiler, &SectionsLeftOpen});

}  // namespace

IMemoryTimeProfiler* IMemoryTimeProfiler::Instance() {
  static LabelProfiler profiler;
  return &profiler;
}

namespace orvex {
namespace test {

void ProfilerLog::Begin(const std::string& label) {
  m_open.push_back(label);
  if (m_recording) m_events.push_back({true, label});
}

bool ProfilerLog::End() {
  if (m_open.empty()) return false;
  m_open.pop_back();
  if (m_recording) m_events.push_back({false, std::string()});
  return true;
}

void ProfilerLog::Reset() {
  m_events.clear();
  m_open.clear();
}

ProfilerLog& Profiler() {
  static ProfilerLog log;
  return log;
}

}  // namespace test
}  // namespace orvex

#include "orvex/core/VelDebug.h"

#include <cstdio>
#include <set>
#include <string>

#include "orvex/core/TestHooks.h"

namespace {

void WriteToStderr(const AString& text) {
  const std::string utf8 = text.ToUtf8();
  std::fwrite(utf8.data(), 1, utf8.size(), stderr);
}

void WriteToCapture(const AString& text) { orvex::test::DebugLines().push_back(text); }

struct DebugState {
  int level = 0;
  std::set<std::string> disabled;
  VelDebug::Sink sink = &WriteToStderr;
};

DebugState& State() {
  static DebugState state;
  return state;
}

void ResetDebug() {
  State() = DebugState();
  State().sink = &WriteToCapture;
  orvex::test::DebugLines().clear();
}

const bool s_registered = orvex::test::RegisterGlobalState({"debug log", &ResetDebug, nullptr});

}  // namespace

int VelDebug::GetDebugLevel() { return State().level; }

void VelDebug::SetDebugLevel(int level) { State().level = level; }

bool VelDebug::IsOn(int level) { return State().level > 0 && State().level >= level; }

void VelDebug::DisableCategory(const char* category) { State().disabled.insert(category ? category : ""); }

void VelDebug::EnableCategory(const char* category) { State().disabled.erase(category ? category : ""); }

bool VelDebug::IsCategoryEnabled(const char* category) {
  return State().disabled.count(category ? category : "") == 0;
}

void VelDebug::Write(const AString& text) { State().sink(text); }

VelDebug::Sink VelDebug::SetSink(Sink sink) {
  Sink prev = State().sink;
  State().sink = sink ? sink : &WriteToStderr;
  return prev;
}

namespace orvex {
namespace test {

std::vector<AString>& DebugLines() {
  static std::vector<AString> lines;
  return lines;
}

}  // namespace test
}  // namespace orvex

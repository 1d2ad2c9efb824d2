#include "orvex/core/TestHooks.h"

namespace orvex {
namespace test {

namespace {
std::vector<GlobalStateHook>& Hooks() {
  static std::vector<GlobalStateHook> hooks;
  return hooks;
}
}  // namespace

bool RegisterGlobalState(const GlobalStateHook& hook) {
  Hooks().push_back(hook);
  return true;
}

void ResetGlobals() {
  for (const auto& h : Hooks())
    if (h.reset) h.reset();
}

std::string CheckGlobalsLeftOpen() {
  std::string out;
  for (const auto& h : Hooks()) {
    if (!h.leftOpen) continue;
    std::string s = h.leftOpen();
    if (!s.empty()) out += std::string("[") + h.name + "] " + s + (s.back() == '\n' ? "" : "\n");
  }
  return out;
}

}  // namespace test
}  // namespace orvex

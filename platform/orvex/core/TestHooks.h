// Process-wide state of the core libraries, reset and checked by the tests between two tests.
#pragma once

#include <string>
#include <vector>

#include "orvex/core/OrvexApi.h"

namespace orvex {
namespace test {

// One piece of global state. `leftOpen` describes what a test left behind (an unclaimed
// assertion, a held message queue, an installed parser), empty when clean; it also clears it.
struct GlobalStateHook {
  const char* name;
  void (*reset)();
  std::string (*leftOpen)();
};

// Called from static initialisers of the core libraries; returns true.
ORVEX_API bool RegisterGlobalState(const GlobalStateHook& hook);
ORVEX_API void ResetGlobals();
// Everything left open since the last reset, one line each; empty when clean.
ORVEX_API std::string CheckGlobalsLeftOpen();

}  // namespace test
}  // namespace orvex

#include "orvex/core/IOrvDesktop.h"

#include "orvex/core/TestHooks.h"

IOrvDesktop::~IOrvDesktop() = default;

namespace {

class DefaultDesktop : public IOrvDesktop {
public:
  bool SupportsNewReporter() override { return true; }
};

IOrvDesktop* DefaultInstance() {
  static DefaultDesktop desktop;
  return &desktop;
}

IOrvDesktop*& Installed() {
  static IOrvDesktop* installed = DefaultInstance();
  return installed;
}

void ResetDesktop() { Installed() = DefaultInstance(); }

const bool s_registered = orvex::test::RegisterGlobalState({"desktop", &ResetDesktop, nullptr});

}  // namespace

IOrvDesktop* GetIOrvDesktop() { return Installed(); }

IOrvDesktop* SetIOrvDesktop(IOrvDesktop* desktop) {
  IOrvDesktop* prev = Installed();
  Installed() = desktop ? desktop : DefaultInstance();
  return prev;
}

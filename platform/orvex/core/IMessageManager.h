// The process's message manager: where user messages are posted, and where they can be held back.
#pragma once

#include "orvex/core/OrvexApi.h"

class VelmorMessage;

// Holds nest. A message posted while a hold is open waits in the innermost hold. A hold ended
// with `deliver` false discards what it holds; with true it passes it to the enclosing hold, or
// delivers it when no hold is left.
class ORVEX_API IMessageHandler {
public:
  virtual ~IMessageHandler();
  virtual void BeginHold() = 0;
  virtual void EndHold(bool deliver) = 0;
};

class ORVEX_API IMessageManager {
public:
  virtual ~IMessageManager();                                // 0
  virtual void Reserved1() {}                                // 1
  virtual void PostMessage(const VelmorMessage& message) = 0;  // 2
  virtual void Reserved3() {}                                // 3
  virtual void Reserved4() {}                                // 4
  virtual IMessageHandler* GetMessageHandler() = 0;          // 5
};

// The one manager of the process; never null.
ORVEX_API IMessageManager* GetGlobalIMessageManager();

// Where delivered messages go besides the test log (the host shows them to the user).
using MessageSink = void (*)(const VelmorMessage& message);
// Returns the previous sink; null delivers to the log only. The test reset removes the sink.
ORVEX_API MessageSink SetMessageSink(MessageSink sink);

// Scope that holds back user messages while it lives (see IMessageHandler for what happens to them).
#pragma once

#include "orvex/core/IMessageManager.h"

class ORVEX_API MessageQueueRestorer {
public:
  // A null handler holds nothing.
  MessageQueueRestorer(IMessageHandler* handler, bool deliverAtEnd);
  ~MessageQueueRestorer();
  MessageQueueRestorer(const MessageQueueRestorer&) = delete;
  MessageQueueRestorer& operator=(const MessageQueueRestorer&) = delete;

private:
  IMessageHandler* m_handler;  // not owned
  bool m_deliverAtEnd;
};

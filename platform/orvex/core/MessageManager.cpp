// The global message manager: records every post, holds messages while a hold is open.
#include <string>
#include <vector>

#include "orvex/core/Assert.h"
#include "orvex/core/IMessageManager.h"
#include "orvex/core/MessageLog.h"
#include "orvex/core/MessageQueueRestorer.h"
#include "orvex/core/TestHooks.h"
#include "orvex/core/VelmorMessage.h"

IMessageHandler::~IMessageHandler() = default;

IMessageManager::~IMessageManager() = default;

namespace {

class GlobalMessageManager : public IMessageManager, public IMessageHandler {
public:
  void PostMessage(const VelmorMessage& message) override {
    orvex::test::Messages().AddPosted(message, !m_holds.empty());
    if (!m_holds.empty()) {
      m_holds.back().push_back(message);
      return;
    }
    Deliver(message);
  }

  IMessageHandler* GetMessageHandler() override { return this; }

  void BeginHold() override { m_holds.emplace_back(); }

  void EndHold(bool deliver) override {
    if (m_holds.empty()) {
      ORVEX_ASSERT(!"EndHold without BeginHold");
      return;
    }
    std::vector<VelmorMessage> held = std::move(m_holds.back());
    m_holds.pop_back();
    if (!deliver) return;
    if (!m_holds.empty()) {
      m_holds.back().insert(m_holds.back().end(), held.begin(), held.end());
      return;
    }
    for (const VelmorMessage& m : held) Deliver(m);
  }

  MessageSink SetSink(MessageSink sink) {
    MessageSink prev = m_sink;
    m_sink = sink;
    return prev;
  }

  size_t OpenHolds() const { return m_holds.size(); }
  void DropHolds() { m_holds.clear(); }

private:
  void Deliver(const VelmorMessage& message) {
    orvex::test::Messages().AddDelivered(message);
    if (m_sink) m_sink(message);
  }

  std::vector<std::vector<VelmorMessage>> m_holds;  // innermost last
  MessageSink m_sink = nullptr;
};

GlobalMessageManager& Manager() {
  static GlobalMessageManager manager;
  return manager;
}

void ResetMessages() {
  Manager().DropHolds();
  Manager().SetSink(nullptr);
  orvex::test::Messages().Clear();
}

std::string MessageHoldsLeftOpen() {
  const size_t open = Manager().OpenHolds();
  if (open == 0) return std::string();
  Manager().DropHolds();
  return "message hold left open (" + std::to_string(open) + " open)";
}

const bool s_registered =
    orvex::test::RegisterGlobalState({"message manager", &ResetMessages, &MessageHoldsLeftOpen});

}  // namespace

IMessageManager* GetGlobalIMessageManager() { return &Manager(); }

MessageSink SetMessageSink(MessageSink sink) { return Manager().SetSink(sink); }

MessageQueueRestorer::MessageQueueRestorer(IMessageHandler* handler, bool deliverAtEnd)
    : m_handler(handler), m_deliverAtEnd(deliverAtEnd) {
  if (m_handler) m_handler->BeginHold();
}

MessageQueueRestorer::~MessageQueueRestorer() {
  if (m_handler) m_handler->EndHold(m_deliverAtEnd);
}

namespace orvex {
namespace test {

std::vector<int> MessageLog::PostedIDs() const {
  std::vector<int> ids;
  for (const PostedMessage& p : m_posted) ids.push_back(p.message.GetMessageID());
  return ids;
}

std::vector<int> MessageLog::DeliveredIDs() const {
  std::vector<int> ids;
  for (const VelmorMessage& m : m_delivered) ids.push_back(m.GetMessageID());
  return ids;
}

void MessageLog::Clear() {
  m_posted.clear();
  m_delivered.clear();
}

MessageLog& Messages() {
  static MessageLog log;
  return log;
}

}  // namespace test
}  // namespace orvex

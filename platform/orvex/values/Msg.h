// A message sent through expression trees: each receiver handles one message once.
#pragma once

#include <memory>
#include <unordered_set>
#include <vector>

#include "orvex/core/OrvexApi.h"

class Value;

namespace msgtype {
constexpr unsigned kReferencedPostprocessingQuantity = 0x35356766;
constexpr unsigned kDatasetDependency = 0x35356800;
constexpr unsigned kReferencedVariables = 0x35356801;
constexpr unsigned kReferencedDatasets = 0x35356802;
}  // namespace msgtype

class ORVEX_API Msg {
public:
  explicit Msg(unsigned typeCode, bool passOn = false);
  virtual ~Msg();

  unsigned GetType() const { return m_type; }
  // Leaves hand a message with this flag on to the receivers that hold them.
  bool GetPassOn() const { return m_passOn; }
  void SetPassOn(bool passOn) { m_passOn = passOn; }
  // False when `object` was already visited by this message.
  bool MarkVisited(const void* object) { return m_visited.insert(object).second; }
  bool WasVisited(const void* object) const { return m_visited.count(object) != 0; }
  // Keeps a value made only to receive this message alive as long as the message.
  void HoldUntilDone(std::unique_ptr<Value> v);

  Msg(const Msg&) = delete;
  Msg& operator=(const Msg&) = delete;

private:
  unsigned m_type;
  bool m_passOn;
  std::unordered_set<const void*> m_visited;
  std::vector<std::unique_ptr<Value>> m_held;
};

class ORVEX_API IReceiver {
public:
  virtual ~IReceiver();
  virtual void ReceiveMsg(Msg& m) = 0;
};

// Handles a message the first time it arrives, so shared leaves answer once and cycles end.
class ORVEX_API SingleVisitReceiver : public IReceiver {
public:
  ~SingleVisitReceiver() override;
  void ReceiveMsg(Msg& m) override {
    if (m.MarkVisited(this)) DoReceiveMsg(m);
  }
  virtual void DoReceiveMsg(Msg& m) = 0;
};

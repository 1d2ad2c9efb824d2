// The receivers that hold a shared value: a multiset, since one holder may register twice.
#pragma once

#include <cstddef>
#include <vector>

#include "orvex/core/OrvexApi.h"
#include "orvex/values/Msg.h"

class ORVEX_API ReceiverMgr {
public:
  ReceiverMgr() = default;
  ReceiverMgr(const ReceiverMgr&) = delete;
  ReceiverMgr& operator=(const ReceiverMgr&) = delete;
  // Raises "!\"value destroyed while still referenced\"" when receivers remain.
  ~ReceiverMgr();

  void AddReceiver(IReceiver* r) { m_receivers.push_back(r); }
  // Removes one occurrence.
  void RemoveReceiver(IReceiver* r);
  bool HasReceiver(IReceiver* r) const;
  bool IsEmpty() const { return m_receivers.empty(); }
  size_t Count() const { return m_receivers.size(); }
  // Once to each distinct receiver.
  void ReceiveMsg(Msg& m);

private:
  std::vector<IReceiver*> m_receivers;  // not owned
};

// A holder that ignores messages, for values kept alive by an object that is no receiver.
class ORVEX_API AnonymousValueReceiver : public IReceiver {
public:
  static AnonymousValueReceiver* GetInstance();
  ~AnonymousValueReceiver() override;
  void ReceiveMsg(Msg&) override {}
};

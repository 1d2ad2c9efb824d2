// The receivers that hold a shared value: a multiset, since one holder may register twice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <unordered_map>

#include "orvex/core/OrvexApi.h"
#include "orvex/values/Msg.h"

class ORVEX_API ReceiverMgr {
public:
  ReceiverMgr() = default;
  ReceiverMgr(const ReceiverMgr&) = delete;
  ReceiverMgr& operator=(const ReceiverMgr&) = delete;
  // Raises "!\"value destroyed while still referenced\"" when receivers remain.
  ~ReceiverMgr();

  void AddReceiver(IReceiver* r);
  // Removes one occurrence, the earliest added.
  void RemoveReceiver(IReceiver* r);
  bool HasReceiver(IReceiver* r) const { return m_occurrences.count(r) != 0; }
  bool IsEmpty() const { return m_bySequence.empty(); }
  size_t Count() const { return m_bySequence.size(); }
  // Once to each distinct receiver, in the order of their earliest occurrence held.
  void ReceiveMsg(Msg& m);

private:
  // Every occurrence by the order it was added, and each receiver's own occurrences: any one
  // holder is found, added or dropped without a walk over the others.
  std::map<uint64_t, IReceiver*> m_bySequence;                       // not owned
  std::unordered_map<IReceiver*, std::set<uint64_t>> m_occurrences;  // never an empty set
  uint64_t m_nextSequence = 0;
};

// A holder that ignores messages, for values kept alive by an object that is no receiver.
class ORVEX_API AnonymousValueReceiver : public IReceiver {
public:
  static AnonymousValueReceiver* GetInstance();
  ~AnonymousValueReceiver() override;
  void ReceiveMsg(Msg&) override {}
};

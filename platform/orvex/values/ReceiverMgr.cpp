#include "orvex/values/ReceiverMgr.h"

#include <vector>

#include "orvex/core/Assert.h"

ReceiverMgr::~ReceiverMgr() {
  if (!m_bySequence.empty()) ORVEX_ASSERT(!"value destroyed while still referenced");
}

void ReceiverMgr::AddReceiver(IReceiver* r) {
  const uint64_t sequence = m_nextSequence++;
  m_bySequence.emplace_hint(m_bySequence.end(), sequence, r);
  m_occurrences[r].insert(sequence);
}

void ReceiverMgr::RemoveReceiver(IReceiver* r) {
  auto it = m_occurrences.find(r);
  if (it == m_occurrences.end()) {
    ORVEX_ASSERT(!"RemoveReceiver of a receiver not held");
    return;
  }
  std::set<uint64_t>& sequences = it->second;
  m_bySequence.erase(*sequences.begin());
  sequences.erase(sequences.begin());
  if (sequences.empty()) m_occurrences.erase(it);
}

void ReceiverMgr::ReceiveMsg(Msg& m) {
  // A receiver may drop its reference while it handles the message; one registered twice hears it once.
  std::vector<IReceiver*> distinct;
  distinct.reserve(m_occurrences.size());
  for (const auto& [sequence, r] : m_bySequence)
    if (*m_occurrences.find(r)->second.begin() == sequence) distinct.push_back(r);
  for (IReceiver* r : distinct) r->ReceiveMsg(m);
}

AnonymousValueReceiver* AnonymousValueReceiver::GetInstance() {
  static AnonymousValueReceiver s_instance;
  return &s_instance;
}

AnonymousValueReceiver::~AnonymousValueReceiver() = default;

#include "orvex/values/ReceiverMgr.h"

#include <algorithm>

#include "orvex/core/Assert.h"

ReceiverMgr::~ReceiverMgr() {
  if (!m_receivers.empty()) ORVEX_ASSERT(!"value destroyed while still referenced");
}

void ReceiverMgr::RemoveReceiver(IReceiver* r) {
  auto it = std::find(m_receivers.begin(), m_receivers.end(), r);
  if (it == m_receivers.end()) {
    ORVEX_ASSERT(!"RemoveReceiver of a receiver not held");
    return;
  }
  m_receivers.erase(it);
}

bool ReceiverMgr::HasReceiver(IReceiver* r) const {
  return std::find(m_receivers.begin(), m_receivers.end(), r) != m_receivers.end();
}

void ReceiverMgr::ReceiveMsg(Msg& m) {
  // A receiver may drop its reference while it handles the message; one registered twice hears it once.
  std::vector<IReceiver*> copy = m_receivers;
  for (size_t i = 0; i < copy.size(); ++i)
    if (std::find(copy.begin(), copy.begin() + i, copy[i]) == copy.begin() + i) copy[i]->ReceiveMsg(m);
}

AnonymousValueReceiver* AnonymousValueReceiver::GetInstance() {
  static AnonymousValueReceiver s_instance;
  return &s_instance;
}

AnonymousValueReceiver::~AnonymousValueReceiver() = default;

#include "orvex/values/SharedValueBase.h"

SharedValueBase::SharedValueBase() = default;
SharedValueBase::~SharedValueBase() = default;

void SharedValueBase::DoReceiveMsg(Msg& m) {
  ValueBase::DoReceiveMsg(m);
  if (m.GetPassOn()) m_receivers.ReceiveMsg(m);
}

void SharedValueBase::AddRef(IReceiver* r) { m_receivers.AddReceiver(r); }

void SharedValueBase::Release(IReceiver* r) {
  const bool held = m_receivers.HasReceiver(r);
  m_receivers.RemoveReceiver(r);  // asserts when r is no holder
  if (held && m_receivers.IsEmpty()) delete this;
}

bool SharedValueBase::HasRef(IReceiver* r) const { return m_receivers.HasReceiver(r); }

// A value base shared by its holders that deletes itself when the last one releases it.
#pragma once

#include <cstddef>

#include "orvex/core/OrvexApi.h"
#include "orvex/values/ReceiverMgr.h"
#include "orvex/values/ValueBase.h"

// Make these with new once they are handed to a holder; an object never held is never deleted.
class ORVEX_API SharedValueBase : public ValueBase {
public:
  SharedValueBase();
  ~SharedValueBase() override;

  // Leaves hand a pass-on message to their holders.
  void DoReceiveMsg(Msg& m) override;
  void AddRef(IReceiver* r) override;
  void Release(IReceiver* r) override;
  bool HasRef(IReceiver* r) const override;

  size_t GetRefCount() const { return m_receivers.Count(); }

protected:
  ReceiverMgr m_receivers;  // the holders, not owned
};

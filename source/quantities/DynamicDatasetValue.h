// A dataset value made while parsing: it holds its y and x expressions and an ID from its maker.
#pragma once

#include "quantities/DatasetValueBase.h"
#include "orvex/values/ReceiverMgr.h"
#include "orvex/values/ReferencedMessages.h"

template <class X, class Y, int Code>
class DynamicDatasetValue : public DatasetValueBase<X, Y, Code>, public AbstractDynamicDatasetValue {
public:
  // Either expression may be null. Each is shared, held through the anonymous receiver.
  DynamicDatasetValue(long id, ValueBase* yExpr, ValueBase* xExpr) : m_id(id) {
    if (xExpr) {
      m_x = xExpr->CloneValueBase();
      m_x->AddRef(AnonymousValueReceiver::GetInstance());
    }
    if (yExpr) {
      m_y = yExpr->CloneValueBase();
      m_y->AddRef(AnonymousValueReceiver::GetInstance());
    }
  }
  ~DynamicDatasetValue() override {
    if (m_x) m_x->Release(AnonymousValueReceiver::GetInstance());
    if (m_y) m_y->Release(AnonymousValueReceiver::GetInstance());
  }
  DynamicDatasetValue(const DynamicDatasetValue&) = delete;
  DynamicDatasetValue& operator=(const DynamicDatasetValue&) = delete;

  void DoReceiveMsg(Msg& m) override {
    if (m_x) m_x->ReceiveMsg(m);
    if (m_y) m_y->ReceiveMsg(m);
    if (m.GetType() == msgtype::kDatasetDependency)
      if (auto* dependency = dynamic_cast<DatasetDependencyMsg*>(&m)) dependency->AppendAsDependentValue(this);
  }
  AString GetValueText() const override {
    AString text = m_y ? m_y->GetValueText() : AString();
    if (m_x) text += L", " + m_x->GetValueText();
    return text;
  }
  const ValueBase* GetYExpression() const override { return m_y; }

  // Both faces share these.
  void AddRef(IReceiver* r) override { m_receivers.AddReceiver(r); }
  void Release(IReceiver* r) override {
    m_receivers.RemoveReceiver(r);
    if (m_ownedByHolders && m_receivers.IsEmpty()) delete this;
  }
  bool HasRef(IReceiver* r) const override { return m_receivers.HasReceiver(r); }

  long GetID() const override { return m_id; }
  const ValueBase* GetXExpression() const override { return m_x; }
  bool OKtoDelete() const override { return m_receivers.IsEmpty(); }

  // For a maker that goes while expressions still hold this value: from now on the value
  // deletes itself when its last holder releases it.
  void HandOverToHolders() { m_ownedByHolders = true; }

private:
  ValueBase* m_x = nullptr;  // held through the anonymous receiver
  ValueBase* m_y = nullptr;  // held through the anonymous receiver
  ReceiverMgr m_receivers;   // the values that hold this one, not owned
  long m_id;
  bool m_ownedByHolders = false;
};

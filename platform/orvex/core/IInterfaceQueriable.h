// Asking an object for one of its faces by type, across library boundaries.
#pragma once

#include <typeinfo>

#include "orvex/core/OrvexApi.h"

class ORVEX_API IInterfaceQueriable {
public:
  virtual ~IInterfaceQueriable();                             // 0
  // The face of type `type`, or null. An implementation answers
  // static_cast<void*>(static_cast<T*>(this)) for the T asked, never `this` itself, so that a
  // face that is not the first base is found at its own address.
  virtual void* QueryInterface(const std::type_info& type);  // 1
};

class ORVEX_API IVelmorUnknown : public virtual IInterfaceQueriable {
public:
  ~IVelmorUnknown() override;
};

template <class T>
T* QueryInterfaceT(IInterfaceQueriable* p) {
  return static_cast<T*>(p ? p->QueryInterface(typeid(T)) : nullptr);
}

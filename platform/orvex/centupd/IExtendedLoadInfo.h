// What an update object adds to a load unit for the product that loads it.
#pragma once

#include "orvex/core/OrvexApi.h"

class IInterfaceQueriable;

class ORVEX_API IExtendedLoadInfo {
public:
  virtual ~IExtendedLoadInfo();                                  // 0
  // A new copy owned by the caller.
  virtual IExtendedLoadInfo* Clone() const = 0;                  // 1
  virtual IInterfaceQueriable* GetInterfaceQueriable() = 0;     // 2
};

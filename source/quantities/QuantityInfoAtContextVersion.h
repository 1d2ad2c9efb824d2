// What one context version of a solution told about its quantities' types; names compare without case.
#pragma once

#include <map>
#include <vector>

#include "orvex/core/AString.h"
#include "orvex/values/ValueState.h"

namespace rep {

// The "no composite type" value of the core library's composite types, which this build of the
// post-processing library does not declare yet.
constexpr int kInvalidCompositeType = 0;

class QuantityInfoAtContextVersion {
public:
  struct CompositeInfo {
    int m_type = 0;                       // a rep::CompositeType
    std::vector<AString> m_constituents;  // in constituent order
  };
  typedef std::map<AString, ValueState, AString::NoCaseLess> ValueStateMap;
  typedef std::map<AString, CompositeInfo, AString::NoCaseLess> CompositeMap;
  typedef std::map<AString, AString, AString::NoCaseLess> EnumTypeNameMap;
  // Enumeration value -> its text, per enumeration type name. Kept only as read from a block.
  typedef std::map<AString, std::map<int, AString>, AString::NoCaseLess> EnumRepsMap;

  QuantityInfoAtContextVersion() = default;
  QuantityInfoAtContextVersion(const QuantityInfoAtContextVersion&) = delete;
  QuantityInfoAtContextVersion& operator=(const QuantityInfoAtContextVersion&) = delete;

  ValueStateMap m_valueStates;
  CompositeMap m_composites;
  EnumTypeNameMap m_enumTypeNames;
  EnumRepsMap m_enumReps;
};

}  // namespace rep

// Where a product pushes simulated quantity values during a centralized update: one call per
// minor sweep point of the loaded major variation.
#pragma once

#include <map>
#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/Assert.h"

class CharColumn;
class Column;
class VariableValues;

// The quantity data: the quantities' sim-value IDs, one column per ID with rows parallel to the
// primary values, and a tag the cache keeps. The minor variation never holds the primary.
class ISimValueQuantityValueContainer {
public:
  virtual ~ISimValueQuantityValueContainer() = default;  // 0
  virtual void SetQuantityValuesWithInterpolationOrders(const VariableValues& minorVariation,
                                                        const std::vector<long>& quantityIDs,
                                                        const std::map<long, const CharColumn*>& orders,
                                                        const std::vector<const Column*>& quantityValues,
                                                        Column& primaryValues, const AString& tag) {  // 1
    (void)minorVariation, (void)quantityIDs, (void)orders, (void)quantityValues, (void)primaryValues, (void)tag;
    ORVEX_ASSERT(!"Only products working with reporter rewrite to call this method!");
  }
  virtual void SetQuantityValues(const VariableValues& minorVariation, const std::vector<long>& quantityIDs,
                                 const std::vector<const Column*>& quantityValues, Column& primaryValues,
                                 const AString& tag) = 0;  // 2
  virtual void SetQuantityValuesWithPerQuantityPrimaries(const VariableValues& minorVariation,
                                                         const std::vector<long>& quantityIDs,
                                                         const std::map<long, Column*>& primaries,
                                                         const std::vector<const Column*>& quantityValues,
                                                         Column& data4, const AString& tag) {  // 3
    (void)minorVariation, (void)quantityIDs, (void)primaries, (void)quantityValues, (void)data4, (void)tag;
    ORVEX_ASSERT(!"Only products working with reporter rewrite to call this method!");
  }
  virtual int UnimplementedSlot4(const void* argument) {  // 4
    (void)argument;
    ORVEX_ASSERT(!"Only products working with reporter rewrite to call this method!");
    return 0;
  }
};

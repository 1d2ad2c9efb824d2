// Every kind of quantity type parameter and their visitor, in one include.
#pragma once

#include "postorvex/quantities/BaseQuantityTypeParam.h"
#include "postorvex/quantities/CompositeQuantityTypeParam.h"
#include "postorvex/quantities/EnumQuantityTypeParam.h"
#include "postorvex/quantities/OtherQuantityTypeParam.h"
#include "postorvex/quantities/QuantityTypeParam.h"
#include "postorvex/quantities/QuantityTypeParamVisitor.h"

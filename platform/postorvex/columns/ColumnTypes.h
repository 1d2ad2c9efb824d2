// The value-layer types that columns hold and are typed by: parameter types, units, complex
// numbers and the geometric records.
#pragma once

#include "orvex/values/AComplex.h"
#include "orvex/values/GeometryParams.h"
#include "orvex/values/Units.h"
#include "orvex/values/ValueCodes.h"

// Fills a variable name space with a solution's variables; the core library declares it.
#pragma once

#include "orvex/values/IVariableNameSpaceSetupper.h"

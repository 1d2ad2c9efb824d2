#include "postorvex/connectivity/VVLeafData.h"

VVLeafData::~VVLeafData() = default;

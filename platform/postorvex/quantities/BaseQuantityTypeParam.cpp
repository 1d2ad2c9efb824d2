#include "postorvex/quantities/BaseQuantityTypeParam.h"

BaseQuantityTypeParam::~BaseQuantityTypeParam() = default;

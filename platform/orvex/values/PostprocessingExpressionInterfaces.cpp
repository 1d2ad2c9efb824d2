#include "orvex/values/IPostprocessingExpressionHelper.h"
#include "orvex/values/IPostprocessingExpressionInterrogator.h"

IPostprocessingExpressionInterrogator::~IPostprocessingExpressionInterrogator() = default;
IPostprocessingExpressionHelper::~IPostprocessingExpressionHelper() = default;

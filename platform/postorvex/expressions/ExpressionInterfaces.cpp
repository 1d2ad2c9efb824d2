#include "postorvex/expressions/IPostprocessingExpressionHelper.h"
#include "postorvex/expressions/IPostprocessingExpressionInterrogator.h"

IPostprocessingExpressionInterrogator::~IPostprocessingExpressionInterrogator() = default;
IPostprocessingExpressionHelper::~IPostprocessingExpressionHelper() = default;

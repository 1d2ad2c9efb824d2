// Rewrites a post-processing expression after quantities got new names.
#pragma once

#include <map>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"

class DesignSolutionDefinition;

class ORVEX_API IPostprocessingExpressionHelper {
public:
  virtual ~IPostprocessingExpressionHelper();  // 0
  // `newText` changes only when the expression names a renamed quantity.
  virtual bool GenerateNewValueText(AString& newText, const AString& expression,
                                    const std::map<AString, AString, AString::NoCaseLess>& renames,
                                    const DesignSolutionDefinition& dsd) = 0;  // 1
};

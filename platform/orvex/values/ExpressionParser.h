// Validation and inspection of expression texts against a list of value parsers.
#pragma once

#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"

class IValueParser;
class Value;

class ORVEX_API ExpressionParser {
public:
  // 1 when the text parses with names resolved through the current name spaces, intrinsic and
  // constant variables, then the listed parsers in order (typed by their GetValueState; ranged
  // arguments get their dummy datasets). On 1 `out` holds the value in the units it was made with.
  static int ValidateExpression(Value& out, const AString& text, const std::vector<IValueParser*>& parsers);

  // The distinct identifiers (first-seen order, no case) that nothing resolves: not the name
  // spaces, intrinsic or constant variables, function names nor the listed parsers. The text is
  // scanned even when it is no valid expression. Answers how many were appended.
  static int GetAlienLabels(const AString& text, const std::vector<IValueParser*>& parsers,
                            std::vector<AString>& labels);
};

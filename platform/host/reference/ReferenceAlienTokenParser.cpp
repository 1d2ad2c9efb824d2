#include "reference/ReferenceAlienTokenParser.h"

namespace refhost {

ReferenceAlienTokenParser::~ReferenceAlienTokenParser() = default;

}  // namespace refhost

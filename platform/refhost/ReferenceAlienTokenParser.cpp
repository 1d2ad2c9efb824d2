#include "refhost/ReferenceAlienTokenParser.h"

namespace refhost {

ReferenceAlienTokenParser::~ReferenceAlienTokenParser() = default;

}  // namespace refhost

// The reference host's parser of foreign tokens: an opaque object the engine only forwards.
#pragma once

#include "hostapi/IAlienTokenParser.h"

namespace refhost {

class ReferenceAlienTokenParser : public IAlienTokenParser {
public:
  ~ReferenceAlienTokenParser() override;
};

}  // namespace refhost

// Opaque parser of tokens the expression language does not know; forwarded, never called.
#pragma once

class IAlienTokenParser {
public:
  virtual ~IAlienTokenParser() = default;
};

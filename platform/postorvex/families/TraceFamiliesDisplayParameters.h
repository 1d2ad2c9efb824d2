// How a trace with several families of curves shows them: the base of the display kinds.
#pragma once

#include "orvex/core/OrvexApi.h"
#include "orvex/io/ReadError.h"

class TraceFamiliesDisplayParametersVisitor;
namespace io {
class CBlock;
}  // namespace io

class POSTORVEX_API TraceFamiliesDisplayParameters {
public:
  virtual ~TraceFamiliesDisplayParameters();                                          // 0
  // The kind's own keys, in the block that also holds "DisplayFamiliesType".
  virtual io::ReadError DoDataExchange(io::CBlock& block, bool read) = 0;              // 1
  // A new copy owned by the caller.
  virtual TraceFamiliesDisplayParameters* CloneDisplayParams() const = 0;              // 2
  // Calls the visit of its own kind and answers its answer; here the visit of another kind.
  virtual bool AcceptDisplayParametersVisitor(TraceFamiliesDisplayParametersVisitor& visitor) const;  // 3
};

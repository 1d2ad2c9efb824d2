// The ID server's state in a block; it lives with the block layer, which core does not include.
#include "orvex/core/VelmorIDServer.h"
#include "orvex/io/Block.h"

void VelmorIDServer::WriteNextUniqueID(io::CBlock& block) const {
  block << io::CBlock_named_value(StateKey(), io::CBlock_value(PeekNextUniqueID()));
}

io::ReadError VelmorIDServer::ResetNextUniqueID(const io::CBlock& block) {
  const io::CBlock_named_value* nv = block.FindNamedValue(StateKey());
  if (!nv) return io::kKeyMissing;
  long next = 0;
  if (!nv->GetValue().Query(next)) return io::kConversionFailed;
  m_next = next;
  return io::kNoError;
}

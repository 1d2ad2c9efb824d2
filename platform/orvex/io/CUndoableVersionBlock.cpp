// The version counter's block form; it lives with the block layer, which core does not include.
#include "orvex/core/CUndoableVersion.h"
#include "orvex/io/Block.h"

io::ReadError CUndoableVersion::DoDataExchange(io::CBlock& block, bool read) {
  unsigned v = static_cast<unsigned>(m_version);
  io::ReadError err = io::DoDataExchange(block, read, L"UndoableVersion", v, io::kReturnCode);
  if (!read) return err;
  // Older blocks carry no counter: they read as they are.
  if (err == io::kKeyMissing) return io::kNoError;
  if (err == io::kNoError) m_version = v;
  return err;
}

// A trace's edit counter that a command restores on undo, so a redone edit counts as changed.
#pragma once

#include "orvex/core/MUndoableObject.h"

namespace io {
class CBlock;
typedef int ReadError;
}  // namespace io

class ORVEX_API CUndoableVersion : public MUndoableObject {
public:
  CUndoableVersion() { ReadUndoableFromStorage(); }
  CUndoableVersion(const CUndoableVersion& other) : MUndoableObject(), m_version(other.m_version) {}
  CUndoableVersion& operator=(const CUndoableVersion& other);
  ~CUndoableVersion() override;

  void CopyFrom(const CUndoableVersion& other) { m_version = other.m_version; }
  unsigned long GetVersion() const { return m_version; }
  void Increment() { ++m_version; }

  MUndoableObject* Clone() const override;
  // A snapshot of another class is refused.
  void Assign(const MUndoableObject& from) override;

  // Named value "UndoableVersion" in the owner's block. A block without it reads as 0 (no error)
  // and keeps the counter, so blocks written before the counter existed stay readable.
  io::ReadError DoDataExchange(io::CBlock& block, bool read);

private:
  unsigned long m_version = 0;
};

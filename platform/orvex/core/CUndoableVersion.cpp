#include "orvex/core/CUndoableVersion.h"

#include "orvex/core/Assert.h"

// DoDataExchange lives in CUndoableVersionBlock.cpp, beside the block tree it needs.

CUndoableVersion& CUndoableVersion::operator=(const CUndoableVersion& other) {
  m_version = other.m_version;
  return *this;
}

CUndoableVersion::~CUndoableVersion() = default;

MUndoableObject* CUndoableVersion::Clone() const { return new CUndoableVersion(*this); }

void CUndoableVersion::Assign(const MUndoableObject& from) {
  const auto* version = dynamic_cast<const CUndoableVersion*>(&from);
  ORVEX_ASSERT(version);
  if (version) m_version = version->m_version;
}

#include "orvex/core/VelmorIDServer.h"

#include "orvex/core/Assert.h"

VelmorIDServer::VelmorIDServer(long initial, bool shared, const AString& name)
    : m_next(initial), m_shared(shared), m_name(name) {}

long VelmorIDServer::GetNewUniqueID() {
  if (m_next == id::invalidID) ++m_next;
  // IDs must fit the 32 bits that other programs give them.
  const long nextID = m_next;
  ORVEX_ASSERT(nextID < 0x7FFFFFFF);
  if (nextID >= id::endID) return id::invalidID;
  ++m_next;
  return nextID;
}

long VelmorIDServer::PeekNextUniqueID() const { return m_next == id::invalidID ? m_next + 1 : m_next; }

long VelmorIDServer::CountIDsLeft() const {
  const long next = PeekNextUniqueID();
  if (next >= id::endID) return 0;
  // The invalid ID lies ahead of a server below it, and is skipped.
  return id::endID - next - (next < id::invalidID ? 1 : 0);
}

AString VelmorIDServer::StateKey() const { return m_name.empty() ? AString(L"NextUniqueID") : m_name; }

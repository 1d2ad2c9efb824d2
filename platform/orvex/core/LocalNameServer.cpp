#include "orvex/core/LocalNameServer.h"

LocalNameServer::LocalNameServer() : VelmorNameServer(0) {}

LocalNameServer::~LocalNameServer() = default;

void LocalNameServer::GetNames(std::list<AString>& names) const {
  names.insert(names.end(), m_names.begin(), m_names.end());
}

void LocalNameServer::AddName(const AString& name) {
  m_names.push_back(name);
  ++m_index[name.FoldedCase()];
}

void LocalNameServer::AddNames(const std::list<AString>& names) {
  for (const AString& n : names) AddName(n);
}

void LocalNameServer::Clear() {
  m_names.clear();
  m_index.clear();
  m_hints.clear();
}

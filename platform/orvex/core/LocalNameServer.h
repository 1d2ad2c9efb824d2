// A name server over its own list of names, for making a batch of names unique.
#pragma once

#include <list>

#include "orvex/core/VelmorNameServer.h"

class ORVEX_API LocalNameServer : public VelmorNameServer {
public:
  LocalNameServer();
  ~LocalNameServer() override;

  void GetNames(std::list<AString>& names) const override;

  void AddName(const AString& name);
  void AddNames(const std::list<AString>& names);
  void Clear();

protected:
  const NameIndex* GetNameIndex() const override { return &m_index; }
  NumberHints* GetNumberHints() const override { return &m_hints; }

private:
  std::list<AString> m_names;
  NameIndex m_index;            // kept in step with m_names
  mutable NumberHints m_hints;  // names are only added until Clear, so a hint stays true
};

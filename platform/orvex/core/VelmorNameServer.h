// Base of every server that hands out names unique without regard to letter case.
#pragma once

#include <list>
#include <string>
#include <unordered_map>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"

class ORVEX_API VelmorNameServer {
public:
  virtual ~VelmorNameServer();
  // Appends every name the server holds.
  virtual void GetNames(std::list<AString>& names) const = 0;

  // `wanted` when no name equals it, else `wanted` followed by the smallest k >= 1 that no name
  // equals. Only index mode 1 exists. The result is not added to the server.
  AString GetUniqueName(const AString& wanted, int indexMode) const;
  // At most the allowed number of names (fixed at construction) equal `name`.
  bool IsNameUnique(const AString& name) const;

  int GetAllowedEqualNames() const { return m_allowedEqualNames; }

protected:
  // Servers whose names include the object being checked allow one equal name (the object's own).
  explicit VelmorNameServer(int allowedEqualNames = 1);
  VelmorNameServer(const VelmorNameServer&) = default;
  VelmorNameServer& operator=(const VelmorNameServer&) = default;

  // Folded name -> how many names fold to it.
  using NameIndex = std::unordered_map<std::wstring, int>;
  // A server that keeps its own index answers it, so that a call need not gather the names.
  virtual const NameIndex* GetNameIndex() const;
  // Folded wanted name -> a number k such that the wanted name followed by each of 1 .. k-1 is held.
  using NumberHints = std::unordered_map<std::wstring, unsigned long>;
  // Only a server whose names are never taken away may keep hints (null: none kept).
  virtual NumberHints* GetNumberHints() const;

private:
  int m_allowedEqualNames;
};

// The subsweep definitions of a point set, one per swept variable, owned and in order.
#pragma once

#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/io/ReadError.h"

class AbstractSubsweepDefParams;
namespace io {
class CBlock;
}  // namespace io

class POSTORVEX_API SubsweepDefParamsContainer {
public:
  class const_iterator {
  public:
    explicit const_iterator(std::vector<AbstractSubsweepDefParams*>::const_iterator it) : m_it(it) {}
    const AbstractSubsweepDefParams* operator*() const { return *m_it; }
    const_iterator& operator++() {
      ++m_it;
      return *this;
    }
    bool operator==(const const_iterator& o) const { return m_it == o.m_it; }
    bool operator!=(const const_iterator& o) const { return m_it != o.m_it; }

  private:
    std::vector<AbstractSubsweepDefParams*>::const_iterator m_it;
  };

  SubsweepDefParamsContainer() = default;
  // Deep copies.
  SubsweepDefParamsContainer(const SubsweepDefParamsContainer& other);
  SubsweepDefParamsContainer& operator=(const SubsweepDefParamsContainer& other);
  SubsweepDefParamsContainer(SubsweepDefParamsContainer&& other) noexcept;
  SubsweepDefParamsContainer& operator=(SubsweepDefParamsContainer&& other) noexcept;
  ~SubsweepDefParamsContainer();

  size_t Size() const { return m_defs.size(); }
  bool empty() const { return m_defs.empty(); }
  // Out of range: soft assertion, null.
  const AbstractSubsweepDefParams* operator[](size_t index) const;
  AbstractSubsweepDefParams* GetForEdit(size_t index);
  const_iterator begin() const { return const_iterator(m_defs.begin()); }
  const_iterator end() const { return const_iterator(m_defs.end()); }

  void PushBackCopy(const AbstractSubsweepDefParams& def);
  void PushBackAndOwn(AbstractSubsweepDefParams* def);
  // False when there is no such definition.
  bool Remove(size_t index);
  bool Remove(const AbstractSubsweepDefParams* def);
  // Deletes the old definition and owns the new one.
  void Replace(size_t index, AbstractSubsweepDefParams* newDef);
  void ClearAll();

  // The first definition whose sweep name equals `name` without regard to case; null when none.
  const AbstractSubsweepDefParams* GetDefParamsFromSweepName(const AString& name) const;
  AbstractSubsweepDefParams* GetDefParamsFromSweepNameForEdit(const AString& name);

  AString GetBlockName() const { return ACHAR("SubsweepDefParams"); }
  // One "Subsweep" sub-block per definition. Reading replaces the content; a sub-block of an
  // unknown kind, or one that does not read, is left out and gives a read error.
  io::ReadError DoDataExchange(io::CBlock& block, bool read);

private:
  std::vector<AbstractSubsweepDefParams*> m_defs;  // owned; deleted in ClearAll, Remove and Replace
};

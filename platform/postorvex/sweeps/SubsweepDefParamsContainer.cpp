#include "postorvex/sweeps/SubsweepDefParamsContainer.h"

#include <algorithm>
#include <memory>

#include "orvex/core/Assert.h"
#include "orvex/io/Block.h"
#include "postorvex/sweeps/AbstractSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsFactory.h"

namespace {

const wchar_t* const kSubsweepBlockName = ACHAR("Subsweep");

}  // namespace

SubsweepDefParamsContainer::SubsweepDefParamsContainer(const SubsweepDefParamsContainer& other) {
  m_defs.reserve(other.m_defs.size());
  for (const AbstractSubsweepDefParams* d : other.m_defs) PushBackCopy(*d);
}

SubsweepDefParamsContainer& SubsweepDefParamsContainer::operator=(const SubsweepDefParamsContainer& other) {
  if (this == &other) return *this;
  SubsweepDefParamsContainer copy(other);
  std::swap(m_defs, copy.m_defs);
  return *this;
}

SubsweepDefParamsContainer::SubsweepDefParamsContainer(SubsweepDefParamsContainer&& other) noexcept
    : m_defs(std::move(other.m_defs)) {
  other.m_defs.clear();
}

SubsweepDefParamsContainer& SubsweepDefParamsContainer::operator=(SubsweepDefParamsContainer&& other) noexcept {
  if (this == &other) return *this;
  ClearAll();
  std::swap(m_defs, other.m_defs);
  return *this;
}

SubsweepDefParamsContainer::~SubsweepDefParamsContainer() { ClearAll(); }

const AbstractSubsweepDefParams* SubsweepDefParamsContainer::operator[](size_t index) const {
  ORVEX_ASSERT(index<Size());
  return index < Size() ? m_defs[index] : nullptr;
}

AbstractSubsweepDefParams* SubsweepDefParamsContainer::GetForEdit(size_t index) {
  ORVEX_ASSERT(index<Size());
  return index < Size() ? m_defs[index] : nullptr;
}

void SubsweepDefParamsContainer::PushBackCopy(const AbstractSubsweepDefParams& def) {
  PushBackAndOwn(def.CloneDefParams());
}

void SubsweepDefParamsContainer::PushBackAndOwn(AbstractSubsweepDefParams* def) {
  ORVEX_ASSERT(def);
  if (!def) return;
  std::unique_ptr<AbstractSubsweepDefParams> owned(def);
  m_defs.push_back(owned.get());
  owned.release();
}

bool SubsweepDefParamsContainer::Remove(size_t index) {
  if (index >= Size()) return false;
  delete m_defs[index];
  m_defs.erase(m_defs.begin() + static_cast<std::ptrdiff_t>(index));
  return true;
}

bool SubsweepDefParamsContainer::Remove(const AbstractSubsweepDefParams* def) {
  auto it = std::find(m_defs.begin(), m_defs.end(), def);
  if (it == m_defs.end()) return false;
  return Remove(static_cast<size_t>(it - m_defs.begin()));
}

void SubsweepDefParamsContainer::Replace(size_t index, AbstractSubsweepDefParams* newDef) {
  ORVEX_ASSERT(index<Size());
  ORVEX_ASSERT(newDef);
  if (index < Size() && m_defs[index] == newDef) return;
  std::unique_ptr<AbstractSubsweepDefParams> owned(newDef);  // freed here when it cannot be placed
  if (index >= Size() || !newDef) return;
  delete m_defs[index];
  m_defs[index] = owned.release();
}

void SubsweepDefParamsContainer::ClearAll() {
  for (AbstractSubsweepDefParams* d : m_defs) delete d;
  m_defs.clear();
}

const AbstractSubsweepDefParams* SubsweepDefParamsContainer::GetDefParamsFromSweepName(const AString& name) const {
  for (const AbstractSubsweepDefParams* d : m_defs)
    if (d->GetSweepName().CompareNoCase(name) == 0) return d;
  return nullptr;
}

AbstractSubsweepDefParams* SubsweepDefParamsContainer::GetDefParamsFromSweepNameForEdit(const AString& name) {
  return const_cast<AbstractSubsweepDefParams*>(GetDefParamsFromSweepName(name));
}

io::ReadError SubsweepDefParamsContainer::DoDataExchange(io::CBlock& block, bool read) {
  io::ReadError result = io::kNoError;
  if (!read) {
    for (AbstractSubsweepDefParams* d : m_defs) {
      io::CBlock sub(kSubsweepBlockName);
      io::ReadError written = d->DoDataExchange(sub, false);
      if (result == io::kNoError) result = written;
      block << std::move(sub);
    }
    return result;
  }
  ClearAll();
  for (size_t i = 0; i < block.GetNumItems(); ++i) {
    io::CBlock* sub = block.GetBlockForEdit(i);
    if (!sub || sub->GetName() != kSubsweepBlockName) continue;
    int kind = 0;
    io::ReadError r = io::DoDataExchange(*sub, true, ACHAR("Kind"), kind, io::kReturnCode);
    std::unique_ptr<AbstractSubsweepDefParams> def(r == io::kNoError ? SubsweepDefParamsFactory::Create(kind)
                                                                     : nullptr);
    if (r == io::kNoError && !def) r = 1;
    if (def) r = def->DoDataExchange(*sub, true);
    if (r != io::kNoError) {
      if (result == io::kNoError) result = r;
      continue;
    }
    m_defs.push_back(def.release());
  }
  block.ResetFound(true);
  return result;
}

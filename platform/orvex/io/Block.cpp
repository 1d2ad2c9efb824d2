#include "orvex/io/Block.h"

#include <type_traits>

#include "orvex/core/Assert.h"

namespace io {

namespace {

template <class T, class Item>
const T* ItemAs(const Item& item) {
  if constexpr (std::is_same_v<T, CBlock_named_value>) {
    return std::get_if<CBlock_named_value>(&item);
  } else {
    const auto* p = std::get_if<std::unique_ptr<T>>(&item);
    return p ? p->get() : nullptr;
  }
}

// What a lookup matches: a named value's key, every other item's name.
template <class T>
const AString& LookupName(const T& item) {
  return item.GetName();
}
const AString& LookupName(const CBlock_named_value& nv) { return nv.GetKey(); }

// The first item of kind T that answers to `name`, in item order; `found` says whether there is one.
template <class T, class Items>
const T* FindFirst(const Items& items, const AString& name, bool& found) {
  for (const auto& item : items) {
    const T* t = ItemAs<T>(item);
    if (t && LookupName(*t) == name) {
      found = true;
      return t;
    }
  }
  found = false;
  return nullptr;
}

}  // namespace

CBlock::CBlock(const AString& name) : m_name(name) {}

CBlock::CBlock(const CBlock& o) : m_name(o.m_name), m_found(o.m_found) {
  m_items.reserve(o.m_items.size());
  for (const Item& item : o.m_items) m_items.push_back(CloneItem(item));
}

CBlock::CBlock(CBlock&& o) noexcept
    : m_name(std::move(o.m_name)), m_items(std::move(o.m_items)), m_found(o.m_found) {}

CBlock& CBlock::operator=(const CBlock& o) {
  if (this == &o) return *this;
  CBlock copy(o);
  return *this = std::move(copy);
}

CBlock& CBlock::operator=(CBlock&& o) noexcept {
  if (this == &o) return *this;
  m_name = std::move(o.m_name);
  m_items = std::move(o.m_items);
  m_found = o.m_found;
  return *this;
}

CBlock::~CBlock() = default;

CBlock::Item CBlock::CloneItem(const Item& item) {
  switch (item.index()) {
    case kBlock: return std::make_unique<CBlock>(*ItemAs<CBlock>(item));
    case kNamedValue: return Item(std::in_place_index<kNamedValue>, *ItemAs<CBlock_named_value>(item));
    case kFunc: return std::make_unique<CBlock_func>(*ItemAs<CBlock_func>(item));
    default: return std::make_unique<CBlock_vec>(*ItemAs<CBlock_vec>(item));
  }
}

CBlock& CBlock::operator<<(const CBlock& b) { return *this << CBlock(b); }

CBlock& CBlock::operator<<(CBlock&& b) {
  ORVEX_ASSERT(&b != this);
  if (&b == this) return *this;
  m_items.emplace_back(std::make_unique<CBlock>(std::move(b)));
  return *this;
}

CBlock& CBlock::operator<<(const CBlockPtr& b) {
  ORVEX_ASSERT(b.get());
  if (!b.get()) return *this;
  return *this << CBlock(*b);
}

CBlock& CBlock::operator<<(const CBlock_named_value& nv) {
  m_items.emplace_back(std::in_place_index<kNamedValue>, nv);
  return *this;
}

CBlock& CBlock::operator<<(CBlock_named_value&& nv) {
  m_items.emplace_back(std::in_place_index<kNamedValue>, std::move(nv));
  return *this;
}

CBlock& CBlock::operator<<(const CBlock_func& f) { return *this << CBlock_func(f); }

CBlock& CBlock::operator<<(CBlock_func&& f) {
  m_items.emplace_back(std::make_unique<CBlock_func>(std::move(f)));
  return *this;
}

CBlock& CBlock::operator<<(const CBlock_vec& v) { return *this << CBlock_vec(v); }

CBlock& CBlock::operator<<(CBlock_vec&& v) {
  m_items.emplace_back(std::make_unique<CBlock_vec>(std::move(v)));
  return *this;
}

const CBlock& CBlock::operator>>(CBlock_named_value& nv) const {
  const CBlock_named_value* found = FindNamedValue(nv.GetKey());
  if (found) nv.SetValue(found->GetValue());
  return *this;
}

const CBlock& CBlock::operator>>(CBlock& sub) const {
  const CBlock* found = FindBlock(sub.GetName());
  if (found && found != &sub) {
    sub = *found;
    sub.m_found = true;  // not the stored block's flag from an earlier lookup
  }
  m_found = found != nullptr;
  return *this;
}

const CBlock& CBlock::operator>>(CBlockVecPtr& vec) const {
  const AString name = vec ? vec->GetName() : AString();
  if (const CBlock_vec* found = FindVec(name)) vec = CBlockVecPtr(new CBlock_vec(*found));
  return *this;
}

const CBlock* CBlock::FindBlock(const AString& name) const {
  return FindFirst<CBlock>(m_items, name, m_found);
}

CBlock* CBlock::FindBlockForEdit(const AString& name) { return const_cast<CBlock*>(FindBlock(name)); }

const CBlock_func* CBlock::FindFunc(const AString& name) const {
  return FindFirst<CBlock_func>(m_items, name, m_found);
}

const CBlock_named_value* CBlock::FindNamedValue(const AString& key) const {
  return FindFirst<CBlock_named_value>(m_items, key, m_found);
}

const CBlock_vec* CBlock::FindVec(const AString& name) const {
  return FindFirst<CBlock_vec>(m_items, name, m_found);
}

CBlock::ItemKind CBlock::GetItemKind(size_t i) const {
  ORVEX_ASSERT(i<GetNumItems());
  return i < m_items.size() ? static_cast<ItemKind>(m_items[i].index()) : kBlock;
}

const AString& CBlock::GetItemName(size_t i) const {
  static const AString kEmpty;
  ORVEX_ASSERT(i<GetNumItems());
  if (i >= m_items.size()) return kEmpty;
  const Item& item = m_items[i];
  switch (item.index()) {
    case kBlock: return ItemAs<CBlock>(item)->GetName();
    case kNamedValue: return ItemAs<CBlock_named_value>(item)->GetKey();
    case kFunc: return ItemAs<CBlock_func>(item)->GetName();
    default: return ItemAs<CBlock_vec>(item)->GetName();
  }
}

const CBlock* CBlock::GetBlock(size_t i) const { return i < m_items.size() ? ItemAs<CBlock>(m_items[i]) : nullptr; }

CBlock* CBlock::GetBlockForEdit(size_t i) { return const_cast<CBlock*>(GetBlock(i)); }

const CBlock_func* CBlock::GetFunc(size_t i) const {
  return i < m_items.size() ? ItemAs<CBlock_func>(m_items[i]) : nullptr;
}

const CBlock_named_value* CBlock::GetNamedValue(size_t i) const {
  return i < m_items.size() ? ItemAs<CBlock_named_value>(m_items[i]) : nullptr;
}

const CBlock_vec* CBlock::GetVec(size_t i) const { return i < m_items.size() ? ItemAs<CBlock_vec>(m_items[i]) : nullptr; }

void CBlock::Clear() { m_items.clear(); }

bool CBlock::operator==(const CBlock& o) const {
  if (GetName() != o.GetName() || m_items.size() != o.m_items.size()) return false;
  for (size_t i = 0; i < m_items.size(); ++i) {
    const Item& a = m_items[i];
    const Item& b = o.m_items[i];
    if (a.index() != b.index()) return false;
    switch (a.index()) {
      case kBlock:
        if (*ItemAs<CBlock>(a) != *ItemAs<CBlock>(b)) return false;
        break;
      case kNamedValue:
        if (*ItemAs<CBlock_named_value>(a) != *ItemAs<CBlock_named_value>(b)) return false;
        break;
      case kFunc:
        if (*ItemAs<CBlock_func>(a) != *ItemAs<CBlock_func>(b)) return false;
        break;
      default:
        if (*ItemAs<CBlock_vec>(a) != *ItemAs<CBlock_vec>(b)) return false;
        break;
    }
  }
  return true;
}

namespace {

template <class T>
ReadError Exchange(CBlock& block, bool read, const AString& key, T& value, TExcRq request) {
  if (!read) {
    block << CBlock_named_value(key, CBlock_value(value));
    return kNoError;
  }
  const CBlock_named_value* nv = block.FindNamedValue(key);
  if (!nv) {
    if (request == kThrowCode) throw ReadErrorException{kKeyMissing};
    return kKeyMissing;
  }
  const bool converted = nv->GetValue().Query(value);
  block.ResetFound(converted);
  return converted ? kNoError : kConversionFailed;
}

}  // namespace

ReadError DoDataExchange(CBlock& block, bool read, const AString& key, long& value, TExcRq request) {
  return Exchange(block, read, key, value, request);
}
ReadError DoDataExchange(CBlock& block, bool read, const AString& key, int& value, TExcRq request) {
  return Exchange(block, read, key, value, request);
}
ReadError DoDataExchange(CBlock& block, bool read, const AString& key, unsigned int& value, TExcRq request) {
  return Exchange(block, read, key, value, request);
}
ReadError DoDataExchange(CBlock& block, bool read, const AString& key, double& value, TExcRq request) {
  return Exchange(block, read, key, value, request);
}
ReadError DoDataExchange(CBlock& block, bool read, const AString& key, bool& value, TExcRq request) {
  return Exchange(block, read, key, value, request);
}
ReadError DoDataExchange(CBlock& block, bool read, const AString& key, AString& value, TExcRq request) {
  return Exchange(block, read, key, value, request);
}

}  // namespace io

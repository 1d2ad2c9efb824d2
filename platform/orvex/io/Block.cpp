#include "orvex/io/Block.h"

#include <new>
#include <type_traits>

#include "orvex/core/Assert.h"
#include "orvex/io/BlockArena.h"

namespace io {

namespace {

template <class T, class Item>
const T* ItemAs(const Item& item) {
  if constexpr (std::is_same_v<T, CBlock_named_value> || std::is_same_v<T, CBlock>) {
    return std::get_if<T>(&item);
  } else if constexpr (std::is_same_v<T, CBlock_func>) {
    const auto* p = std::get_if<CBlock::kFunc>(&item);
    return p ? p->get() : nullptr;
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
template <class T, class Item>
const T* FindFirst(const Item* b, const Item* e, const AString& name) {
  for (const Item* item = b; item != e; ++item) {
    const T* t = ItemAs<T>(*item);
    if (t && LookupName(*t) == name) return t;
  }
  return nullptr;
}

// The arena that room for items came from, kept just before the room.
BlockArena*& ArenaOf(void* items) { return static_cast<BlockArena**>(items)[-1]; }

}  // namespace

CBlock::CBlock(const AString& name) : m_name(name), m_capacity(0), m_inArena(0), m_found(1) {}

CBlock::CBlock(const CBlock& o) : m_name(o.m_name), m_capacity(0), m_inArena(0), m_found(o.m_found) {
  Grow(o.m_size);
  for (uint32_t i = 0; i < o.m_size; ++i) new (m_items + i) Item(CloneItem(o.m_items[i]));
  m_size = o.m_size;
}

CBlock::CBlock(CBlock&& o) noexcept
    : m_name(std::move(o.m_name)),
      m_items(o.m_items),
      m_size(o.m_size),
      m_capacity(o.m_capacity),
      m_inArena(o.m_inArena),
      m_found(o.m_found) {
  o.m_items = nullptr;
  o.m_size = 0;
  o.m_capacity = 0;
  o.m_inArena = 0;
}

CBlock& CBlock::operator=(const CBlock& o) {
  if (this == &o) return *this;
  CBlock copy(o);
  return *this = std::move(copy);
}

CBlock& CBlock::operator=(CBlock&& o) noexcept {
  if (this == &o) return *this;
  // o may be one of this block's own items: take it over before letting go of them.
  CBlock taken(std::move(o));
  DestroyItems();
  m_name = std::move(taken.m_name);
  m_items = taken.m_items;
  m_size = taken.m_size;
  m_capacity = taken.m_capacity;
  m_inArena = taken.m_inArena;
  m_found = taken.m_found;
  taken.m_items = nullptr;
  taken.m_size = 0;
  taken.m_capacity = 0;
  taken.m_inArena = 0;
  return *this;
}

CBlock::~CBlock() { DestroyItems(); }

void CBlock::DestroyItems() {
  for (uint32_t i = 0; i < m_size; ++i) m_items[i].~Item();
  FreeRoom();
  m_items = nullptr;
  m_size = 0;
  m_capacity = 0;
  m_inArena = 0;
}

void CBlock::FreeRoom() {
  if (m_inArena)
    BlockArena::Release(ArenaOf(m_items));
  else
    ::operator delete(m_items);
}

void CBlock::Grow(size_t capacity) {
  // Kept small: a project holds millions of items, most of them sub-blocks and named values.
  static_assert(sizeof(void*) != 8 || sizeof(Item) <= 40, "a block item grew");
  if (capacity <= m_capacity) return;
  if (capacity > kMaxItems) throw std::bad_alloc();
  Item* const items = static_cast<Item*>(::operator new(capacity * sizeof(Item)));
  MoveItemsTo(items);
  FreeRoom();
  m_items = items;
  m_capacity = static_cast<uint32_t>(capacity);
  m_inArena = 0;
}

void CBlock::MoveItemsTo(Item* items) {
  for (uint32_t i = 0; i < m_size; ++i) {
    new (items + i) Item(std::move(m_items[i]));
    m_items[i].~Item();
  }
}

void CBlock::Append(Item&& item) {
  if (m_size == m_capacity) Grow(m_capacity < 4 ? 4 : size_t(m_capacity) * 2);
  new (m_items + m_size) Item(std::move(item));
  ++m_size;
}

void CBlock::AdoptItems(Item* b, Item* e, BlockArena* arena) {
  const size_t n = static_cast<size_t>(e - b);
  if (n == 0) return;
  if (arena && m_capacity == 0 && n <= kMaxItems) {
    void* const room = arena->Allocate(sizeof(BlockArena*) + n * sizeof(Item));
    Item* const items = reinterpret_cast<Item*>(static_cast<char*>(room) + sizeof(BlockArena*));
    ArenaOf(items) = arena;
    arena->Retain();
    m_items = items;
    m_capacity = static_cast<uint32_t>(n);
    m_inArena = 1;
  } else {
    Grow(m_size + n);
  }
  for (Item* p = b; p != e; ++p) new (m_items + m_size++) Item(std::move(*p));
}

CBlock::FuncHolder::FuncHolder(CBlock_func&& f) : m_p(new CBlock_func(std::move(f))), m_inArena(false) {}

CBlock::FuncHolder::FuncHolder(CSharedText name, BlockArena& arena) : m_inArena(true) {
  static_assert(alignof(CBlock_func) <= alignof(BlockArena*), "the arena aligns for pointers only");
  void* const room = arena.Allocate(sizeof(BlockArena*) + sizeof(CBlock_func));
  CBlock_func* const f = reinterpret_cast<CBlock_func*>(static_cast<char*>(room) + sizeof(BlockArena*));
  ArenaOf(f) = &arena;
  m_p = new (f) CBlock_func(std::move(name), &arena);
  arena.Retain();
}

CBlock::FuncHolder& CBlock::FuncHolder::operator=(FuncHolder&& o) noexcept {
  if (this == &o) return *this;
  this->~FuncHolder();
  return *new (this) FuncHolder(std::move(o));
}

CBlock::FuncHolder::~FuncHolder() {
  if (!m_p) return;
  if (!m_inArena) {
    delete m_p;
    return;
  }
  BlockArena* const arena = ArenaOf(m_p);
  m_p->~CBlock_func();
  BlockArena::Release(arena);
}

CBlock::Item CBlock::CloneItem(const Item& item) {
  switch (item.index()) {
    case kBlock: return Item(std::in_place_index<kBlock>, *ItemAs<CBlock>(item));
    case kNamedValue: return Item(std::in_place_index<kNamedValue>, *ItemAs<CBlock_named_value>(item));
    case kFunc: return FuncHolder(CBlock_func(*ItemAs<CBlock_func>(item)));
    default: return std::make_unique<CBlock_vec>(*ItemAs<CBlock_vec>(item));
  }
}

CBlock& CBlock::operator<<(const CBlock& b) { return *this << CBlock(b); }

CBlock& CBlock::operator<<(CBlock&& b) {
  ORVEX_ASSERT(&b != this);
  if (&b == this) return *this;
  Append(Item(std::in_place_index<kBlock>, std::move(b)));
  return *this;
}

CBlock& CBlock::operator<<(const CBlockPtr& b) {
  ORVEX_ASSERT(b.get());
  if (!b.get()) return *this;
  return *this << CBlock(*b);
}

CBlock& CBlock::operator<<(const CBlock_named_value& nv) {
  Append(Item(std::in_place_index<kNamedValue>, nv));
  return *this;
}

CBlock& CBlock::operator<<(CBlock_named_value&& nv) {
  Append(Item(std::in_place_index<kNamedValue>, std::move(nv)));
  return *this;
}

CBlock& CBlock::operator<<(const CBlock_func& f) { return *this << CBlock_func(f); }

CBlock& CBlock::operator<<(CBlock_func&& f) {
  Append(FuncHolder(std::move(f)));
  return *this;
}

CBlock& CBlock::operator<<(const CBlock_vec& v) { return *this << CBlock_vec(v); }

CBlock& CBlock::operator<<(CBlock_vec&& v) {
  Append(std::make_unique<CBlock_vec>(std::move(v)));
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
    sub.m_found = 1;  // not the stored block's flag from an earlier lookup
  }
  ResetFound(found != nullptr);
  return *this;
}

const CBlock& CBlock::operator>>(CBlockVecPtr& vec) const {
  const AString name = vec ? vec->GetName() : AString();
  if (const CBlock_vec* found = FindVec(name)) vec = CBlockVecPtr(new CBlock_vec(*found));
  return *this;
}

const CBlock* CBlock::FindBlock(const AString& name) const {
  const CBlock* found = FindFirst<CBlock>(m_items, m_items + m_size, name);
  ResetFound(found != nullptr);
  return found;
}

CBlock* CBlock::FindBlockForEdit(const AString& name) { return const_cast<CBlock*>(FindBlock(name)); }

const CBlock_func* CBlock::FindFunc(const AString& name) const {
  const CBlock_func* found = FindFirst<CBlock_func>(m_items, m_items + m_size, name);
  ResetFound(found != nullptr);
  return found;
}

const CBlock_named_value* CBlock::FindNamedValue(const AString& key) const {
  const CBlock_named_value* found = FindFirst<CBlock_named_value>(m_items, m_items + m_size, key);
  ResetFound(found != nullptr);
  return found;
}

const CBlock_vec* CBlock::FindVec(const AString& name) const {
  const CBlock_vec* found = FindFirst<CBlock_vec>(m_items, m_items + m_size, name);
  ResetFound(found != nullptr);
  return found;
}

CBlock::ItemKind CBlock::GetItemKind(size_t i) const {
  ORVEX_ASSERT(i<GetNumItems());
  return i < m_size ? static_cast<ItemKind>(m_items[i].index()) : kBlock;
}

const AString& CBlock::GetItemName(size_t i) const {
  static const AString kEmpty;
  ORVEX_ASSERT(i<GetNumItems());
  if (i >= m_size) return kEmpty;
  const Item& item = m_items[i];
  switch (item.index()) {
    case kBlock: return ItemAs<CBlock>(item)->GetName();
    case kNamedValue: return ItemAs<CBlock_named_value>(item)->GetKey();
    case kFunc: return ItemAs<CBlock_func>(item)->GetName();
    default: return ItemAs<CBlock_vec>(item)->GetName();
  }
}

const CBlock* CBlock::GetBlock(size_t i) const { return i < m_size ? ItemAs<CBlock>(m_items[i]) : nullptr; }

CBlock* CBlock::GetBlockForEdit(size_t i) { return const_cast<CBlock*>(GetBlock(i)); }

const CBlock_func* CBlock::GetFunc(size_t i) const {
  return i < m_size ? ItemAs<CBlock_func>(m_items[i]) : nullptr;
}

const CBlock_named_value* CBlock::GetNamedValue(size_t i) const {
  return i < m_size ? ItemAs<CBlock_named_value>(m_items[i]) : nullptr;
}

const CBlock_vec* CBlock::GetVec(size_t i) const { return i < m_size ? ItemAs<CBlock_vec>(m_items[i]) : nullptr; }

void CBlock::Clear() {
  for (uint32_t i = 0; i < m_size; ++i) m_items[i].~Item();
  m_size = 0;
}

bool CBlock::operator==(const CBlock& o) const {
  if (GetName() != o.GetName() || m_size != o.m_size) return false;
  for (uint32_t i = 0; i < m_size; ++i) {
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

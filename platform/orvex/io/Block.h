// The block tree: a named, ordered list of sub-blocks, named values, function and vector items.
#pragma once

#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/io/BlockFunc.h"
#include "orvex/io/BlockValue.h"
#include "orvex/io/BlockVec.h"
#include "orvex/io/ReadError.h"
#include "orvex/io/SharedText.h"
#include "orvex/io/Token.h"

namespace io {

// A shared handle on a block-tree object; copies share the object.
template <class T>
class CBlock_ptr {
public:
  CBlock_ptr() = default;
  // Takes ownership.
  explicit CBlock_ptr(T* owned) : m_p(owned) {}
  // A new, empty object with this name.
  explicit CBlock_ptr(const AString& name) : m_p(std::make_shared<T>(name)) {}
  explicit CBlock_ptr(const wchar_t* name) : m_p(std::make_shared<T>(AString(name))) {}

  T* get() const { return m_p.get(); }
  T* operator->() const { return m_p.get(); }
  T& operator*() const { return *m_p; }
  explicit operator bool() const { return m_p != nullptr; }
  void reset(T* owned = nullptr) { m_p.reset(owned); }
  long use_count() const { return m_p.use_count(); }

private:
  std::shared_ptr<T> m_p;
};

class BlockArena;
class CBlock;
namespace detail {
class BlockTextReader;
}  // namespace detail
typedef CBlock_ptr<CBlock> CBlockPtr;
typedef CBlock_ptr<CBlock_vec> CBlockVecPtr;

class ORVEX_API CBlock {
public:
  enum ItemKind { kBlock, kNamedValue, kFunc, kVec };

  explicit CBlock(const AString& name = AString());
  explicit CBlock(CSharedText name) : m_name(std::move(name)), m_capacity(0), m_inArena(0), m_found(1) {}
  CBlock(const CBlock& o);
  CBlock(CBlock&& o) noexcept;
  CBlock& operator=(const CBlock& o);
  CBlock& operator=(CBlock&& o) noexcept;
  ~CBlock();

  const AString& GetName() const { return m_name.Get(); }
  void SetName(const AString& name) { m_name = CSharedText(name); }

  // Appending a block copies its whole subtree; moving one in is cheap.
  CBlock& operator<<(const CBlock& b);
  CBlock& operator<<(CBlock&& b);
  CBlock& operator<<(const CBlockPtr& b);
  CBlock& operator<<(const CBlock_named_value& nv);
  CBlock& operator<<(CBlock_named_value&& nv);
  CBlock& operator<<(const CBlock_func& f);
  CBlock& operator<<(CBlock_func&& f);
  CBlock& operator<<(const CBlock_vec& v);
  CBlock& operator<<(CBlock_vec&& v);

  // Every lookup sets the found flag to whether it found its item.
  bool Found() const { return m_found != 0; }
  void ResetFound(bool value = true) const { m_found = value ? 1 : 0; }

  // Lookups are case-sensitive and answer the first item of the asked kind, in item order.
  // Fills nv's value from the named value with nv's key; nv is untouched when there is none.
  const CBlock& operator>>(CBlock_named_value& nv) const;
  // Copies the first sub-block named sub.GetName() into sub; untouched when there is none.
  const CBlock& operator>>(CBlock& sub) const;
  // Points vec at a copy of the vector item named like vec's vector; untouched when there is none.
  const CBlock& operator>>(CBlockVecPtr& vec) const;
  const CBlock* FindBlock(const AString& name) const;
  CBlock* FindBlockForEdit(const AString& name);
  const CBlock_func* FindFunc(const AString& name) const;
  const CBlock_named_value* FindNamedValue(const AString& key) const;
  const CBlock_vec* FindVec(const AString& name) const;

  size_t GetNumItems() const { return m_size; }
  ItemKind GetItemKind(size_t i) const;
  const AString& GetItemName(size_t i) const;
  // Null when item i is not of that kind or does not exist. Sub-blocks and named values are held
  // in the block's list itself: a pointer to one lasts until the next item is added to that block.
  const CBlock* GetBlock(size_t i) const;
  CBlock* GetBlockForEdit(size_t i);
  const CBlock_func* GetFunc(size_t i) const;
  const CBlock_named_value* GetNamedValue(size_t i) const;
  const CBlock_vec* GetVec(size_t i) const;

  void Clear();

  // Same name and equal items in the same order (found flags are not compared).
  bool operator==(const CBlock& o) const;
  bool operator!=(const CBlock& o) const { return !(*this == o); }

private:
  friend class detail::BlockTextReader;
  // A function item, made on the heap or in a read's arena (then with one of its references).
  class FuncHolder {
  public:
    explicit FuncHolder(CBlock_func&& f);
    FuncHolder(CSharedText name, BlockArena& arena);
    FuncHolder(FuncHolder&& o) noexcept : m_p(o.m_p), m_inArena(o.m_inArena) { o.m_p = nullptr; }
    FuncHolder& operator=(FuncHolder&& o) noexcept;
    ~FuncHolder();
    CBlock_func* get() const { return m_p; }

  private:
    CBlock_func* m_p;
    bool m_inArena;
  };
  // The variant's index is the item's ItemKind. Sub-blocks and named values, nearly every item of
  // a project, are held in place: 40 bytes each and no allocation of their own.
  using Item = std::variant<CBlock, CBlock_named_value, FuncHolder, std::unique_ptr<CBlock_vec>>;
  static Item CloneItem(const Item& item);
  // Appends an item made beforehand, so that it may come from this block's own items.
  void Append(Item&& item);
  void Grow(size_t capacity);
  void MoveItemsTo(Item* items);
  void FreeRoom();
  void DestroyItems();
  // Moves [b, e) in after the items held, with room for exactly those; the room comes from the
  // arena when there is one and the block holds no room yet.
  void AdoptItems(Item* b, Item* e, BlockArena* arena);
  // The most items a block holds: m_capacity shares its word with two flags.
  static constexpr size_t kMaxItems = (size_t(1) << 30) - 1;

  CSharedText m_name;
  // Owned: m_capacity slots, the first m_size constructed. Room from an arena holds one of its
  // references and has the arena's address just before it.
  Item* m_items = nullptr;
  uint32_t m_size = 0;
  uint32_t m_capacity : 30;
  uint32_t m_inArena : 1;
  mutable uint32_t m_found : 1;  // result of the last lookup; const lookups set it
};

// Exchange of one key. Writing appends the named value and answers 0. Reading answers 2 when the
// key is missing (thrown as ReadErrorException instead with kThrowCode), 1 when its value does not
// convert (the value is then untouched), else 0; the found flag follows as for >>.
ORVEX_API ReadError DoDataExchange(CBlock& block, bool read, const AString& key, long& value,
                                   TExcRq request = kReturnCode);
ORVEX_API ReadError DoDataExchange(CBlock& block, bool read, const AString& key, int& value,
                                   TExcRq request = kReturnCode);
ORVEX_API ReadError DoDataExchange(CBlock& block, bool read, const AString& key, unsigned int& value,
                                   TExcRq request = kReturnCode);
ORVEX_API ReadError DoDataExchange(CBlock& block, bool read, const AString& key, double& value,
                                   TExcRq request = kReturnCode);
ORVEX_API ReadError DoDataExchange(CBlock& block, bool read, const AString& key, bool& value,
                                   TExcRq request = kReturnCode);
ORVEX_API ReadError DoDataExchange(CBlock& block, bool read, const AString& key, AString& value,
                                   TExcRq request = kReturnCode);

}  // namespace io

// An immutable wide text that the copies of its holder share: the names and short texts of block
// trees, which repeat across millions of items, are then held once.
#pragma once

#include <atomic>
#include <utility>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"

namespace io {

class ORVEX_API CSharedText {
public:
  struct Rep {
    std::atomic<long> refs;
    AString text;
  };

  CSharedText() = default;
  // Names (of blocks, keys and functions) come this way: see MakeName.
  explicit CSharedText(const AString& text) : m_rep(MakeName(text)) {}
  explicit CSharedText(AString&& text) : m_rep(MakeName(text)) {}
  CSharedText(const CSharedText& o) noexcept : m_rep(Retain(o.m_rep)) {}
  CSharedText(CSharedText&& o) noexcept : m_rep(o.m_rep) { o.m_rep = nullptr; }
  CSharedText& operator=(const CSharedText& o) noexcept {
    CSharedText(o).swap(*this);
    return *this;
  }
  CSharedText& operator=(CSharedText&& o) noexcept {
    CSharedText(std::move(o)).swap(*this);
    return *this;
  }
  ~CSharedText() { Release(m_rep); }

  const AString& Get() const { return TextOf(m_rep); }
  void swap(CSharedText& o) noexcept { std::swap(m_rep, o.m_rep); }

  // For holders that keep the bare representation (a value's union): null is the empty text.
  // Make answers a representation with one reference; Retain adds one and Release drops one.
  static Rep* Make(AString&& text);
  // The same for a name: the one made last for an equal short text on this thread, shared.
  static Rep* MakeName(const AString& text);
  static Rep* Retain(Rep* rep) {
    if (rep) rep->refs.fetch_add(1, std::memory_order_relaxed);
    return rep;
  }
  static void Release(Rep* rep) {
    if (rep && rep->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) Destroy(rep);
  }
  static const AString& TextOf(const Rep* rep) { return rep ? rep->text : Empty(); }
  Rep* GetRep() const { return m_rep; }
  // Takes over a reference that the caller holds.
  static CSharedText Adopt(Rep* rep) noexcept {
    CSharedText text;
    text.m_rep = rep;
    return text;
  }
  // Hands the held reference to the caller, leaving the empty text.
  Rep* Detach() noexcept { return std::exchange(m_rep, nullptr); }

private:
  static void Destroy(Rep* rep);
  static const AString& Empty();

  Rep* m_rep = nullptr;
};

}  // namespace io

// Memory for the item lists of block trees read from text: taken from the system in big pieces,
// handed out in order, and given back all at once when the last list in it is gone.
#pragma once

#include <atomic>
#include <cstddef>
#include <new>
#include <type_traits>

#include "orvex/core/OrvexApi.h"

namespace io {

class ORVEX_API BlockArena {
public:
  // A new arena with one reference, the caller's.
  static BlockArena* Create();
  void Retain() { m_refs.fetch_add(1, std::memory_order_relaxed); }
  // Frees the arena with its last reference.
  static void Release(BlockArena* arena);

  // Room for `bytes`, aligned for pointers; the references are left as they are.
  void* Allocate(size_t bytes);

  BlockArena(const BlockArena&) = delete;
  BlockArena& operator=(const BlockArena&) = delete;

private:
  struct Piece;

  BlockArena() = default;
  ~BlockArena();
  void* AllocateInNewPiece(size_t bytes);

  std::atomic<long> m_refs{1};
  Piece* m_pieces = nullptr;    // owned: the newest first, each linked to the one before
  char* m_next = nullptr;       // free room of the newest piece
  char* m_end = nullptr;
  size_t m_nextPieceBytes = 0;  // grows, so that a small read takes little and a big one few pieces
};

// Room for a container from an arena when it has one, else from the heap. Each piece of room from
// an arena holds a reference on it, so that a container moved out of its tree keeps its memory.
// Room given back to an arena stays taken until the arena goes: a reader reserves exact sizes.
// Copies of a container take the heap, as they outlive the read.
template <class T>
class ArenaAllocator {
public:
  static_assert(alignof(T) <= alignof(void*), "the arena aligns for pointers only");
  using value_type = T;
  using propagate_on_container_move_assignment = std::true_type;
  using propagate_on_container_swap = std::true_type;
  using is_always_equal = std::false_type;

  ArenaAllocator() noexcept = default;
  explicit ArenaAllocator(BlockArena* arena) noexcept : m_arena(arena) {}
  template <class U>
  ArenaAllocator(const ArenaAllocator<U>& o) noexcept : m_arena(o.Arena()) {}

  T* allocate(size_t n) {
    if (n > size_t(-1) / sizeof(T)) throw std::bad_alloc();
    if (!m_arena) return static_cast<T*>(::operator new(n * sizeof(T)));
    T* const room = static_cast<T*>(m_arena->Allocate(n * sizeof(T)));
    m_arena->Retain();
    return room;
  }
  void deallocate(T* p, size_t) noexcept {
    if (m_arena)
      BlockArena::Release(m_arena);
    else
      ::operator delete(p);
  }
  ArenaAllocator select_on_container_copy_construction() const { return ArenaAllocator(); }
  BlockArena* Arena() const { return m_arena; }

  friend bool operator==(const ArenaAllocator& a, const ArenaAllocator& b) { return a.m_arena == b.m_arena; }
  friend bool operator!=(const ArenaAllocator& a, const ArenaAllocator& b) { return a.m_arena != b.m_arena; }

private:
  BlockArena* m_arena = nullptr;  // one reference per piece of room handed out
};

}  // namespace io

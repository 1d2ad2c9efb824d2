// Memory for the item lists of block trees read from text: taken from the system in big pieces,
// handed out in order, and given back all at once when the last list in it is gone.
#pragma once

#include <atomic>
#include <cstddef>

namespace io {

class BlockArena {
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

}  // namespace io

#include "orvex/io/BlockArena.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "orvex/io/BigBuffer.h"

namespace io {

namespace {
constexpr size_t kFirstPiece = size_t(16) << 10;
// Pieces this big come whole as huge pages: a big tree's first touch of its memory, not its
// making, is what it costs, and a huge page is one page fault instead of 512.
constexpr size_t kHugePage = size_t(2) << 20;
constexpr size_t kLargestPiece = size_t(8) << 20;
constexpr size_t kAlign = alignof(void*);

// Big pieces bypass malloc: asking it for them makes it tidy up the small blocks freed before,
// and their memory goes back to the system with the arena.
void* MapHuge(size_t bytes) {
#if defined(__linux__)
  void* const mapped = mmap(nullptr, bytes + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  const uintptr_t b = reinterpret_cast<uintptr_t>(mapped);
  const uintptr_t aligned = (b + kHugePage - 1) & ~(kHugePage - 1);
  if (aligned > b) munmap(mapped, aligned - b);
  const uintptr_t tail = b + bytes + kHugePage - (aligned + bytes);
  if (tail) munmap(reinterpret_cast<void*>(aligned + bytes), tail);
  AdviseBigFill(reinterpret_cast<void*>(aligned), bytes);
  return reinterpret_cast<void*>(aligned);
#else
  return std::aligned_alloc(kHugePage, bytes);
#endif
}

void UnmapHuge(void* p, size_t bytes) {
#if defined(__linux__)
  munmap(p, bytes);
#else
  (void)bytes;
  std::free(p);
#endif
}

// Big pieces of arenas that are gone, kept for the next read up to a bound: a read after a read
// (a project opened again, a selection pasted twice) then writes to memory touched already instead
// of having the system clear it a page at a time, which costs more than the reading.
constexpr size_t kKeptBytes = size_t(64) << 20;

class KeptPieces {
public:
  // Never destroyed: an arena may go after the statics.
  static KeptPieces& Get() {
    static KeptPieces* const kept = new KeptPieces;
    return *kept;
  }
  // A kept piece of at least `bytes` (its size into `bytes`), else null.
  void* Take(size_t& bytes) {
    std::lock_guard<std::mutex> hold(m_lock);
    for (size_t i = 0; i < m_pieces.size(); ++i) {
      if (m_pieces[i].bytes < bytes) continue;
      const Kept kept = m_pieces[i];
      m_pieces[i] = m_pieces.back();
      m_pieces.pop_back();
      m_bytes -= kept.bytes;
      bytes = kept.bytes;
      return kept.memory;
    }
    return nullptr;
  }
  // False when the piece does not fit the bound; the caller then gives it back to the system.
  bool Keep(void* memory, size_t bytes) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_bytes + bytes > kKeptBytes) return false;
    m_pieces.push_back(Kept{memory, bytes});
    m_bytes += bytes;
    return true;
  }

private:
  struct Kept {
    void* memory;
    size_t bytes;
  };
  // Keep then never allocates: it runs in destructors.
  KeptPieces() { m_pieces.reserve(kKeptBytes / kHugePage); }

  std::mutex m_lock;
  std::vector<Kept> m_pieces;
  size_t m_bytes = 0;
};
}  // namespace

struct BlockArena::Piece {
  Piece* before;
  size_t bytes;  // of the whole piece
  bool huge;     // from MapHuge, else from malloc
};

BlockArena* BlockArena::Create() { return new BlockArena; }

void BlockArena::Release(BlockArena* arena) {
  if (arena && arena->m_refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete arena;
}

BlockArena::~BlockArena() {
  while (Piece* piece = m_pieces) {
    m_pieces = piece->before;
    if (!piece->huge)
      std::free(piece);
    else if (!KeptPieces::Get().Keep(piece, piece->bytes))
      UnmapHuge(piece, piece->bytes);
  }
}

void* BlockArena::Allocate(size_t bytes) {
  bytes = (bytes + kAlign - 1) & ~(kAlign - 1);
  if (static_cast<size_t>(m_end - m_next) < bytes) return AllocateInNewPiece(bytes);
  void* const room = m_next;
  m_next += bytes;
  return room;
}

void* BlockArena::AllocateInNewPiece(size_t bytes) {
  if (m_nextPieceBytes == 0) m_nextPieceBytes = kFirstPiece;
  const size_t header = (sizeof(Piece) + kAlign - 1) & ~(kAlign - 1);
  size_t pieceBytes = std::max(m_nextPieceBytes, header + bytes);
  const bool huge = pieceBytes >= kHugePage;
  if (huge) pieceBytes = (pieceBytes + kHugePage - 1) & ~(kHugePage - 1);
  void* memory = huge ? KeptPieces::Get().Take(pieceBytes) : nullptr;
  if (!memory) memory = huge ? MapHuge(pieceBytes) : std::malloc(pieceBytes);
  if (!memory) throw std::bad_alloc();
  Piece* const piece = static_cast<Piece*>(memory);
  piece->before = m_pieces;
  piece->bytes = pieceBytes;
  piece->huge = huge;
  m_pieces = piece;
  m_next = static_cast<char*>(memory) + header + bytes;
  m_end = static_cast<char*>(memory) + pieceBytes;
  m_nextPieceBytes = std::min(kLargestPiece, m_nextPieceBytes * 2);
  return static_cast<char*>(memory) + header;
}

}  // namespace io

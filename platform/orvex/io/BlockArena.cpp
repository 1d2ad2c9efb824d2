#include "orvex/io/BlockArena.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "orvex/io/BigBuffer.h"

namespace io {

namespace {
constexpr size_t kFirstPiece = size_t(16) << 10;
// Pieces this big come whole as huge pages: a big tree's first touch of its memory, not its
// making, is what it costs, and a huge page is one page fault instead of 512.
constexpr size_t kHugePage = size_t(2) << 20;
constexpr size_t kLargestPiece = size_t(8) << 20;
constexpr size_t kAlign = alignof(void*);
}  // namespace

struct BlockArena::Piece {
  Piece* before;
  size_t bytes;  // of the whole piece
  bool huge;     // from MapHugePages, else from malloc
};

BlockArena* BlockArena::Create() { return new BlockArena; }

void BlockArena::Release(BlockArena* arena) {
  if (arena && arena->m_refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete arena;
}

BlockArena::~BlockArena() {
  while (Piece* piece = m_pieces) {
    m_pieces = piece->before;
    if (piece->huge)
      UnmapHugePages(piece, piece->bytes);
    else
      std::free(piece);
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
  // Big pieces bypass malloc: asking it for them makes it tidy up the small blocks freed before.
  // Mapped in whole huge pages, all of which the piece uses; unmapped with the arena, so that a tree
  // freed gives its memory back to the system at once.
  if (huge) pieceBytes = (pieceBytes + kHugePage - 1) & ~(kHugePage - 1);
  void* const memory = huge ? MapHugePages(pieceBytes) : std::malloc(pieceBytes);
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

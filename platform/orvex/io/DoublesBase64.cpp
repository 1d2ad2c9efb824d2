#include "orvex/io/DoublesBase64.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "orvex/io/BigBuffer.h"

namespace io {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The two characters of every 12 bits: one lookup per half of a 3-byte group.
constexpr std::array<char, 2 * 4096> MakePairs() {
  std::array<char, 2 * 4096> t{};
  for (int v = 0; v < 4096; ++v) {
    t[size_t(2 * v)] = kAlphabet[v >> 6];
    t[size_t(2 * v + 1)] = kAlphabet[v & 63];
  }
  return t;
}
constexpr std::array<char, 2 * 4096> kPairs = MakePairs();

// A character's six bits shifted to its place in a group of four; kBad (a bit no group uses) for
// a character outside the alphabet, '=' included.
constexpr uint32_t kBad = uint32_t(1) << 31;
constexpr std::array<uint32_t, 256> MakeDecode(int shift) {
  std::array<uint32_t, 256> t{};
  for (uint32_t& v : t) v = kBad;
  for (int i = 0; i < 64; ++i) t[static_cast<unsigned char>(kAlphabet[i])] = uint32_t(i) << shift;
  return t;
}
constexpr std::array<uint32_t, 256> kDecode0 = MakeDecode(18);
constexpr std::array<uint32_t, 256> kDecode1 = MakeDecode(12);
constexpr std::array<uint32_t, 256> kDecode2 = MakeDecode(6);
constexpr std::array<uint32_t, 256> kDecode3 = MakeDecode(0);

uint32_t Group(const unsigned char* c) { return kDecode0[c[0]] | kDecode1[c[1]] | kDecode2[c[2]] | kDecode3[c[3]]; }

bool HostIsLittleEndian() {
  const uint16_t one = 1;
  unsigned char first = 0;
  std::memcpy(&first, &one, 1);
  return first == 1;
}

void SwapEachDouble(unsigned char* bytes, size_t n) {
  for (size_t i = 0; i < n; ++i)
    for (size_t j = 0; j < 4; ++j) std::swap(bytes[8 * i + j], bytes[8 * i + 7 - j]);
}

// Base64 of [p, p + n) at o, which must have room for its ceil(n / 3) * 4 characters.
void EncodeBytes(const unsigned char* p, size_t n, char* o) {
  // Two groups from one 8-byte load while eight bytes are left to load.
  for (; n >= 8; n -= 6, p += 6, o += 8) {
    const uint64_t x = (uint64_t(p[0]) << 56) | (uint64_t(p[1]) << 48) | (uint64_t(p[2]) << 40) |
                       (uint64_t(p[3]) << 32) | (uint64_t(p[4]) << 24) | (uint64_t(p[5]) << 16);
    std::memcpy(o, &kPairs[2 * ((x >> 52) & 0xFFF)], 2);
    std::memcpy(o + 2, &kPairs[2 * ((x >> 40) & 0xFFF)], 2);
    std::memcpy(o + 4, &kPairs[2 * ((x >> 28) & 0xFFF)], 2);
    std::memcpy(o + 6, &kPairs[2 * ((x >> 16) & 0xFFF)], 2);
  }
  for (; n >= 3; n -= 3, p += 3, o += 4) {
    const uint32_t v = (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
    std::memcpy(o, &kPairs[2 * (v >> 12)], 2);
    std::memcpy(o + 2, &kPairs[2 * (v & 0xFFF)], 2);
  }
  if (n == 0) return;
  const uint32_t v = (uint32_t(p[0]) << 16) | (n == 2 ? uint32_t(p[1]) << 8 : 0);
  o[0] = kAlphabet[v >> 18];
  o[1] = kAlphabet[(v >> 12) & 63];
  o[2] = n == 2 ? kAlphabet[(v >> 6) & 63] : '=';
  o[3] = '=';
}

size_t EncodedSize(size_t bytes) { return (bytes + 2) / 3 * 4; }

// The first character of [b, e) outside the alphabet, counted from 1.
size_t FirstBad(const char* b, const char* e) {
  for (const char* p = b; p != e; ++p)
    if (kDecode3[static_cast<unsigned char>(*p)] == kBad) return static_cast<size_t>(p - b) + 1;
  return 0;
}

}  // namespace

void AppendDoublesBase64(std::string& out, const double* values, size_t n) {
  // Pieces of a multiple of three bytes, so that no group straddles two, encoded in memory that
  // stays in cache and then appended: the text's memory is written once, not cleared first.
  constexpr size_t kPiece = 3 * 128;
  unsigned char bytes[kPiece * sizeof(double)];
  char text[kPiece * sizeof(double) / 3 * 4];
  const bool little = HostIsLittleEndian();
  for (size_t at = 0; at < n; at += kPiece) {
    const size_t k = n - at < kPiece ? n - at : kPiece;
    const unsigned char* from = reinterpret_cast<const unsigned char*>(values + at);
    if (!little) {
      std::memcpy(bytes, values + at, k * sizeof(double));
      SwapEachDouble(bytes, k);
      from = bytes;
    }
    EncodeBytes(from, k * sizeof(double), text);
    out.append(text, EncodedSize(k * sizeof(double)));
  }
}

bool ReadDoublesBase64(const char* b, const char* e, std::vector<double>& out, AString& error) {
  const size_t chars = static_cast<size_t>(e - b);
  if (chars % 4 != 0) {
    error = AString::Format(L"base64 text of %u characters is cut short: not whole groups of four", chars);
    return false;
  }
  const size_t pad = chars == 0 ? 0 : (e[-1] == '=') + (e[-1] == '=' && e[-2] == '=');
  const size_t bytes = chars / 4 * 3 - pad;
  if (bytes % sizeof(double) != 0) {
    error = AString::Format(L"base64 text holds %u bytes, not a whole number of doubles", bytes);
    return false;
  }
  const size_t old = out.size();
  if (out.capacity() < old + bytes / sizeof(double)) {
    out.reserve(old + bytes / sizeof(double));
    AdviseBigFillOfCapacity(out);
  }
  // Decoded a piece at a time into memory that stays in cache, then appended: the values' memory
  // is written once, not cleared first.
  constexpr size_t kPieceDoubles = 512;
  double piece[kPieceDoubles + 1];  // room for the last store of eight bytes
  const auto* p = reinterpret_cast<const unsigned char*>(b);
  const auto* const whole = p + (pad ? chars - 4 : chars);
  uint32_t bad = 0;
  while (whole - p >= 32) {
    // 32 characters are 24 bytes, three doubles.
    const size_t groups = std::min<size_t>(static_cast<size_t>(whole - p) / 32, kPieceDoubles / 3) * 8;
    unsigned char* o = reinterpret_cast<unsigned char*>(piece);
    for (size_t i = 0; i < groups; i += 2, p += 8, o += 6) {
      const uint32_t g0 = Group(p);
      const uint32_t g1 = Group(p + 4);
      bad |= g0 | g1;
      const uint64_t x = (uint64_t(g0) << 40) | (uint64_t(g1) << 16);
      unsigned char eight[8];
      for (int k = 0; k < 8; ++k) eight[k] = static_cast<unsigned char>(x >> (56 - 8 * k));
      std::memcpy(o, eight, 8);
    }
    out.insert(out.end(), piece, piece + groups * 3 / sizeof(double));
  }
  // The last doubles: fewer than three whole ones, then the padded group.
  unsigned char tail[24] = {};
  unsigned char* o = tail;
  for (; p != whole; p += 4, o += 3) {
    const uint32_t g = Group(p);
    bad |= g;
    o[0] = static_cast<unsigned char>(g >> 16);
    o[1] = static_cast<unsigned char>(g >> 8);
    o[2] = static_cast<unsigned char>(g);
  }
  bool strayBits = false;
  if (pad) {
    // Its '=' are not looked up, its unused bits must be zero.
    const unsigned char last[4] = {p[0], p[1], pad == 1 ? p[2] : static_cast<unsigned char>('A'),
                                   static_cast<unsigned char>('A')};
    const uint32_t g = Group(last);
    bad |= g;
    *o++ = static_cast<unsigned char>(g >> 16);
    if (pad == 1) *o++ = static_cast<unsigned char>(g >> 8);
    strayBits = (g & (pad == 1 ? 0xFFu : 0xFFFFu)) != 0;
  }
  const size_t tailDoubles = static_cast<size_t>(o - tail) / sizeof(double);
  std::memcpy(piece, tail, tailDoubles * sizeof(double));
  out.insert(out.end(), piece, piece + tailDoubles);
  if (bad & kBad) {
    out.resize(old);
    error = AString::Format(L"base64 text has a character outside its alphabet at %u", FirstBad(b, e - pad));
    return false;
  }
  if (strayBits) {
    out.resize(old);
    error = AString(L"base64 text ends in stray bits");
    return false;
  }
  if (!HostIsLittleEndian()) SwapEachDouble(reinterpret_cast<unsigned char*>(out.data() + old), out.size() - old);
  return true;
}

}  // namespace io

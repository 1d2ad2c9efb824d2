#include "orvex/io/DoublesBase64.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "orvex/io/BigBuffer.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define ORVEX_BASE64_AVX2 1
#endif

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

// The eight bytes at p as a big-endian number.
uint64_t LoadBigEndian64(const unsigned char* p) {
  uint64_t x;
  std::memcpy(&x, p, 8);
#if defined(__GNUC__) || defined(__clang__)
  return HostIsLittleEndian() ? __builtin_bswap64(x) : x;
#else
  if (!HostIsLittleEndian()) return x;
  uint64_t r = 0;
  for (int k = 0; k < 8; ++k) r = (r << 8) | p[k];
  return r;
#endif
}

#if ORVEX_BASE64_AVX2
// 24 bytes to 32 characters at a time with AVX2, for machines that have it: the six-bit fields
// are moved into bytes by multiplies, then the alphabet is added by ranges.
__attribute__((target("avx2"))) size_t EncodeBytesAvx2(const unsigned char* p, size_t n, char* o) {
  const __m256i spread = _mm256_setr_epi8(1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10,  //
                                          1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10);
  const __m256i offsets = _mm256_setr_epi8(65, 71, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -19, -16, 0, 0,  //
                                           65, 71, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -19, -16, 0, 0);
  size_t done = 0;
  // Each half reads 16 bytes and uses 12: the last load ends four bytes past the group.
  for (; n - done >= 28; done += 24) {
    const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + done));
    const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + done + 12));
    const __m256i in = _mm256_shuffle_epi8(_mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1), spread);
    // Per 32 bits [b1 b0 b2 b1]: fields a and c by a high multiply, b and d by a low one.
    const __m256i ac = _mm256_mulhi_epu16(_mm256_and_si256(in, _mm256_set1_epi32(0x0FC0FC00)),
                                          _mm256_set1_epi32(0x04000040));
    const __m256i bd = _mm256_mullo_epi16(_mm256_and_si256(in, _mm256_set1_epi32(0x003F03F0)),
                                          _mm256_set1_epi32(0x01000010));
    const __m256i six = _mm256_or_si256(ac, bd);
    // 0..25 'A', 26..51 'a', 52..61 digits, 62 '+', 63 '/': an offset chosen by range.
    const __m256i range = _mm256_sub_epi8(_mm256_subs_epu8(six, _mm256_set1_epi8(51)),
                                          _mm256_cmpgt_epi8(six, _mm256_set1_epi8(25)));
    const __m256i text = _mm256_add_epi8(six, _mm256_shuffle_epi8(offsets, range));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(o + done / 3 * 4), text);
  }
  return done;
}

// 32 characters to 24 bytes at a time with AVX2 while every character is in the alphabet: answers
// the characters decoded, a multiple of 32 below `chars`; the rest (and the first damaged piece)
// is left to the scalar way, which finds what is wrong. Each store writes 8 bytes past its 24.
__attribute__((target("avx2"))) size_t DecodeAvx2(const unsigned char* p, size_t chars, unsigned char* o) {
  // A character is in the alphabet when its low- and high-nibble classes share no bit.
  const __m256i lowClass = _mm256_setr_epi8(0x15, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x13, 0x1A,
                                            0x1B, 0x1B, 0x1B, 0x1A,  //
                                            0x15, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x13, 0x1A,
                                            0x1B, 0x1B, 0x1B, 0x1A);
  const __m256i highClass = _mm256_setr_epi8(0x10, 0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08, 0x10, 0x10, 0x10, 0x10,
                                             0x10, 0x10, 0x10, 0x10,  //
                                             0x10, 0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08, 0x10, 0x10, 0x10, 0x10,
                                             0x10, 0x10, 0x10, 0x10);
  // What turns a character into its six bits, by high nibble ('/' apart).
  const __m256i shift = _mm256_setr_epi8(0, 16, 19, 4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0,  //
                                         0, 16, 19, 4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0);
  const __m256i mask2F = _mm256_set1_epi8(0x2F);
  const __m256i pack = _mm256_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1,  //
                                        2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
  const __m256i join = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7);
  size_t done = 0;
  for (; chars - done >= 32; done += 32, o += 24) {
    const __m256i text = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + done));
    const __m256i high = _mm256_and_si256(_mm256_srli_epi32(text, 4), mask2F);
    const __m256i low = _mm256_and_si256(text, mask2F);
    if (!_mm256_testz_si256(_mm256_shuffle_epi8(lowClass, low), _mm256_shuffle_epi8(highClass, high))) break;
    const __m256i slash = _mm256_cmpeq_epi8(text, mask2F);
    const __m256i six = _mm256_add_epi8(text, _mm256_shuffle_epi8(shift, _mm256_add_epi8(slash, high)));
    // Pairs of six bits to twelve, pairs of twelve to 24, then the three bytes of each in order.
    const __m256i twelve = _mm256_maddubs_epi16(six, _mm256_set1_epi32(0x01400140));
    const __m256i bits24 = _mm256_madd_epi16(twelve, _mm256_set1_epi32(0x00011000));
    const __m256i bytes = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(bits24, pack), join);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(o), bytes);
  }
  return done;
}

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}
#endif

// Base64 of [p, p + n) at o, which must have room for its ceil(n / 3) * 4 characters.
void EncodeBytes(const unsigned char* p, size_t n, char* o) {
#if ORVEX_BASE64_AVX2
  if (HasAvx2()) {
    const size_t done = EncodeBytesAvx2(p, n, o);
    p += done;
    n -= done;
    o += done / 3 * 4;
  }
#endif
  // Two groups from one 8-byte load while eight bytes are left to load.
  for (; n >= 8; n -= 6, p += 6, o += 8) {
    const uint64_t x = LoadBigEndian64(p);
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

template <class Str>
void AppendBase64(Str& out, const double* values, size_t n) {
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

}  // namespace

void AppendDoublesBase64(std::string& out, const double* values, size_t n) { AppendBase64(out, values, n); }
void AppendDoublesBase64(BigString& out, const double* values, size_t n) { AppendBase64(out, values, n); }

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
    PrepareBigFillOfCapacity(out);
  }
  // Decoded a piece at a time into memory that stays in cache, then appended: the values' memory
  // is written once, not cleared first.
  constexpr size_t kPieceDoubles = 512;
  double piece[kPieceDoubles + 1];  // room for the last store of eight bytes past the values
  const auto* p = reinterpret_cast<const unsigned char*>(b);
  const auto* const whole = p + (pad ? chars - 4 : chars);
  uint32_t bad = 0;
  while (whole - p >= 32) {
    // 32 characters are 24 bytes, three doubles.
    const size_t groups = std::min<size_t>(static_cast<size_t>(whole - p) / 32, kPieceDoubles / 3) * 8;
    unsigned char* o = reinterpret_cast<unsigned char*>(piece);
    size_t i = 0;
#if ORVEX_BASE64_AVX2
    if (HasAvx2()) {
      const size_t chars = DecodeAvx2(p, groups * 4, o);
      p += chars;
      o += chars / 4 * 3;
      i = chars / 4;
    }
#endif
    for (; i < groups; i += 2, p += 8, o += 6) {
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

// Writes the powers of ten that the shortest-double writer scales by, one row per power m in
// [-293, 324]: g(m) = floor(10^m * 2^(127 - floor(log2 10^m))) + 1, an overestimate of 10^m scaled
// into [2^127, 2^128), as its high and low 64 bits. Run by the build; exact integer arithmetic.
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

// A non-negative integer, 32 bits a limb, lowest first.
using Big = std::vector<uint32_t>;

void Trim(Big& a) {
  while (!a.empty() && a.back() == 0) a.pop_back();
}

void MulSmall(Big& a, uint32_t m) {
  uint64_t carry = 0;
  for (uint32_t& limb : a) {
    const uint64_t v = uint64_t(limb) * m + carry;
    limb = static_cast<uint32_t>(v);
    carry = v >> 32;
  }
  if (carry) a.push_back(static_cast<uint32_t>(carry));
}

// Floor division; floor(floor(x / a) / b) = floor(x / (a b)), so repeating it divides exactly.
void DivSmall(Big& a, uint32_t d) {
  uint64_t rest = 0;
  for (size_t i = a.size(); i-- > 0;) {
    const uint64_t v = (rest << 32) | a[i];
    a[i] = static_cast<uint32_t>(v / d);
    rest = v % d;
  }
  Trim(a);
}

Big PowerOfTwo(int e) {
  Big a(static_cast<size_t>(e / 32) + 1, 0);
  a.back() = uint32_t(1) << (e % 32);
  return a;
}

void ShiftRight(Big& a, int bits) {
  const size_t limbs = static_cast<size_t>(bits / 32);
  const int rest = bits % 32;
  if (limbs >= a.size()) {
    a.clear();
    return;
  }
  a.erase(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(limbs));
  if (rest) {
    for (size_t i = 0; i < a.size(); ++i) {
      const uint32_t high = i + 1 < a.size() ? a[i + 1] : 0;
      a[i] = (a[i] >> rest) | (high << (32 - rest));
    }
  }
  Trim(a);
}

void ShiftLeft(Big& a, int bits) {
  for (int i = 0; i < bits; ++i) MulSmall(a, 2);
}

uint64_t Word(const Big& a, size_t i) {
  const uint64_t lo = 2 * i < a.size() ? a[2 * i] : 0;
  const uint64_t hi = 2 * i + 1 < a.size() ? a[2 * i + 1] : 0;
  return (hi << 32) | lo;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output file>\n", argv[0]);
    return 2;
  }
  std::FILE* out = std::fopen(argv[1], "w");
  if (!out) {
    std::perror(argv[1]);
    return 1;
  }
  std::fprintf(out, "// Made by ShortestDoublePow10Gen at build time; rows of kPow10 in ShortestDouble.cpp.\n");
  for (int m = -293; m <= 324; ++m) {
    const int l = static_cast<int>((int64_t(m) * 913124641741LL) >> 38);  // floor(log2 10^m)
    const int e = 127 - l;
    Big g;
    if (m >= 0) {
      g = Big{1};
      for (int i = 0; i < m; ++i) MulSmall(g, 10);
      if (e >= 0) ShiftLeft(g, e);
      else ShiftRight(g, -e);
    } else {
      g = PowerOfTwo(e);
      for (int i = 0; i < -m; ++i) DivSmall(g, 10);
    }
    // + 1
    size_t i = 0;
    while (i < g.size() && ++g[i] == 0) ++i;
    if (i == g.size()) g.push_back(1);
    if (g.size() != 4 || (g[3] >> 31) != 1) {
      std::fprintf(stderr, "power %d does not scale into [2^127, 2^128)\n", m);
      return 1;
    }
    std::fprintf(out, "    {0x%016llXULL, 0x%016llXULL},  // %d\n", static_cast<unsigned long long>(Word(g, 1)),
                 static_cast<unsigned long long>(Word(g, 0)), m);
  }
  return std::fclose(out) == 0 ? 0 : 1;
}

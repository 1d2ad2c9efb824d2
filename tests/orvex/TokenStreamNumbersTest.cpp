// Numbers are lexed by a one-pass path when a character after them shows where they end, and by
// the general path at the end of the text: both must give the same tokens and the same errors.
#include <charconv>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "RepTest.h"
#include "orvex/io/BlockFile.h"
#include "orvex/io/TokenStream.h"

namespace {

struct Lexed {
  std::vector<io::CToken> tokens;
  AString error;
};

Lexed LexAll(const std::string& text) {
  io::CStringToken_istream in(text.data(), text.size());
  Lexed out;
  io::CToken t;
  while (in.ReadToken(t)) out.tokens.push_back(t);
  out.error = in.ErrorText();
  return out;
}

}  // namespace

TEST(TokenStreamNumbers, OnePassAndGeneralPathAgree) {
  std::mt19937 rng(1210);
  const char kAlphabet[] = "0123456789012345678901234567890123456789..++--eeEEinfax";
  for (int i = 0; i < 100000; ++i) {
    std::string s;
    const int n = 1 + static_cast<int>(rng() % 12);
    for (int k = 0; k < n; ++k) s += kAlphabet[rng() % (sizeof kAlphabet - 1)];
    SCOPED_TRACE(s);
    const Lexed atEnd = LexAll(s);         // the last token ends with the text
    const Lexed followed = LexAll(s + " ");  // a blank shows where it ends
    ASSERT_EQ(atEnd.error.ToUtf8(), followed.error.ToUtf8());
    ASSERT_EQ(atEnd.tokens.size(), followed.tokens.size());
    for (size_t k = 0; k < atEnd.tokens.size(); ++k) {
      ASSERT_EQ(atEnd.tokens[k].GetKind(), followed.tokens[k].GetKind()) << k;
      ASSERT_EQ(atEnd.tokens[k].Text().ToUtf8(), followed.tokens[k].Text().ToUtf8()) << k;
    }
  }
}

// Decimals read as the double from_chars makes of them, bit for bit: as a value, as a function's
// first argument (a token of its own) and as one in a run of reals after it.
TEST(TokenStreamNumbers, DecimalsReadAsFromCharsReadsThem) {
  auto bits = [](double d) {
    uint64_t u;
    std::memcpy(&u, &d, sizeof u);
    return u;
  };
  std::mt19937 rng(77);
  std::vector<std::string> texts = {"0.0", "-0.0", "1.0", "0.1", "9.999999999999999", "99999999999999.9",
                                    "123456789012345.6", "0.000000000000001", "0.0000000000000001", "1.5e3"};
  for (int i = 0; i < 20000; ++i) {
    std::string s = rng() % 2 ? "-" : "";
    const int whole = 1 + static_cast<int>(rng() % 9);
    const int fraction = 1 + static_cast<int>(rng() % 10);
    for (int k = 0; k < whole; ++k) s += char('0' + rng() % 10);
    s += '.';
    for (int k = 0; k < fraction; ++k) s += char('0' + rng() % 10);
    texts.push_back(s);
  }
  for (const std::string& s : texts) {
    SCOPED_TRACE(s);
    double expected = 0;
    ASSERT_EQ(std::errc(), std::from_chars(s.data(), s.data() + s.size(), expected).ec);
    io::CBlock b;
    AString error;
    ASSERT_TRUE(io::BlockFromText(AString::FromUtf8("A {\n  R = " + s + "\n  F(" + s + ", " + s + ")\n}\n"), b, &error))
        << error.ToUtf8();
    EXPECT_EQ(bits(expected), bits(b.FindNamedValue(L"R")->GetValue().GetReal()));
    const io::CBlock_func* f = b.FindFunc(L"F");
    ASSERT_EQ(2u, f->GetNumArgs());
    EXPECT_EQ(bits(expected), bits(f->GetUnnamedValue(0)->GetReal()));
    EXPECT_EQ(bits(expected), bits(f->GetUnnamedValue(1)->GetReal()));
  }
}

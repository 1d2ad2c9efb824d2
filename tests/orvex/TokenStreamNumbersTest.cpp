// Numbers are lexed by a one-pass path when a character after them shows where they end, and by
// the general path at the end of the text: both must give the same tokens and the same errors.
#include <random>
#include <string>
#include <vector>

#include "RepTest.h"
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

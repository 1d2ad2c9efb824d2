#include <string>
#include <vector>

#include "RepTest.h"
#include "orvex/io/BlockFile.h"
#include "orvex/io/FileTokenStream.h"
#include "orvex/io/NamedValue.h"
#include "orvex/io/TokenStream.h"

using io::CAbstract_istream;
using io::CBlock;
using io::CBlock_named_value;
using io::CBlock_value;
using io::CToken;

namespace {

std::vector<CToken> AllTokens(CAbstract_istream& in) {
  std::vector<CToken> out;
  CToken t;
  while (in.ReadToken(t)) out.push_back(t);
  return out;
}

}  // namespace

TEST(TokenStream, TokenKindsAndTexts) {
  io::CStringToken_istream in(L"Key_1 = -12 3.5e-2 \"a \\\"b\\\"\" ( ) [ , ] { } -inf nan # comment\n \u00e4");
  const std::vector<CToken> tokens = AllTokens(in);
  const std::vector<CToken> expected = {
      {CToken::kWord, L"Key_1"}, {CToken::kPunct, L"="},  {CToken::kInt, L"-12"},       {CToken::kReal, L"3.5e-2"},
      {CToken::kString, L"a \"b\""}, {CToken::kPunct, L"("}, {CToken::kPunct, L")"}, {CToken::kPunct, L"["},
      {CToken::kPunct, L","},    {CToken::kPunct, L"]"},  {CToken::kPunct, L"{"},       {CToken::kPunct, L"}"},
      {CToken::kReal, L"-inf"},  {CToken::kWord, L"nan"}, {CToken::kPunct, L"\u00e4"},
  };
  EXPECT_EQ(expected, tokens);
  EXPECT_FALSE(in.Fail()) << "the end of the text is no failure";
  EXPECT_EQ(CToken::kEnd, in.LastToken().GetKind());
  EXPECT_EQ(2, tokens.back().GetLine());

  double d = 0;
  EXPECT_TRUE(tokens[3].Query(d));
  EXPECT_EQ(0.035, d);
  EXPECT_TRUE(tokens[13].Query(d)) << "nan is a real written as a word";
  long l = 0;
  EXPECT_TRUE(tokens[2].Query(l));
  EXPECT_EQ(-12, l);
  unsigned u = 5;
  EXPECT_FALSE(tokens[2].Query(u));
  EXPECT_EQ(5u, u);
}

TEST(TokenStream, PeekPutBackAndLastToken) {
  io::CStringToken_istream in(L"Alpha = 5 \"Beta\"");
  EXPECT_FALSE(in.IsNextToken(L"alpha")) << "words compare exactly";
  EXPECT_TRUE(in.IsNextToken(L"Alpha"));
  EXPECT_FALSE(in.IsNextChar(L'='));
  CToken key, eq, value;
  ASSERT_TRUE(in.ReadToken(key));
  EXPECT_EQ(AString(L"Alpha"), key.Text());
  EXPECT_TRUE(in.IsNextChar(L'='));
  ASSERT_TRUE(in.ReadToken(eq));
  CBlock_value v;
  in >> v;
  EXPECT_EQ(CBlock_value(5), v);
  EXPECT_EQ(AString(L"5"), in.LastToken().Text());

  // Put back in reverse order: the stream reads them again in their original order.
  in.PutBack(in.LastToken());
  in.PutBack(eq);
  in.PutBack(key);
  EXPECT_TRUE(in.IsNextToken(L"Alpha"));
  std::vector<CToken> again = AllTokens(in);
  ASSERT_EQ(4u, again.size());
  EXPECT_EQ(key, again[0]);
  EXPECT_EQ(eq, again[1]);
  EXPECT_EQ(AString(L"5"), again[2].Text());
  EXPECT_EQ(CToken(CToken::kString, L"Beta"), again[3]);
  EXPECT_TRUE(in.IsNextToken(L"x") == false);
}

TEST(TokenStream, FailedStreamReadsNothingUntilCleared) {
  io::CStringToken_istream in(L"A B");
  in.SetFail();
  CToken t;
  EXPECT_FALSE(in.ReadToken(t));
  EXPECT_FALSE(in.IsNextToken(L"A"));
  in.ClearFail();
  EXPECT_TRUE(in.IsNextToken(L"A"));
  in.SetFail(L"stopped here");
  EXPECT_EQ(AString(L"line 1: stopped here"), in.ErrorText());
  in.SetFail(L"second reason");
  EXPECT_EQ(AString(L"line 1: stopped here"), in.ErrorText()) << "the first error is kept";
  in.ClearFail();
  EXPECT_TRUE(in.ErrorText().empty());
  EXPECT_EQ(2u, AllTokens(in).size());
}

TEST(TokenStream, RecoverPutsTheConsumedTokenBack) {
  io::CStringToken_istream in(L"} 7");
  CBlock_value v(1);
  try {
    in >> v;
    ADD_FAILURE() << "a value read from '}' throws";
  } catch (const io::ReadErrorException& e) {
    EXPECT_EQ(1, e.code);
    in.Recover();
  }
  EXPECT_EQ(CBlock_value(1), v);
  EXPECT_TRUE(in.IsNextChar(L'}'));
  in.Recover();  // nothing more to undo
  CToken t;
  ASSERT_TRUE(in.ReadToken(t));
  in >> v;
  EXPECT_EQ(CBlock_value(7), v);
  EXPECT_THROW(in >> v, io::ReadErrorException) << "no token left";
  in.Recover();
  EXPECT_TRUE(in.AtEndOfInput());
}

TEST(TokenStream, MalformedTokenFailsTheStream) {
  io::CStringToken_istream in(L"ok \"open");
  CToken t;
  EXPECT_TRUE(in.ReadToken(t));
  EXPECT_FALSE(in.ReadToken(t));
  EXPECT_TRUE(in.Fail());
  EXPECT_EQ(AString(L"line 1: text in quotes never closed"), in.ErrorText());
}

TEST(TokenStream, WriterSeparatesValuesAndItems) {
  io::CStringToken_ostream out;
  out << CBlock_value(1) << CBlock_value(L"two") << CToken(CToken::kReal, L"3.50") << CBlock_named_value(L"K", true)
      << CBlock_value(2.0);
  out << (CBlock(L"B") << CBlock_named_value(L"X", 1));
  out.EndLine();
  EXPECT_EQ("1 \"two\" 3.5\nK = true\n2.0\nB {\n  X = 1\n}\n\n", out.Utf8());
  EXPECT_FALSE(out.Fail());
  EXPECT_EQ(AString::FromUtf8(out.Utf8()), out.Text());
}

// A text kept in memory (a clipboard) moves to a bigger buffer only a few times as it grows to
// megabytes: each move copies all that is held into memory never touched, which costs more than
// writing it.
TEST(TokenStream, TextInMemoryMovesRarelyAsItGrows) {
  io::CStringToken_ostream out;
  const char* at = out.Utf8().data();
  int moves = 0;
  while (out.Utf8().size() < (size_t(10) << 20)) {
    out << CBlock_named_value(L"Value", 1234567.25);
    if (out.Utf8().data() == at) continue;
    at = out.Utf8().data();
    if (out.Utf8().size() > (size_t(1) << 20)) ++moves;
  }
  EXPECT_FALSE(out.Fail());
  EXPECT_LE(moves, 2) << "moves to a bigger buffer past the first megabyte";
  EXPECT_EQ("Value = 1234567.25\n", out.Utf8().substr(out.Utf8().size() - 19));
}

TEST(TokenStream, HeaderFileOfNamedValuesAndBlocks) {
  reptest::TempDir dir;
  const LongFileName file(AString::FromUtf8(dir.File("HDR1.dat")));
  CBlock infos(L"SimValueInfos");
  infos << CBlock_named_value(L"Count", 2);
  CBlock cache(L"SimValueCache");
  cache << (CBlock(L"DesignMap") << CBlock_named_value(L"DesignID", 4));
  {
    io::CToken_ostream out(file, 0x20);
    ASSERT_FALSE(out.Fail());
    out << io::NamedValue(L"SimValueCacheVersionID", 1.0) << infos << cache;
    out.Close();
    EXPECT_FALSE(out.Fail());
  }
  io::CToken_istream in(file, 1);
  in.SetPrecision(20);
  ASSERT_FALSE(in.Fail());
  double version = -1.0;
  in >> io::NamedValue(L"SimValueCacheVersionID", version);
  EXPECT_FALSE(in.Fail());
  EXPECT_EQ(1.0, version);
  CBlock infosRead(L"SimValueInfos");
  in >> infosRead;
  CBlock cacheRead;
  in >> io::ws >> cacheRead;
  EXPECT_FALSE(in.Fail());
  EXPECT_TRUE(in.AtEndOfInput());
  in.Close();
  EXPECT_TRUE(infosRead == infos);
  EXPECT_TRUE(cacheRead == cache);
}

TEST(TokenStream, FileTokensAcrossBufferRefills) {
  // Tokens, strings and comments that straddle the reader's 64 KiB refills.
  std::string text = "Big {\n";
  for (int i = 0; i < 20000; ++i) {
    text += "  K" + std::to_string(i) + " = " + std::to_string(i * 1.25) + "\n";
    if (i % 997 == 0) text += "  # " + std::string(i % 300, 'c') + "\n";
    if (i % 1999 == 0) text += "  S" + std::to_string(i) + " = \"" + std::string(70000, 's') + "\"\n";
  }
  text += "}\n";
  reptest::TempDir dir;
  reptest::WriteFileBytes(dir.File("big.blk"), text);
  CBlock fromFile;
  AString error;
  ASSERT_EQ(0, io::ReadBlockFile(LongFileName(AString::FromUtf8(dir.File("big.blk"))), fromFile, &error))
      << error.ToUtf8();
  CBlock fromText;
  ASSERT_TRUE(io::BlockFromText(AString::FromUtf8(text), fromText, &error)) << error.ToUtf8();
  EXPECT_TRUE(fromFile == fromText);
  EXPECT_EQ(20000u + 11u, fromFile.GetNumItems());
}

TEST(TokenStream, LineReaderTable) {
  struct Case {
    const char* why;
    std::string bytes;
    std::vector<AString> lines;
  };
  const std::string longLine(100000, 'x');
  const Case cases[] = {
      {"LF", "a\nb\n", {L"a", L"b"}},
      {"CRLF", "a\r\nb\r\n", {L"a", L"b"}},
      {"no final newline", "a\nb", {L"a", L"b"}},
      {"blank lines kept", "a\n\n\nb\n", {L"a", L"", L"", L"b"}},
      {"one empty line", "\n", {L""}},
      {"empty file", "", {}},
      {"lone CR stays", "a\rb\n", {L"a\rb"}},
      {"long line", longLine + "\nz", {AString(std::wstring(longLine.begin(), longLine.end())), L"z"}},
      {"invalid UTF-8", "a\xFF" "b\n\xC3\xA4\n", {L"a\uFFFDb", L"\u00e4"}},
      {"NUL kept", std::string("a\0b\n", 4), {AString(std::wstring(L"a\0b", 3))}},
  };
  reptest::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    reptest::WriteFileBytes(dir.File("lines.txt"), c.bytes);
    io::CToken_istream in(LongFileName(AString::FromUtf8(dir.File("lines.txt"))), 1);
    ASSERT_FALSE(in.Fail());
    std::vector<AString> lines;
    while (!in.AtEof()) lines.push_back(in.NewLine());
    EXPECT_EQ(c.lines, lines);
    EXPECT_FALSE(in.Fail());
    EXPECT_EQ(AString(), in.NewLine());
    EXPECT_TRUE(in.Fail()) << "reading past the last line fails the stream";
  }
}

TEST(TokenStream, FileStreamsThatCannotOpen) {
  reptest::TempDir dir;
  io::CToken_istream in(LongFileName(AString::FromUtf8(dir.File("absent.txt"))), 1);
  EXPECT_TRUE(in.Fail());
  EXPECT_TRUE(in.AtEof());
  io::CToken_ostream out(LongFileName(AString::FromUtf8(dir.File("absent/x.txt"))), 0x20);
  EXPECT_TRUE(out.Fail());
  out << CBlock(L"Ignored");
  out.Close();
  EXPECT_TRUE(out.Fail());
}

TEST(TokenStream, ReadErrorsOfTheFileSystem) {
  // A directory opens but cannot be read: the token reader fails, the line reader throws.
  reptest::TempDir dir;
  const LongFileName folder(AString::FromUtf8(dir.Path()));
  CBlock b(L"Kept");
  AString error;
  EXPECT_EQ(1, io::ReadBlockFile(folder, b, &error));
  EXPECT_EQ(AString(L"Kept"), b.GetName());
  EXPECT_EQ(std::string("line 1: the file could not be read to its end"), error.ToUtf8());
  io::CToken_istream lines(folder, 1);
  ASSERT_FALSE(lines.Fail());
  EXPECT_FALSE(lines.AtEof()) << "an unreadable file is not at its end";
  try {
    lines.NewLine();
    ADD_FAILURE() << "NewLine throws on an I/O error";
  } catch (const io::ReadErrorException& e) {
    EXPECT_EQ(1, e.code);
  }
}

TEST(TokenStream, FileStreamModes) {
  reptest::TempDir dir;
  const LongFileName file(AString::FromUtf8(dir.File("m.txt")));
  {
    io::CToken_ostream out(file, 0x10);
    EXPECT_SOFT_ASSERT("mode==0x20");
    out << CBlock_value(1);
  }
  EXPECT_EQ("1", reptest::ReadFileBytes(file.ToNarrow())) << "the file is written all the same";
  {
    io::CToken_ostream out(file, 0x20);
    out << CBlock_value(2);
  }
  EXPECT_EQ("2", reptest::ReadFileBytes(file.ToNarrow())) << "0x20 replaces the file";
  io::CToken_istream in(file, 0);
  EXPECT_SOFT_ASSERT("mode==1");
  CBlock_value v;
  in >> v;
  EXPECT_EQ(CBlock_value(2), v);
}

TEST(LongFileName, PartsOfAPath) {
  struct Case {
    const wchar_t* path;
    const wchar_t* name;
    const wchar_t* dir;
    const wchar_t* ext;
  };
  const Case cases[] = {
      {L"/data/run.TXT", L"run.TXT", L"/data", L"TXT"},
      {L"run.tar.gz", L"run.tar.gz", L"", L"gz"},
      {L"/data/.hidden", L".hidden", L"/data", L""},
      {L"/data.d/noext", L"noext", L"/data.d", L""},
      {L"/top", L"top", L"/", L""},
      {L"trailing.", L"trailing.", L"", L""},
      {L"", L"", L"", L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.path).ToUtf8());
    const LongFileName f{AString(c.path)};
    EXPECT_EQ(AString(c.name), f.GetName());
    EXPECT_EQ(AString(c.dir), f.GetDirectory());
    EXPECT_EQ(AString(c.ext), f.Ext());
  }
}

TEST(LongFileName, ExistsOnlyForRegularFiles) {
  reptest::TempDir dir;
  const std::string path = dir.File("\u00e9t\u00e9.csv");
  reptest::WriteFileBytes(path, "x");
  const LongFileName file(AString::FromUtf8(path));
  EXPECT_EQ(path, file.ToNarrow());
  EXPECT_EQ(1, file.Exists());
  EXPECT_EQ(0, LongFileName(AString::FromUtf8(dir.Path())).Exists()) << "a directory is no file";
  EXPECT_EQ(0, LongFileName(AString::FromUtf8(dir.File("none.csv"))).Exists());
  EXPECT_EQ(0, LongFileName().Exists());
}

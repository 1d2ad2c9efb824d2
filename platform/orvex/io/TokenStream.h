// Token streams: reading and writing tokens, values and block trees in their UTF-8 text form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/io/BigBuffer.h"
#include "orvex/io/Block.h"
#include "orvex/io/StreamioObject.h"
#include "orvex/io/Token.h"

namespace io {

namespace detail {
class BlockTextReader;
class BlockTextWriter;
}  // namespace detail

// Reads tokens from UTF-8 text. Subclasses only supply bytes, a buffer at a time; tokenizing and
// parsing happen here without virtual calls. Reads on a failed stream do nothing until ClearFail.
class ORVEX_API CAbstract_istream {
public:
  virtual ~CAbstract_istream();
  CAbstract_istream(const CAbstract_istream&) = delete;
  CAbstract_istream& operator=(const CAbstract_istream&) = delete;

  // A word or string token with exactly these characters comes next.
  bool IsNextToken(const wchar_t* word);
  // A punctuation token of this character comes next.
  bool IsNextChar(wchar_t c);
  // False at the end of the input, on a malformed token (the stream fails) or on a failed stream.
  bool ReadToken(CToken& out);
  // Put-back tokens are read again before the text, the last one put back first.
  void PutBack(const CToken& token);
  // The token that the last read consumed.
  const CToken& LastToken() const { return m_last; }

  void SetFail() { m_fail = true; }
  // Fails and keeps `why` (with the current line) as the error text, unless one is kept already.
  void SetFail(const AString& why);
  bool Fail() const { return m_fail; }
  void ClearFail();
  // After an exception from a value read: puts the token that the read consumed back.
  void Recover();
  // Accepted for compatibility; numbers are always read exactly.
  void SetPrecision(int digits) { m_precision = digits; }
  int GetPrecision() const { return m_precision; }

  // Read may throw ReadErrorException; see CStreamio_object.
  CAbstract_istream& operator>>(CStreamio_object& obj);
  // Key = value; may throw as CBlock_named_value::Read does.
  CAbstract_istream& operator>>(CBlock_named_value& nv);
  CAbstract_istream& operator>>(CStreamio_manip& manip);
  CAbstract_istream& operator>>(CStreamio_manip&& manip);
  // Reads one block item. Damaged text fails the stream, keeps an error text and leaves the block
  // empty; nothing is thrown.
  CAbstract_istream& operator>>(CBlock& block);
  // Reads into the pointee, making a new block when the pointer is null.
  CAbstract_istream& operator>>(CBlockPtr& block);
  CAbstract_istream& operator>>(CAbstract_istream& (*manip)(CAbstract_istream&));

  // Skips blanks, line ends and comments (from # to the end of the line).
  void SkipBlanks();
  // Only blanks and comments are left, and no token was put back.
  bool AtEndOfInput();

  // Line interface; lines and tokens are not mixed on one stream. The next line without its
  // "\n" (and a "\r" before it); after the last line an empty text and the stream fails. An I/O
  // error throws ReadErrorException{1}.
  AString NewLine();
  // The next line as UTF-8 bytes, without a string: [begin, end) stays valid until the next call
  // on this stream (AtEof included). False, with the stream failed, after the last line.
  bool NextLineBytes(const char*& begin, const char*& end);
  // No further line exists.
  bool AtEof() const;

  // "line N: what went wrong" for the first error since the last ClearFail; empty when none.
  const AString& ErrorText() const { return m_errorText; }
  int ErrorLine() const { return m_errorLine; }
  // Line of the next unread byte, counted from 1.
  int GetLine() const { return m_line; }

protected:
  CAbstract_istream();
  // The whole input at once; ReadBytes is then never asked.
  void SetInput(std::string utf8);
  // The same, read where it stands: the caller keeps [utf8, utf8 + n) alive while the stream reads.
  void SetInputInPlace(const char* utf8, size_t n);
  // Up to `max` further bytes, 0 at the end; called once per buffer refill.
  virtual size_t ReadBytes(char* dst, size_t max);
  // Whether SeekBack can work: it makes the last `n` bytes that ReadBytes gave come again, and
  // answers false when the source cannot.
  virtual bool CanSeekBack() const;
  virtual bool SeekBack(size_t n);
  // ReadBytes met an I/O error: token reads fail, NewLine throws.
  void NoteIoError() { m_ioError = true; }

private:
  friend class detail::BlockTextReader;

  enum RawKind { kRawWord, kRawInt, kRawReal, kRawString, kRawPunct, kRawEnd, kRawError };
  // A token as the lexer sees it. Word and string text is in m_tokText, except for a word or a
  // long string of plain ASCII (`asciiText`) and a short string without escapes (`lazyText`): its bytes [numBegin, numEnd) stay in the buffer or
  // in m_longText until TokenText asks.
  // Number bytes point into the buffer or m_numScratch. All stay valid until the next Lex.
  struct RawToken {
    RawKind kind = kRawEnd;
    wchar_t punct = 0;
    const char* numBegin = nullptr;
    const char* numEnd = nullptr;
    bool asciiText = false;
    int line = 0;
    // The bytes of a word or short string token as they stand in the input (escapes undone
    // later); null when the token did not come from the input.
    const char* rawBegin = nullptr;
    const char* rawEnd = nullptr;
    // A short string without escapes: its text is decoded from [rawBegin, rawEnd) when
    // TokenText asks, as a reader finds most such texts among those it holds already.
    bool lazyText = false;
    // A real token that the lexer has converted already, and its value.
    bool hasReal = false;
    double real = 0;
  };
  enum ScanResult { kScanOk, kScanNeedMore, kScanError };

  bool Lex(RawToken& t);
  // The decoded text of a word or string token.
  AString& TokenText(RawToken& t);
  bool LexFromBytes(RawToken& t);
  // The rest of a quoted text that opened at m_openQuote and runs past the buffer.
  bool LexLongText(RawToken& t);
  // The bytes of an ASCII string token, moved out when the lexer holds them in a string of
  // their own.
  BigString TakeAsciiText(RawToken& t);
  // The next token without consuming it (kept on the put-back stack); null on a failed stream.
  const CToken* Peek();
  // Editors put a UTF-8 byte-order mark before the text; skipped once, before the first token.
  void SkipByteOrderMark();
  // Unescapes quoted text into m_tokText; false (with m_lexError) on a bad escape.
  bool DecodeString(const char* b, const char* e);
  void FromPutBack(const CToken& token, RawToken& t);
  ScanResult Scan(RawToken& t, size_t& consumed, int& lines);
  bool Grow() const;
  CToken MakeToken(RawToken& t);
  void FailAt(int line, const AString& why);

  // The bytes held: the caller's when read in place, else m_buf.
  const char* Data() const { return m_inPlace ? m_inPlace : m_buf.data(); }
  size_t Size() const { return m_inPlace ? m_inPlaceSize : m_buf.size(); }

  mutable std::string m_buf;  // bytes not yet consumed start at m_pos
  const char* m_inPlace = nullptr;  // not owned; see SetInputInPlace
  size_t m_inPlaceSize = 0;
  mutable size_t m_pos = 0;
  mutable bool m_srcEnd = false;
  mutable bool m_ioError = false;
  int m_line = 1;
  std::vector<CToken> m_putBack;
  CToken m_last;
  bool m_lastUndoable = false;  // m_last came from a read that Recover may undo
  bool m_fail = false;
  AString m_errorText;
  int m_errorLine = 0;
  int m_precision = 17;
  AString m_tokText;         // decoded text of the last word or string token
  std::string m_numScratch;  // bytes of a number token that came off the put-back stack
  AString m_lexError;  // what the last kScanError was about
  size_t m_openQuote = std::string::npos;  // offset in m_buf of a quoted text that Scan could not finish
  int m_linesBefore = 0;                   // line ends that Scan passed before that text
  BigString m_longText;                    // bytes of the last long quoted text, see LexLongText
  bool m_longRefused = false;              // the text at m_openQuote is read the buffer's way
  bool m_markChecked = false;              // the input's start was looked at for a byte-order mark
};

// Writes tokens, values and block trees as UTF-8 text, buffered; subclasses take the bytes.
class ORVEX_API CAbstract_ostream {
public:
  virtual ~CAbstract_ostream();
  CAbstract_ostream(const CAbstract_ostream&) = delete;
  CAbstract_ostream& operator=(const CAbstract_ostream&) = delete;

  CAbstract_ostream& operator<<(const CStreamio_manip& manip);
  CAbstract_ostream& operator<<(const CStreamio_object& obj);
  CAbstract_ostream& operator<<(const CBlock_named_value& nv);
  // The block's text, starting on a line of its own.
  CAbstract_ostream& operator<<(const CBlock& block);
  CAbstract_ostream& operator<<(const CBlockPtr& block);
  CAbstract_ostream& operator<<(const CToken& token);

  bool Fail() const { return m_fail; }
  void SetFail() { m_fail = true; }
  // Accepted for compatibility; reals are always written so that they read back exactly.
  void SetPrecision(int digits) { m_precision = digits; }
  int GetPrecision() const { return m_precision; }

  // Pieces for objects that write themselves.
  // A value token, set off by a blank from what precedes it on the line.
  void WriteValue(const CBlock_value& v);
  // Key = value on a line of its own.
  void WriteNamedValue(const CBlock_named_value& nv);
  void EndLine();

protected:
  // Bytes are handed to FlushBytes whenever `flushAt` of them are buffered.
  explicit CAbstract_ostream(size_t flushAt);
  virtual void FlushBytes(const char* data, size_t n);
  void FlushNow();
  const std::string& Buffered() const { return m_out; }

private:
  friend class detail::BlockTextWriter;
  void MaybeFlush() {
    if (m_out.size() >= m_flushAt)
      FlushNow();
    else if (m_flushAt == SIZE_MAX && m_out.size() >= kGrowFrom && m_out.capacity() - m_out.size() < kGrowAhead)
      GrowAhead();
  }
  // A stream that keeps what it writes (a clipboard, a text in memory) grows its buffer ahead of
  // need once it is big, with huge pages asked for: grown a piece at a time by appends, a buffer
  // of many megabytes costs a page fault per 4 KiB, more than writing its bytes.
  static constexpr size_t kGrowFrom = size_t(1) << 20;
  static constexpr size_t kGrowAhead = size_t(1) << 16;
  static constexpr size_t kGrowFarUpTo = size_t(64) << 20;
  void GrowAhead();
  void StartItemLine();
  // Bytes after what is buffered: handed on at once when the stream flushes as it goes.
  void WriteThrough(const char* data, size_t n);

  std::string m_out;
  size_t m_flushAt;
  bool m_lineStart = true;  // nothing written yet on the current line
  bool m_fail = false;
  int m_precision = 17;
};

// Skips blanks, line ends and comments: stream >> io::ws.
ORVEX_API CAbstract_istream& ws(CAbstract_istream& in);

// Error texts quote damaged input: a NUL would cut them short where they are read as C strings,
// and other control characters garble a log line. Each becomes \xHH.
ORVEX_API AString EscapeControlChars(const AString& text);

// Reads tokens from a text held in memory.
class ORVEX_API CStringToken_istream : public CAbstract_istream {
public:
  explicit CStringToken_istream(const AString& text);
  // Raw UTF-8 bytes, read where they stand: the caller keeps them alive and unchanged while the
  // stream is used. Invalid sequences read as U+FFFD.
  CStringToken_istream(const char* utf8, size_t n);
  // The same bytes, held by the stream.
  explicit CStringToken_istream(std::string utf8);
  ~CStringToken_istream() override;
};

// Collects written text in memory.
class ORVEX_API CStringToken_ostream : public CAbstract_ostream {
public:
  CStringToken_ostream();
  ~CStringToken_ostream() override;
  AString Text() const { return AString::FromUtf8(Buffered()); }
  const std::string& Utf8() const { return Buffered(); }
};

}  // namespace io

#include "orvex/io/FileTokenStream.h"

#include <climits>
#include <string>
#include <exception>

#include "orvex/core/Assert.h"

namespace io {

namespace {
// Fewer, larger write calls: the same bytes written 64 KB a call took up to twice as long as in
// large calls; a quarter of a megabyte still stays in the core's cache while it fills.
constexpr size_t kFileFlushAt = size_t(1) << 18;
}  // namespace

CToken_istream::CToken_istream(const LongFileName& file, int mode) {
  ORVEX_ASSERT(mode==1);
  std::string reason;
  m_file = OpenToRead(file.ToNarrow(), &reason);
  if (!m_file) {
    SetFail(L"the file '" + file.GetPath() + L"' cannot be opened: " + AString::FromUtf8(reason));
    return;
  }
  m_seekable = std::ftell(m_file) >= 0;
}

CToken_istream::~CToken_istream() { Close(); }

void CToken_istream::Close() {
  if (m_file) std::fclose(m_file);
  m_file = nullptr;
}

size_t CToken_istream::ReadBytes(char* dst, size_t max) {
  if (!m_file) return 0;
  const size_t got = std::fread(dst, 1, max, m_file);
  if (got < max && std::ferror(m_file)) NoteIoError();
  return got;
}

bool CToken_istream::SeekBack(size_t n) {
  if (n == 0) return true;
  return m_file && n <= static_cast<size_t>(LONG_MAX) && std::fseek(m_file, -static_cast<long>(n), SEEK_CUR) == 0;
}

CToken_ostream::CToken_ostream(const LongFileName& file, int mode)
    : CAbstract_ostream(kFileFlushAt), m_uncaught(std::uncaught_exceptions()) {
  ORVEX_ASSERT(mode==0x20);
  m_file = std::make_unique<SavedFile>(file.ToNarrow());
  if (!m_file->Ok()) SetFail();
}

CToken_ostream::~CToken_ostream() {
  if (m_file && std::uncaught_exceptions() > m_uncaught) {
    m_file->Abandon();
    return;
  }
  Close();
}

void CToken_ostream::Close() {
  if (!m_file) return;
  FlushNow();
  if (Fail())
    m_file->Abandon();
  else if (!m_file->Close())
    SetFail();
  m_file.reset();
}

void CToken_ostream::FlushBytes(const char* data, size_t n) {
  if (!m_file || !m_file->Write(data, n)) SetFail();
}

}  // namespace io

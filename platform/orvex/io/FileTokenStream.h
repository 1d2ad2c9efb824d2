// Token streams on files: block trees and named values in UTF-8 text files, and line reading.
#pragma once

#include <cstdio>
#include <memory>

#include "orvex/core/OrvexApi.h"
#include "orvex/io/LongFileName.h"
#include "orvex/io/SavedFile.h"
#include "orvex/io/TokenStream.h"

namespace io {

// Mode of CToken_ostream: create the file or replace it.
const int kTokenStreamCreate = 0x20;
// Mode of CToken_istream: read.
const int kTokenStreamRead = 1;

// Reads a file. A file that cannot be opened, or that is neither a regular file nor a device, fails
// the stream at once.
class ORVEX_API CToken_istream : public CAbstract_istream {
public:
  CToken_istream(const LongFileName& file, int mode);
  ~CToken_istream() override;

  void Close();

protected:
  size_t ReadBytes(char* dst, size_t max) override;
  bool CanSeekBack() const override { return m_seekable; }
  bool SeekBack(size_t n) override;

private:
  std::FILE* m_file = nullptr;
  bool m_seekable = false;
};

// Writes a file, buffered, whole or not at all (see SavedFile). Write errors fail the stream;
// nothing is thrown. Its end closes it, unless an exception unwinds: then the file is left as it was.
class ORVEX_API CToken_ostream : public CAbstract_ostream {
public:
  CToken_ostream(const LongFileName& file, int mode);
  ~CToken_ostream() override;

  // Writes what is buffered and puts the file in place of the one it replaces; a failed write or
  // close fails the stream, and a failed stream leaves the file it would replace as it was.
  void Close();

protected:
  void FlushBytes(const char* data, size_t n) override;

private:
  std::unique_ptr<SavedFile> m_file;  // null once closed
  int m_uncaught;                     // exceptions in flight when it was opened
};

}  // namespace io

// A file written from its start over what it held, then cut to the bytes written.
#pragma once

#include <cstddef>
#include <string>

#include "orvex/core/OrvexApi.h"

namespace io {

// Not emptied at opening: the system would free every page of the old content only to take new
// ones for the same bytes, which costs a large save more than the writing. What the file holds
// once closed is the same as if it had been emptied first.
class ORVEX_API OverwrittenFile {
public:
  // Opens or creates the file; Ok() tells whether it could.
  explicit OverwrittenFile(const std::string& path);
  ~OverwrittenFile();
  OverwrittenFile(const OverwrittenFile&) = delete;
  OverwrittenFile& operator=(const OverwrittenFile&) = delete;

  bool Ok() const { return !m_failed; }
  // Appends the bytes; false (and from then on Ok() false) when the system refuses them.
  bool Write(const char* data, size_t n);
  // Cuts the file to what was written and closes it; false when anything failed. A second call
  // answers the first's result.
  bool Close();

private:
  int m_fd = -1;           // -1 when it could not be opened or is closed
  bool m_regular = false;  // only a regular file can be cut
  bool m_failed = false;
  unsigned long long m_written = 0;
};

}  // namespace io

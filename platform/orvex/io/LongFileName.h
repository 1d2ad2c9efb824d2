// A file path as the core library passes it around: wide text, UTF-8 for the operating system.
#pragma once

#include <string>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"

class ORVEX_API LongFileName {
public:
  LongFileName() = default;
  explicit LongFileName(const AString& path) : m_path(path) {}

  const AString& GetPath() const { return m_path; }
  void SetPath(const AString& path) { m_path = path; }
  bool IsEmpty() const { return m_path.empty(); }

  // 1 when a regular file exists at the path, 0 otherwise.
  int Exists() const;
  // The extension as written, without the dot ("TXT" stays "TXT"); empty when there is none.
  AString Ext() const;
  // The last component of the path.
  AString GetName() const;
  // Everything before the last '/', empty when the path has none ("/" for a file in the root).
  AString GetDirectory() const;
  // The path in UTF-8, for the operating system.
  std::string ToNarrow() const { return m_path.ToUtf8(); }

  bool operator==(const LongFileName& o) const { return m_path == o.m_path; }
  bool operator!=(const LongFileName& o) const { return m_path != o.m_path; }

private:
  AString m_path;
};

#include "orvex/io/LongFileName.h"

#include <sys/stat.h>

int LongFileName::Exists() const {
  if (m_path.empty()) return 0;
  struct stat st;
  if (::stat(ToNarrow().c_str(), &st) != 0) return 0;
  return S_ISREG(st.st_mode) ? 1 : 0;
}

AString LongFileName::GetName() const {
  size_t slash = m_path.rfind(L'/');
  return slash == AString::npos ? m_path : AString(m_path.substr(slash + 1));
}

AString LongFileName::Ext() const {
  const AString name = GetName();
  size_t dot = name.rfind(L'.');
  // A leading dot names a hidden file, not an extension.
  if (dot == AString::npos || dot == 0) return AString();
  return AString(name.substr(dot + 1));
}

AString LongFileName::GetDirectory() const {
  size_t slash = m_path.rfind(L'/');
  if (slash == AString::npos) return AString();
  if (slash == 0) return AString(L"/");
  return AString(m_path.substr(0, slash));
}

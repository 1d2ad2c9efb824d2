// Keeps a named section of the core library's profiler open for the lifetime of the object.
#pragma once

#include <string>

class ScopedProfiler {
public:
  // The label reads "Class::Method".
  explicit ScopedProfiler(const std::string& label);
  ~ScopedProfiler();
  ScopedProfiler(const ScopedProfiler&) = delete;
  ScopedProfiler& operator=(const ScopedProfiler&) = delete;

private:
  std::string m_label;  // a copy: the caller's text need not outlive the scope
};

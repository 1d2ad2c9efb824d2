// What fails a fuzz run besides a crash or a sanitizer report.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "orvex/core/Assert.h"

// Soft assertions that a reader raises on damaged input are its answer to that input; one raised
// by the entry's own checks (a broken round trip) is a crash. With no file named, every assertion
// left recorded is a crash: the entry has already forgotten those its readers raise on damage.
inline void AbortOnEntryCheck(const char* entryFile) {
  orvex::test::AssertLog& asserts = orvex::test::Asserts();
  asserts.SetEcho(false);
  for (const orvex::test::AssertRecord& r : asserts.Records()) {
    if (entryFile && r.file != entryFile) continue;
    std::fprintf(stderr, "%s:%d: %s\n", r.file.c_str(), r.line, r.text.c_str());
    std::abort();
  }
  asserts.Clear();
}

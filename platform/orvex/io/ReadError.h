// Read results of the block tree: error codes, how a reader reports them, and an accumulator.
#pragma once

#include "orvex/core/OrvexApi.h"

namespace io {

typedef int ReadError;

const ReadError kNoError = 0;
const ReadError kConversionFailed = 1;  // a value is present but does not convert
const ReadError kKeyMissing = 2;
const ReadError kMissingBlock = -1;  // a required sub-block is absent, or an item is foreign
const ReadError kWriteFailed = -2;

// Whether a reader answers a failed read as a code or throws it.
enum TExcRq { kReturnCode = 0, kThrowCode = 1 };

struct ORVEX_API ReadErrorException {
  ReadError code;
};

// Collects the results of many reads; the first non-zero one is kept.
class ORVEX_API CReadError {
public:
  CReadError() = default;
  CReadError(ReadError e) : m_error(e) {}

  void Add(ReadError e) {
    if (m_error == kNoError) m_error = e;
  }
  CReadError& operator+=(ReadError e) {
    Add(e);
    return *this;
  }
  operator ReadError() const { return m_error; }

private:
  ReadError m_error = kNoError;
};

}  // namespace io

// Vectors under one key of a block, kept as a vector item.
#pragma once

#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/io/Block.h"
#include "orvex/io/ReadError.h"

namespace io {

// Writing appends a vector item named by the key (0). Reading: 2 when there is no such item (thrown
// instead with kThrowCode; the vector is then unchanged); else the vector is replaced by the items
// that convert, and the result is 1 when any did not, else 0.
ORVEX_API ReadError DoDataExchange(CBlock& block, bool read, const AString& key, std::vector<unsigned int>& values,
                                   TExcRq request = kReturnCode);
ORVEX_API ReadError DoDataExchange(CBlock& block, bool read, const AString& key, std::vector<AString>& values,
                                   TExcRq request = kReturnCode);

}  // namespace io

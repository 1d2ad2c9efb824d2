// The display settings last read from a trace block, handed to the next trace whose block is the same.
#pragma once

#include "orvex/io/Block.h"
#include "orvex/io/ReadError.h"
#include "postorvex/traceinfo/ExtTraceInfo.h"

namespace rep {

// A project repeats one block of display settings on nearly every trace, and parsing its values
// anew costs as much as all the rest of reading the trace. A block is kept only when reading it
// left nothing of the info read into (every item there) and its values are plain numbers, which
// mean the same under every solution's names: a copy of its result is then what a read would make.
class ExtTraceInfoReadMemo {
public:
  ExtTraceInfoReadMemo();
  ~ExtTraceInfoReadMemo();

  // What info.Read(block) answers, with info as that read leaves it.
  io::ReadError Read(const io::CBlock& block, ExtTraceInfo& info);
  // What a read of the block would copy; null when it would parse. A trace made with a copy of it
  // keeps that copy through the read, instead of trading default values for it.
  const ExtTraceInfo* Find(const io::CBlock& block) const;

private:
  static bool CanReuse(const io::CBlock& block, const ExtTraceInfo& read);
  bool HoldsCopyOfKept(const ExtTraceInfo& info) const;

  // Copies share their values' roots, and a root held by very many values makes each further
  // holder slow to add: a root serves a few traces, then a new read makes the next.
  static constexpr int kMaxShares = 15;

  io::CBlock m_block;  // the block m_info was read from, when shares are left
  ExtTraceInfo m_info;
  int m_sharesLeft = 0;  // traces that may still take a copy of m_info
};

}  // namespace rep

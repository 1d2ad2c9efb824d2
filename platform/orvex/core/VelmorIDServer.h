// Issues strictly increasing IDs and keeps the next one in a block.
#pragma once

#include "orvex/core/AString.h"
#include "orvex/core/Ids.h"
#include "orvex/core/OrvexApi.h"

namespace io {
class CBlock;
typedef int ReadError;
}  // namespace io

class ORVEX_API VelmorIDServer {
public:
  // `shared` is kept and has no effect. The name, when given, is the key of the stored state.
  explicit VelmorIDServer(long initial = id::initialID, bool shared = false, const AString& name = AString());

  // The next ID; IDs never repeat and never equal id::invalidID. A server at id::endID has none
  // left: it answers id::invalidID after the assertion and stays there, since an ID of endID or
  // beyond is one that no read takes back.
  long GetNewUniqueID();
  long PeekNextUniqueID() const;
  // How many more IDs the server issues before it reaches id::endID.
  long CountIDsLeft() const;
  // Moves the server to `next` in one step, forwards or back.
  void SetNextUniqueID(long next) { m_next = next; }

  // Appends the next ID as a named value: the server's name, or "NextUniqueID" without one.
  void WriteNextUniqueID(io::CBlock& block) const;
  // 0 and the next ID taken from the block; 2 when the key is missing, 1 when its value is not
  // an integer; the server is unchanged on failure.
  io::ReadError ResetNextUniqueID(const io::CBlock& block);

  bool IsShared() const { return m_shared; }
  const AString& GetName() const { return m_name; }

private:
  AString StateKey() const;

  long m_next;
  bool m_shared;
  AString m_name;
};

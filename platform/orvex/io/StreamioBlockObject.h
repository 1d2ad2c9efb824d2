// Base of the persistent objects that keep themselves in a block, with their read status.
#pragma once

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/io/ReadError.h"

namespace io {

class CBlock;

class ORVEX_API CStreamio_block_object {
public:
  virtual ~CStreamio_block_object();
  // Slots 1 to 7 keep the operation numbers of derived classes stable; they do nothing.
  virtual void Reserved1();
  virtual void Reserved2();
  virtual void Reserved3();
  virtual void Reserved4();
  virtual void Reserved5();
  virtual void Reserved6();
  virtual void Reserved7();
  virtual AString GetBlockName() const = 0;
  virtual void Reserved9();
  virtual void Reserved10();
  virtual ReadError DoDataExchange(CBlock& block, bool read) = 0;
  virtual void Reserved12();
  virtual void Reserved13();
  virtual void Reserved14();
  virtual void Reserved15();
  virtual void Reserved16();

  void ClearReadStatus() { m_readStatus = kNoError; }
  // The first non-zero error is kept until ClearReadStatus.
  void RecordError(ReadError e) {
    if (m_readStatus == kNoError) m_readStatus = e;
  }
  ReadError GetReadStatus() const { return m_readStatus; }

protected:
  CStreamio_block_object() = default;
  CStreamio_block_object(const CStreamio_block_object&) = default;
  CStreamio_block_object& operator=(const CStreamio_block_object&) = default;

private:
  ReadError m_readStatus = kNoError;
};

}  // namespace io

// Bases of everything that reads or writes itself on a token stream: objects and manipulators.
#pragma once

#include "orvex/core/OrvexApi.h"

namespace io {

class CAbstract_istream;
class CAbstract_ostream;

// A value that writes itself to a token stream and reads itself back.
class ORVEX_API CStreamio_object {
public:
  virtual ~CStreamio_object();
  virtual void Write(CAbstract_ostream& out) const = 0;
  // May throw ReadErrorException on malformed input; the stream's Recover() undoes the partial read.
  virtual void Read(CAbstract_istream& in) = 0;
};

// A short-lived object applied to a stream with >> or <<.
class ORVEX_API CStreamio_manip {
public:
  virtual void read(CAbstract_istream& in) = 0;
  virtual void write(CAbstract_ostream& out) const = 0;
  virtual ~CStreamio_manip();
};

}  // namespace io

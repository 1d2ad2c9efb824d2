// Named values: write a variable or a constant under a key, into a block or onto a token stream,
// and read it back.
#pragma once

#include "orvex/core/AString.h"
#include "orvex/io/Block.h"
#include "orvex/io/BlockValue.h"
#include "orvex/io/ReadError.h"
#include "orvex/io/StreamioObject.h"
#include "orvex/io/Token.h"
#include "orvex/io/TokenStream.h"

namespace io {

// T is long, AString, bool, unsigned int, double or int. Made by NamedValue, used in one << or
// >> and gone at the end of the statement.
template <class T>
class CNamed_value_manip : public CStreamio_manip {
public:
  // Captures the variable's current value; a read stores into the variable.
  CNamed_value_manip(const AString& key, T& variable) : m_value(key, CBlock_value(variable)), m_target(&variable) {}
  // Captures the value; write-only (a read only compares).
  CNamed_value_manip(const AString& key, const T& value) : m_value(key, CBlock_value(value)), m_target(nullptr) {}

  // Takes Key = value off the stream. On a mismatch the tokens go back, so that the stream is
  // before the key again, and the stream fails.
  void read(CAbstract_istream& in) override {
    if (!in.IsNextToken(m_value.GetKey().c_str())) {
      in.SetFail();
      return;
    }
    CToken key;
    in.ReadToken(key);
    if (!in.IsNextChar(L'=')) {
      in.PutBack(key);
      in.SetFail();
      return;
    }
    CToken eq;
    in.ReadToken(eq);
    CBlock_value read;
    try {
      in >> read;
    } catch (const ReadErrorException&) {
      in.Recover();
      in.PutBack(eq);
      in.PutBack(key);
      in.SetFail();
      return;
    }
    const bool ok = m_target ? read.Query(*m_target) : read == m_value.GetValue();
    if (ok) return;
    in.PutBack(in.LastToken());
    in.PutBack(eq);
    in.PutBack(key);
    in.SetFail();
  }

  void write(CAbstract_ostream& out) const override { out << m_value; }

  const CBlock_named_value& GetNamedValue() const { return m_value; }
  CBlock_named_value& GetNamedValueForEdit() { return m_value; }
  // Null for a write-only manipulator.
  T* GetTarget() const { return m_target; }

private:
  CBlock_named_value m_value;
  T* m_target;  // the caller's variable, not owned
};

template <class T>
CNamed_value_manip<T> NamedValue(const AString& key, T& variable) {
  return CNamed_value_manip<T>(key, variable);
}

template <class T>
CNamed_value_manip<T> NamedValue(const AString& key, const T& value) {
  return CNamed_value_manip<T>(key, value);
}

inline CNamed_value_manip<AString> NamedValue(const AString& key, const wchar_t* value) {
  return CNamed_value_manip<AString>(key, AString(value));
}

// Appends the value captured when the manipulator was made.
template <class T>
CBlock& operator<<(CBlock& block, const CNamed_value_manip<T>& manip) {
  return block << manip.GetNamedValue();
}

// Afterwards the found flag tells whether the key was present and, for a manipulator with a
// target, whether its value converted to T.
template <class T>
const CBlock& operator>>(const CBlock& block, CNamed_value_manip<T> manip) {
  block >> manip.GetNamedValueForEdit();
  if (block.Found() && manip.GetTarget()) block.ResetFound(manip.GetNamedValue().GetValue().Query(*manip.GetTarget()));
  return block;
}

}  // namespace io

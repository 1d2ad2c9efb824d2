// A user's or a solution's named expression, usable by name in other expressions, with an ID
// that survives edits and a function-item form for blocks.
#pragma once

#include <cstddef>

#include "orvex/core/AString.h"
#include "orvex/core/Ids.h"
#include "orvex/core/MUndoableObject.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/values/ContextVariable.h"

class IValueParser;
class IVariableNameSpaceSetupper;
namespace io {
class CBlock_func;
}  // namespace io

class POSTORVEX_API OutputVariable : public ContextVariable, public MUndoableObject {
public:
  // The ID is id::invalidID until set.
  explicit OutputVariable(const AString& name);
  // Name, text, value state and ID; an edit assigns a temporary that carries the same ID.
  OutputVariable(const OutputVariable& other);
  OutputVariable& operator=(const OutputVariable& other);
  ~OutputVariable() override;

  long GetID() const { return m_id; }
  void SetID(long id) { m_id = id; }

  // MUndoableObject: the undo snapshot is a copy; Assign takes an OutputVariable only.
  MUndoableObject* Clone() const override;
  void Assign(const MUndoableObject& from) override;

  // Appends the ID, the text and a nested function item "ValueState". False, with nothing
  // appended, while the ID is invalid.
  bool WriteToFunc(io::CBlock_func& func) const;
  // Reads the three from argument `firstArgument` on: 0, or 1 with nothing changed (also for an
  // invalid ID, which no write produces).
  int ReadFromFunc(const io::CBlock_func& func, size_t firstArgument);

  // The counted activation of ContextVariable; Deactivate undoes one.
  bool ActivateWithValueParserAndVariableNameSpace(IValueParser* parser, IVariableNameSpaceSetupper* setupper);

private:
  long m_id = id::invalidID;
};

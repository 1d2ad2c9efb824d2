#include "postorvex/outputvars/OutputVariable.h"

#include "orvex/core/Assert.h"
#include "orvex/io/BlockFunc.h"
#include "postorvex/quantities/PostpQuantityUtils.h"

namespace {

const wchar_t kStateFunc[] = L"ValueState";

}  // namespace

OutputVariable::OutputVariable(const AString& name) : ContextVariable(name) {}

OutputVariable::OutputVariable(const OutputVariable& other)
    : ContextVariable(other), MUndoableObject(), m_id(other.m_id) {}

OutputVariable& OutputVariable::operator=(const OutputVariable& other) {
  if (this == &other) return *this;
  ContextVariable::operator=(other);
  m_id = other.m_id;
  return *this;
}

OutputVariable::~OutputVariable() = default;

MUndoableObject* OutputVariable::Clone() const { return new OutputVariable(*this); }

void OutputVariable::Assign(const MUndoableObject& from) {
  const auto* other = dynamic_cast<const OutputVariable*>(&from);
  ORVEX_ASSERT(other);
  if (other) *this = *other;
}

bool OutputVariable::WriteToFunc(io::CBlock_func& func) const {
  if (m_id == id::invalidID) return false;
  io::CBlock_func state(kStateFunc);
  postp::WriteValueState(state, GetValueState());
  func << m_id << GetValueBaseText() << std::move(state);
  return true;
}

int OutputVariable::ReadFromFunc(const io::CBlock_func& func, size_t firstArgument) {
  long id = id::invalidID;
  AString text;
  ValueState state;
  const io::CBlock_func* stateFunc = func.GetFunc(firstArgument + 2);
  if (!func.QueryArg(firstArgument, id) || !func.QueryArg(firstArgument + 1, text) || !stateFunc ||
      stateFunc->GetName() != kStateFunc || !postp::ReadValueState(*stateFunc, state) || id == id::invalidID)
    return 1;
  m_id = id;
  SetValueBaseText(text, state);
  return 0;
}

bool OutputVariable::ActivateWithValueParserAndVariableNameSpace(IValueParser* parser,
                                                                 IVariableNameSpaceSetupper* setupper) {
  return Activate(parser, setupper);
}

#include "postorvex/sweeps/SelectableSubsweepDefParams.h"

#include "orvex/core/Assert.h"
#include "orvex/io/Block.h"
#include "orvex/values/Value.h"
#include "postorvex/columns/Column.h"

namespace {

Column* CopyOf(const Column* c) { return c ? c->CloneColumn() : nullptr; }

}  // namespace

SelectableSubsweepDefParams::SelectableSubsweepDefParams(const AString& sweepName, int choiceType,
                                                         const Column* selected)
    : AbstractSubsweepDefParams(sweepName, rep::kSelectedValuesChoice), m_selected(CopyOf(selected)) {
  SetSubsweepDefChoiceType(choiceType);
}

SelectableSubsweepDefParams::~SelectableSubsweepDefParams() = default;

SelectableSubsweepDefParams::SelectableSubsweepDefParams(const SelectableSubsweepDefParams& other)
    : AbstractSubsweepDefParams(other), m_selected(CopyOf(other.m_selected.get())) {}

SelectableSubsweepDefParams& SelectableSubsweepDefParams::operator=(const SelectableSubsweepDefParams& other) {
  if (this == &other) return *this;
  AbstractSubsweepDefParams::operator=(other);
  m_selected.reset(CopyOf(other.m_selected.get()));
  return *this;
}

void SelectableSubsweepDefParams::SetSubsweepDefChoiceType(int choiceType) {
  ORVEX_ASSERT(IsValidChoiceType(choiceType));
  if (IsValidChoiceType(choiceType)) m_choiceType = choiceType;
}

bool SelectableSubsweepDefParams::SelectValues(const std::vector<AString>& valueTexts) {
  if (valueTexts.empty()) {
    m_selected.reset();
    return true;
  }
  std::vector<Value> values;
  values.reserve(valueTexts.size());
  for (const AString& text : valueTexts) {
    values.emplace_back(Units::kNoUnit);
    if (!values.back().SetValueText(text, Units::kNoUnit)) return false;
    if (values.back().GetParameterType() != values.front().GetParameterType()) return false;
  }
  std::unique_ptr<Column> column(Column::CreateColumn(values.front().GetParameterType(), values.front().GetUnits()));
  if (!column) return false;
  for (const Value& v : values)
    if (!column->AppendValue(v)) return false;
  m_selected = std::move(column);
  return true;
}

unsigned SelectableSubsweepDefParams::GetNumSelectedValues() const {
  return m_selected ? static_cast<unsigned>(m_selected->GetCount()) : 0u;
}

void SelectableSubsweepDefParams::SetSelection(const Column* selected) {
  if (selected == m_selected.get()) return;
  m_selected.reset(CopyOf(selected));
}

io::ReadError SelectableSubsweepDefParams::ExchangeContent(io::CBlock& block, bool read) {
  const io::ReadError result = AbstractSubsweepDefParams::ExchangeContent(block, read);
  return ExchangeOptionalColumn(block, read, ACHAR("Selection"), m_selected, result);
}

io::ReadError SelectableSubsweepDefParams::ExchangeOptionalColumn(io::CBlock& block, bool read, const AString& name,
                                                                  std::unique_ptr<Column>& column,
                                                                  io::ReadError result) {
  if (!read) {
    if (column) {
      io::CBlock sub(name);
      const io::ReadError written = column->WriteColumn(sub);
      block << std::move(sub);
      if (result == io::kNoError) result = written;
    }
    return result;
  }
  if (result != io::kNoError) return result;
  const io::CBlock* sub = block.FindBlock(name);
  block.ResetFound(true);  // optional
  if (!sub) {
    column.reset();
    return io::kNoError;
  }
  std::unique_ptr<Column> readColumn(Column::ReadAndCreateColumn(*sub));
  if (!readColumn) return 1;
  column = std::move(readColumn);
  return io::kNoError;
}

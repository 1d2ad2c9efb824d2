// A subsweep definition whose choice of values can be set: all, the nominal one or a selection.
#pragma once

#include <memory>
#include <vector>

#include "postorvex/sweeps/AbstractSubsweepDefParams.h"

class Column;

class POSTORVEX_API SelectableSubsweepDefParams : public AbstractSubsweepDefParams {
public:
  ~SelectableSubsweepDefParams() override;

  // Out of 1..3: soft assertion, unchanged.
  void SetSubsweepDefChoiceType(int choiceType);
  // The selection becomes those values, parsed in unit 90; false and unchanged when one does
  // not parse or their kinds differ. No texts: no selection.
  virtual bool SelectValues(const std::vector<AString>& valueTexts);  // 15
  virtual unsigned GetNumSelectedValues() const;                       // 16


protected:
  io::ReadError ExchangeContent(io::CBlock& block, bool read) override;
  SelectableSubsweepDefParams(const AString& sweepName, int choiceType, const Column* selected);
  SelectableSubsweepDefParams(const SelectableSubsweepDefParams& other);
  SelectableSubsweepDefParams& operator=(const SelectableSubsweepDefParams& other);

  const Column* GetSelection() const { return m_selected.get(); }
  void SetSelection(const Column* selected);  // copies

  // The optional column sub-block `name`, after the layer's other items gave `result`: written
  // when `column` is set; read only after a clean read, and `column` reset when it is absent.
  static io::ReadError ExchangeOptionalColumn(io::CBlock& block, bool read, const AString& name,
                                              std::unique_ptr<Column>& column, io::ReadError result);

private:
  std::unique_ptr<Column> m_selected;  // null: nothing selected
};

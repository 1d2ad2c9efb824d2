// A column of strings (parameter type 10): string quantities. The invalid entry is the empty text.
#pragma once

#include "postorvex/columns/TextKindColumnT.h"

class POSTORVEX_API StringColumn : public TextKindColumnT<StringColumn> {
public:
  explicit StringColumn(Units::FullUnitType units = 90);
  ~StringColumn() override;
};

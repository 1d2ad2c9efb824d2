// A column of texts (parameter type 9): the text components of traces. The invalid entry is the empty text.
#pragma once

#include "postorvex/columns/TextKindColumnT.h"

class POSTORVEX_API TextColumn : public TextKindColumnT<TextColumn> {
public:
  explicit TextColumn(Units::FullUnitType units = 90);
  ~TextColumn() override;
};

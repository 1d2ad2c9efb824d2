#include "postorvex/columns/MatrixColumn.h"

MatrixColumn::~MatrixColumn() = default;

// A column of values of one kind and one unit: the storage of trace data, sweeps and caches.
// One include gives the base, its visitor and every kind.
#pragma once

#include "postorvex/columns/ColumnBase.h"
#include "postorvex/columns/ArcColumn.h"
#include "postorvex/columns/CharColumn.h"
#include "postorvex/columns/CircleColumn.h"
#include "postorvex/columns/ComplexColumn.h"
#include "postorvex/columns/ComplexMatrixColumn.h"
#include "postorvex/columns/DoubleColumn.h"
#include "postorvex/columns/DoubleMatrixColumn.h"
#include "postorvex/columns/EnumColumn.h"
#include "postorvex/columns/IntColumn.h"
#include "postorvex/columns/RegionColumn.h"
#include "postorvex/columns/StringColumn.h"
#include "postorvex/columns/StringMatrixColumn.h"
#include "postorvex/columns/TextColumn.h"

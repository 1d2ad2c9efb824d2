// Internals shared by the column kinds: units, number texts, input conversion, the load
// registry. Not for use outside the column sources.
#pragma once

#include <cstddef>
#include <cstdint>

#include "orvex/core/AString.h"
#include "postorvex/columns/ColumnInput.h"
#include "postorvex/columns/ColumnTypes.h"

class Column;

namespace postorvex {
namespace columns {

inline bool IsRealKind(int t) { return t == val::kDoubleParam || val::IsDigitalType(t); }

// Units, through the value layer's table.
double UnitScaleToSI(Units::FullUnitType units);
AString UnitName(Units::FullUnitType units);
// Exact when the units are the same.
double ConvertUnits(double v, Units::FullUnitType from, Units::FullUnitType to);

// "%.17g": every finite double reads back bit for bit.
AString NumberText(double v);
AString ComplexText(const AComplex<double>& v);
// Relative tolerance 1e-12; equal values (infinities included) always match.
bool NearlyEqual(double a, double b);

// Raises "!\"value kind does not fit the column\"".
void ReportKindDoesNotFit();
// The digital content of an input of type 13, 14 or 15 (a character as 0-255); false for
// other types. `invalid` tells that the input holds its kind's invalid marker.
bool DigitalInput(const ColumnInput& in, int64_t& out, bool& invalid);

// Load registry (FileColumnRegistry.cpp): file-managed columns, known by serial, and the counters.
uint64_t RegisterFileColumn(const Column* column);
void UnregisterFileColumn(const Column* column, uint64_t serial);
// False once the column is deleted, even when a new one took its address.
bool IsFileColumnAlive(const Column* column, uint64_t serial);
void CountLoad();
void CountUnload();
void CountUnloadedRead();
size_t LoadCount();
size_t UnloadCount();
size_t UnloadedReadCount();
size_t FileColumnCount();

}  // namespace columns
}  // namespace postorvex

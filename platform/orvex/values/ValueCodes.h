// Codes shared by values, columns and quantities: parameter types and database types.
#pragma once

namespace val {

// An int so that the numbers callers test (0, 1, 2, 13...) compare and convert freely.
using ParameterType = int;
enum : ParameterType {
  kNoParam = 0,
  kDoubleParam = 1,
  kComplexParam = 2,
  kArcParam = 3,
  kCircleParam = 4,
  kRegionParam = 5,
  kTextParam = 9,
  kStringParam = 10,
  kComplexDatasetParam = 11,
  kDoubleDatasetParam = 12,
  kIntParam = 13,
  kCharParam = 14,
  kEnumParam = 15,
  kDoubleMatrixParam = 16,
  kComplexMatrixParam = 17,
  kStringMatrixParam = 18,
};

// Stored and compared, never interpreted.
using DBType = int;
enum : DBType { kDefaultDBType = 1 };

inline bool IsDigitalType(ParameterType t) { return t == kIntParam || t == kCharParam || t == kEnumParam; }
inline bool IsDatasetType(ParameterType t) { return t == kComplexDatasetParam || t == kDoubleDatasetParam; }

}  // namespace val

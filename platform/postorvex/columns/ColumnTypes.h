// The value-layer types that columns hold and are typed by: parameter types, units, complex
// numbers and the geometric records.
#pragma once

#include <complex>
#include <cstdint>
#include <utility>
#include <vector>

// Interim definitions until the value layer provides these types; only this header changes then.
namespace val {
enum ParameterType : int { kNoParam = 0, kDoubleParam = 1, kEnumParam = 15 };
}  // namespace val

namespace Units {
typedef int FullUnitType;
}  // namespace Units

template <class T>
class AComplex : public std::complex<T> {
public:
  AComplex(T re = T(), T im = T()) : std::complex<T>(re, im) {}
  AComplex(const std::complex<T>& c) : std::complex<T>(c) {}
  T Real() const { return this->real(); }
  T Imag() const { return this->imag(); }
};

struct ArcParam {
  double cx, cy, r, start, end;
};

struct CircleParam {
  double cx, cy, r;
};

struct RegionParam {
  std::vector<std::pair<double, double>> points;
};

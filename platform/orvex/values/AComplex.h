// Complex numbers of values and columns: std::complex with the accessor names the platform uses.
#pragma once

#include <complex>

template <class T>
class AComplex : public std::complex<T> {
public:
  AComplex(T re = T(), T im = T()) : std::complex<T>(re, im) {}
  AComplex(const std::complex<T>& c) : std::complex<T>(c) {}

  T Real() const { return this->real(); }
  T Imag() const { return this->imag(); }
};

// Columns of doubles laid out in a block as the column writer lays out a double column.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "orvex/io/Block.h"

namespace benchdata {

constexpr int kColumns = 100;
constexpr int kRows = 10000;
constexpr int64_t kDoubles = int64_t(kColumns) * kRows;

inline std::vector<double> MakeDoubles() {
  std::vector<double> v(static_cast<size_t>(kDoubles));
  for (size_t i = 0; i < v.size(); ++i) v[i] = std::sin(double(i) * 0.001) * 1e3 / (1.0 + double(i % 97));
  return v;
}

inline io::CBlock MakeColumnsBlock(const std::vector<double>& values) {
  io::CBlock top(L"Cache");
  for (int c = 0; c < kColumns; ++c) {
    io::CBlock col(L"ValuesCol");
    col << io::CBlock_named_value(L"ColumnType", 4) << io::CBlock_named_value(L"ColumnCount", unsigned(kRows));
    io::CBlock_func f(L"Values");
    f.reserve(kRows);
    for (int r = 0; r < kRows; ++r) f << values[size_t(c) * kRows + r];
    col << std::move(f);
    top << std::move(col);
  }
  return top;
}

}  // namespace benchdata

#include "postorvex/columns/ColumnValueBits.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "postorvex/columns/Column.h"

namespace postorvex {

namespace {

class BitsVisitor : public Column::Visitor {
public:
  explicit BitsVisitor(std::string& out) : m_out(out) {}

  bool Visit(const DoubleColumn& c) override {
    for (double v : c.GetValues()) Bits(v);
    return true;
  }
  bool Visit(const ComplexColumn& c) override {
    for (const AComplex<double>& v : c.GetValues()) Bits(v);
    return true;
  }
  bool Visit(const IntColumn& c) override {
    for (int32_t v : c.GetValues()) Number(v);
    return true;
  }
  bool Visit(const CharColumn& c) override {
    for (char v : c.GetValues()) Number(static_cast<unsigned char>(v));
    return true;
  }
  bool Visit(const EnumColumn& c) override {
    AString name;
    if (c.GetEnumName(name)) Text(name);
    for (int32_t v : c.GetValues()) Number(v);
    return true;
  }
  bool Visit(const TextColumn& c) override {
    for (const AString& v : c.GetValues()) Text(v);
    return true;
  }
  bool Visit(const StringColumn& c) override {
    for (const AString& v : c.GetValues()) Text(v);
    return true;
  }
  bool Visit(const DoubleMatrixColumn& c) override {
    Matrices(c.GetValues());
    return true;
  }
  bool Visit(const ComplexMatrixColumn& c) override {
    Matrices(c.GetValues());
    return true;
  }
  bool Visit(const StringMatrixColumn& c) override {
    Matrices(c.GetValues());
    return true;
  }
  bool Visit(const ArcColumn& c) override {
    for (const ArcParam& a : c.GetValues())
      for (double v : {a.cx, a.cy, a.r, a.start, a.end}) Bits(v);
    return true;
  }
  bool Visit(const CircleColumn& c) override {
    for (const CircleParam& a : c.GetValues())
      for (double v : {a.cx, a.cy, a.r}) Bits(v);
    return true;
  }
  bool Visit(const RegionColumn& c) override {
    for (const RegionParam& region : c.GetValues()) {
      Number(region.points.size());
      for (const auto& point : region.points) {
        Bits(point.first);
        Bits(point.second);
      }
    }
    return true;
  }

private:
  void Bits(double v) {
    if (std::isnan(v)) {
      m_out += " nan";
      return;
    }
    uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    Number(bits);
  }
  void Bits(const AComplex<double>& v) {
    Bits(v.Real());
    Bits(v.Imag());
  }
  void Bits(const AString& v) { Text(v); }
  template <class T>
  void Number(T v) {
    m_out += " " + std::to_string(v);
  }
  void Text(const AString& v) {
    const std::string utf8 = v.ToUtf8();
    m_out += " " + std::to_string(utf8.size()) + ":" + utf8;
  }
  template <class Element>
  void Matrices(const std::vector<ColumnMatrix<Element>>& matrices) {
    for (const ColumnMatrix<Element>& m : matrices) {
      Number(m.numRows);
      Number(m.numCols);
      Number(m.elements.size());
      for (const Element& e : m.elements) Bits(e);
    }
  }

  std::string& m_out;
};

}  // namespace

std::string ColumnValueBits(const Column& column) {
  std::string out = "type " + std::to_string(column.GetParameterType()) + " units " +
                    std::to_string(column.GetUnits()) + " count " + std::to_string(column.GetCount()) + ":";
  BitsVisitor visitor(out);
  // A kind the visitor does not know is compared by its values text.
  if (!column.Accept(visitor)) out += " " + column.GetValuesText().ToUtf8();
  return out;
}

}  // namespace postorvex

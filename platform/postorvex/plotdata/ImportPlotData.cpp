#include "postorvex/plotdata/ImportPlotData.h"

#include <charconv>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "orvex/io/LongFileName.h"
#include "orvex/io/SavedFile.h"

namespace {

int s_throwingReads = 0;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

void SkipBlanks(const char*& p, const char* e) {
  while (p != e && IsBlank(*p)) ++p;
}

// The next run of non-blank bytes.
std::string Word(const char*& p, const char* e) {
  SkipBlanks(p, e);
  const char* b = p;
  while (p != e && !IsBlank(*p)) ++p;
  return std::string(b, p);
}

bool SameKeyword(const std::string& word, const char* keyword) {
  size_t i = 0;
  for (; keyword[i]; ++i) {
    if (i >= word.size()) return false;
    char c = word[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != keyword[i]) return false;
  }
  return i == word.size();
}

// A quoted string that is the rest of the line.
bool QuotedRest(const char* p, const char* e, AString& out) {
  SkipBlanks(p, e);
  if (p == e || *p != '"') return false;
  ++p;
  std::string text;
  for (;;) {
    if (p == e) return false;
    const char c = *p++;
    if (c == '"') break;
    if (c == '\\') {
      if (p == e || (*p != '"' && *p != '\\')) return false;
      text.push_back(*p++);
      continue;
    }
    text.push_back(c);
  }
  SkipBlanks(p, e);
  if (p != e) return false;
  out = AString::FromUtf8(text);
  return true;
}

bool Numbers(const char* p, const char* e, std::vector<double>& out) {
  for (;;) {
    SkipBlanks(p, e);
    if (p == e) return true;
    const char* b = p;
    while (p != e && !IsBlank(*p)) ++p;
    double v = 0;
    const auto r = std::from_chars(b, p, v);
    if (r.ec != std::errc() || r.ptr != p) return false;
    out.push_back(v);
  }
}

}  // namespace

CImportPlotData::CImportPlotData(const AString& fileName) : m_fileName(fileName) {}

CImportPlotData::~CImportPlotData() = default;

void CImportPlotData::ThrowOnNextReads(int n) { s_throwingReads = n; }

bool CImportPlotData::Read() {
  if (s_throwingReads > 0) {
    --s_throwingReads;
    throw std::runtime_error("plot data test hook");
  }
  m_xAxis.clear();
  m_yAxis.clear();
  m_curves.clear();
  // Never waits on a FIFO named as the file.
  std::FILE* in = io::OpenToRead(LongFileName(m_fileName).ToNarrow());
  if (!in) return false;
  std::string bytes;
  char chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof(chunk), in)) > 0) bytes.append(chunk, got);
  const bool read = !std::ferror(in);
  std::fclose(in);
  if (read && ReadText(bytes)) return true;
  m_curves.clear();
  return false;
}

bool CImportPlotData::ReadText(const std::string& text) {
  bool header = false, haveX = false, haveY = false, inCurve = false;
  // Editors put a UTF-8 byte-order mark before the first line.
  size_t pos = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (pos < text.size()) {
    size_t nl = text.find('\n', pos);
    if (nl == std::string::npos) nl = text.size();
    const char* p = text.data() + pos;
    const char* e = text.data() + nl;
    pos = nl + 1;
    SkipBlanks(p, e);
    if (p == e || *p == '#') continue;
    const std::string keyword = Word(p, e);
    if (!header) {
      if (!SameKeyword(keyword, "PLOTDATA") || Word(p, e) != "1" || !Word(p, e).empty()) return false;
      header = true;
    } else if (SameKeyword(keyword, "XAXIS") && !inCurve && !haveX) {
      if (!QuotedRest(p, e, m_xAxis)) return false;
      haveX = true;
    } else if (SameKeyword(keyword, "YAXIS") && !inCurve && !haveY) {
      if (!QuotedRest(p, e, m_yAxis)) return false;
      haveY = true;
    } else if (SameKeyword(keyword, "CURVE") && !inCurve && haveX && haveY) {
      PlotDataCurve curve;
      if (!QuotedRest(p, e, curve.name)) return false;
      m_curves.push_back(std::move(curve));
      inCurve = true;
    } else if (SameKeyword(keyword, "X") && inCurve) {
      if (!Numbers(p, e, m_curves.back().x)) return false;
    } else if (SameKeyword(keyword, "Y") && inCurve) {
      if (!Numbers(p, e, m_curves.back().y)) return false;
    } else if (SameKeyword(keyword, "END") && inCurve && !Word(p, e).size()) {
      inCurve = false;
    } else {
      return false;
    }
  }
  return header && haveX && haveY && !inCurve;
}

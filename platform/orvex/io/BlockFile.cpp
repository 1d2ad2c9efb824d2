#include "orvex/io/BlockFile.h"

#include <string>

#include "orvex/core/Assert.h"
#include "orvex/io/FileTokenStream.h"
#include "orvex/io/NamedValue.h"
#include "orvex/io/TokenStream.h"

namespace io {

bool ReadSingleBlock(CAbstract_istream& in, CBlock& out, AString* error) {
  CBlock read;
  in >> read;
  if (!in.Fail() && !in.AtEndOfInput()) in.SetFail(L"text follows the end of block '" + read.GetName() + L"'");
  if (in.Fail()) {
    if (error) *error = in.ErrorText().empty() ? AString(L"the text could not be read") : in.ErrorText();
    return false;
  }
  out = std::move(read);
  return true;
}

ReadError WriteBlockFile(const LongFileName& file, const CBlock& block) {
  CToken_ostream out(file, kTokenStreamCreate);
  out << block;
  out.Close();
  return out.Fail() ? kWriteFailed : kNoError;
}

ReadError ReadBlockFile(const LongFileName& file, CBlock& block, AString* error) {
  CToken_istream in(file, kTokenStreamRead);
  if (in.Fail()) {
    if (error) *error = in.ErrorText();
    return kKeyMissing;
  }
  return ReadSingleBlock(in, block, error) ? kNoError : kConversionFailed;
}

AString BlockToText(const CBlock& block) {
  CStringToken_ostream out;
  out << block;
  return out.Text();
}

bool BlockFromText(const AString& text, CBlock& block, AString* error) {
  CStringToken_istream in(text);
  return ReadSingleBlock(in, block, error);
}

}  // namespace io

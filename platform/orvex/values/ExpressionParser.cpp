#include "orvex/values/ExpressionParser.h"

#include "orvex/values/Dataset.h"
#include "orvex/values/ExpressionCompiler.h"
#include "orvex/values/Function.h"
#include "orvex/values/IValueParser.h"
#include "orvex/values/Value.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableNameSpace.h"

namespace {

bool IsKnownName(const AString& name, const std::vector<IValueParser*>& parsers) {
  const VariableNameSpace* ns = VariableNameSpace::GetCurrent();
  if (ns && ns->ResolveOwnVariable(name)) return true;
  if ((!ns || ns->SearchesIntrinsics()) && Variable::FindIntrinsic(name)) return true;
  if (Variable::FindConstant(name) || Function::Find(name)) return true;
  for (IValueParser* p : parsers)
    if (p && p->GetValueForName(name)) return true;
  return false;
}

}  // namespace

int ExpressionParser::ValidateExpression(Value& out, const AString& text, const std::vector<IValueParser*>& parsers) {
  return out.Parse(text, out.GetGivenUnits(), &parsers) ? 1 : 0;
}

int ExpressionParser::GetAlienLabels(const AString& text, const std::vector<IValueParser*>& parsers,
                                     std::vector<AString>& labels) {
  exprscan::Scanner scan(text);
  std::vector<AString> found;
  bool datasetNameNext = false;  // the first argument of table() names a design dataset
  for (;;) {
    exprscan::Token t = scan.Next(true);
    if (t.kind == exprscan::TokenKind::kEnd) break;
    if (t.kind != exprscan::TokenKind::kIdentifier) {
      if (!(t.kind == exprscan::TokenKind::kOperator && t.op == L'(')) datasetNameNext = false;
      continue;
    }
    AString name = text.substr(t.begin, t.end - t.begin);
    if (datasetNameNext) {
      datasetNameNext = false;
      if (DatasetServer::GetDesignDatasetServer()->FindDataset(name) >= 0) continue;
    }
    if (name.CompareNoCase(L"table") == 0) datasetNameNext = true;
    double number = 0;
    bool imaginary = false;
    if (exprscan::IsNumberKeyword(name, number, imaginary)) continue;
    // A name with a parenthesised tail ("V(out)") is one name unless it calls a function.
    size_t after = scan.Position();
    scan.SkipSpace();
    if (scan.Position() < text.size() && text[scan.Position()] == L'(' && !Function::Find(name)) {
      int depth = 0;
      for (size_t p = scan.Position(); p < text.size(); ++p) {
        if (text[p] == L'(') ++depth;
        if (text[p] == L')' && --depth == 0) {
          name = text.substr(t.begin, p + 1 - t.begin);
          after = p + 1;
          break;
        }
      }
    }
    scan.SetPosition(after);
    if (IsKnownName(name, parsers)) continue;
    bool seen = false;
    for (const AString& f : found) seen = seen || f.CompareNoCase(name) == 0;
    if (!seen) found.push_back(name);
  }
  labels.insert(labels.end(), found.begin(), found.end());
  return static_cast<int>(found.size());
}

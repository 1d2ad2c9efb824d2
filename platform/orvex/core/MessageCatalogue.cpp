#include "orvex/core/MessageCatalogue.h"

#include <algorithm>
#include <iterator>

#include "orvex/core/I18n.h"
#include "orvex/core/VelmorMessage.h"

namespace orvex {

namespace {

struct CatalogueEntry {
  int id;
  const wchar_t* text;
};

// Sorted by number.
const CatalogueEntry kCatalogue[] = {
    {17001, L"The report name \"%1\" is used more than once."},
    {17002, L"The expression \"%1\" is not valid."},
    {17004, L"Files of type \"%1\" cannot be imported."},
    {17006, L"The file \"%1\" does not exist."},
    {17008, L"The trace \"%1\" could not be bound to its solution or point set and was removed."},
    {17009, L"The solution of trace \"%1\" is gone or no longer offers its report type."},
    {17011, L"The change would make every trace of report \"%1\" invalid; no trace was removed."},
    {17012, L"Not all selected values of sweep \"%1\" were kept for trace \"%2\"."},
    {17013, L"Sweep \"%1\" of trace \"%2\" does not exist in the chosen solution and was left out."},
    {17014, L"The solution of trace \"%1\" no longer supports its report type or context."},
    {17015, L"The sweeps of trace \"%1\" changed; its expressions were adjusted."},
    {17016, L"Extracting trace data failed on an unexpected error."},
    {17017, L"The trace for the expression \"%1\" is not valid."},
    {17018, L"A trace request has no expression or no sweep."},
    {17019, L"The value \"%1\" is not a real or complex number and was skipped."},
    {17020, L"The x value \"%1\" is not a real or complex number."},
    {17021, L"The y value \"%1\" is of another type than the earlier values of its column."},
    {17022, L"The x value \"%1\" is of another type than the earlier x values."},
    {17023, L"The columns of an imported component could not be created."},
    {17024, L"Reading the file failed on an unexpected error."},
    {17025, L"The header of the file could not be read."},
    {17026, L"A data row of the file has too few values."},
    {17028, L"A data row of the file has too many values."},
    {17029, L"A component of the file received no values."},
    {17030, L"The value %1 lies outside the sweep range from %2 to %3."},
    {17031, L"More than one value was found for the variation %1; the first one is used."},
    {17032, L"The variable \"%1\" is still in use and cannot be deleted."},
    {17033, L"The interpolated value is not a number."},
    {24464, L"%1"},
    {24527, L"A variable named \"%1\" already exists."},
    {24555, L"There is no output variable named \"%1\"."},
    {24557, L"\"%1\" is already a quantity or an output variable of the solution."},
    {24558, L"\"%1\" cannot be used as a variable name."},
    {24559, L"The expression \"%1\" is not valid for the solution."},
    {24575, L"The variable name \"%1\" must be a single plain name."},
    {24576, L"The output variable \"%1\" cannot refer to itself."},
    {24583, L"The output variable has no name."},
    {24605, L"The variation \"%1\" cannot be resolved."},
    {24618, L"The output variable \"%1\" is neither real nor complex."},
    {24729, L"No trace data could be extracted for solution \"%1\"."},
    {24748, L"There are no variable values at which to evaluate \"%1\"."},
};

}  // namespace

AString MessageText(int messageID) {
  auto it = std::lower_bound(std::begin(kCatalogue), std::end(kCatalogue), messageID,
                             [](const CatalogueEntry& e, int id) { return e.id < id; });
  if (it == std::end(kCatalogue) || it->id != messageID) return AString();
  return AString(it->text);
}

AString MessageDisplayText(const VelmorMessage& message) {
  const std::vector<AString>& args = message.GetArgs();
  const AString text = MessageText(message.GetMessageID());
  if (text.empty()) {
    AString out = L"Message " + i18n::MakeNumberString(message.GetMessageID());
    for (size_t i = 0; i < args.size(); ++i) out += (i == 0 ? L": " : L", ") + args[i];
    return out;
  }
  AString out;
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    const bool placeholder = c == L'%' && i + 1 < text.size() && text[i + 1] >= L'1' && text[i + 1] <= L'9';
    if (!placeholder) {
      out.push_back(c);
      continue;
    }
    const size_t arg = static_cast<size_t>(text[++i] - L'1');
    if (arg < args.size()) out += args[arg];
  }
  return out;
}

}  // namespace orvex

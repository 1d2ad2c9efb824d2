#include "orvex/values/IValueParser.h"

#include "orvex/core/Assert.h"
#include "orvex/values/Value.h"

ValueState IValueParser::GetValueState(const AString&) {
  ORVEX_ASSERT(0);
  return ValueState();
}

InstalledParserScope::InstalledParserScope(IValueParser* parser)
    : m_prev(Value::SetValueParser(parser)), m_mine(parser) {}

InstalledParserScope::~InstalledParserScope() {
  IValueParser* out = Value::SetValueParser(m_prev);
  ORVEX_ASSERT(out==m_mine);
}

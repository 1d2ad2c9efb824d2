#include "orvex/core/VelmorMessage.h"

#include "orvex/core/Assert.h"

const AString MessageManagerStrings::kNullStr;

ArgumentManager::ArgumentManager() = default;

ArgumentManager::~ArgumentManager() = default;

void ArgumentManager::AddArg(const AString& text, int index) {
  ORVEX_ASSERT(index>=0);
  if (index < 0) return;
  const size_t i = static_cast<size_t>(index);
  if (m_args.size() <= i) m_args.resize(i + 1);
  m_args[i] = text;
}

VelmorMessage::VelmorMessage(int severity, int a, int messageID, int secondID, int d, const AString& s1,
                             const AString& s2, bool flag)
    : m_severity(severity),
      m_a(a),
      m_messageID(messageID),
      m_secondID(secondID),
      m_d(d),
      m_s1(s1),
      m_s2(s2),
      m_flag(flag) {}

VelmorMessage::~VelmorMessage() = default;

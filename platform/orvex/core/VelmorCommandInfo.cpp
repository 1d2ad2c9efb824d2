#include "orvex/core/VelmorCommandInfo.h"

#include "orvex/core/Assert.h"

VelmorCommandInfo::VelmorCommandInfo(unsigned word0, unsigned word1) : m_words{word0, word1} {}

VelmorCommandInfo::~VelmorCommandInfo() = default;

unsigned VelmorCommandInfo::GetFlagWord(int i) const {
  ORVEX_ASSERT(i==0||i==1);
  return i == 0 || i == 1 ? m_words[i] : 0;
}

void VelmorCommandInfo::SetFlagWord(int i, unsigned word) {
  ORVEX_ASSERT(i==0||i==1);
  if (i == 0 || i == 1) m_words[i] = word;
}

unsigned VelmorCommandInfo::OrFlagWord(int i, unsigned bits) {
  ORVEX_ASSERT(i==0||i==1);
  if (i != 0 && i != 1) return 0;
  m_words[i] |= bits;
  return m_words[i];
}

void VelmorCommandInfo::MergeInfo(const VelmorCommandInfo& other) {
  if (&other == this) return;
  m_words[0] |= other.m_words[0];
  m_words[1] |= other.m_words[1];
  m_new.insert(other.m_new.begin(), other.m_new.end());
  m_edited.insert(other.m_edited.begin(), other.m_edited.end());
  m_deleted.insert(other.m_deleted.begin(), other.m_deleted.end());
}

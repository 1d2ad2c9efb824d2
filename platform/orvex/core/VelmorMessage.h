// A numbered user message with its arguments, as it is posted to the message manager.
#pragma once

#include <array>
#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"

// The arguments that fill a message text, by position.
class ORVEX_API ArgumentManager {
public:
  ArgumentManager();
  virtual ~ArgumentManager();

  // Stores `text` at `index`; the vector grows as needed and gaps stay empty.
  void AddArg(const AString& text, int index);
  const std::vector<AString>& GetArgs() const { return m_args; }

private:
  std::vector<AString> m_args;
};

class ORVEX_API VelmorMessage : public ArgumentManager {
public:
  enum Severity { kWarning = 0, kError = 1 };

  // The four integers are kept as given: usually (14, message ID, a second ID, 6).
  VelmorMessage(int severity, int a, int messageID, int secondID, int d, const AString& s1, const AString& s2,
                bool flag);
  ~VelmorMessage() override;

  int GetSeverity() const { return m_severity; }
  int GetIntA() const { return m_a; }
  int GetMessageID() const { return m_messageID; }
  int GetSecondID() const { return m_secondID; }
  int GetIntD() const { return m_d; }
  // (a, message ID, second ID, d), for comparing in one go.
  std::array<int, 4> GetInts() const { return {m_a, m_messageID, m_secondID, m_d}; }
  const AString& GetString1() const { return m_s1; }
  const AString& GetString2() const { return m_s2; }
  bool GetFlag() const { return m_flag; }

private:
  int m_severity;
  int m_a;
  int m_messageID;
  int m_secondID;
  int m_d;
  AString m_s1;
  AString m_s2;
  bool m_flag;
};

struct ORVEX_API MessageManagerStrings {
  static const AString kNullStr;  // empty
};

// The reference host's desktop: a switch for whether the product takes the new reporter.
#pragma once

#include "orvex/core/Assert.h"
#include "orvex/core/IOrvDesktop.h"

namespace refhost {

class ReferenceDesktop : public IOrvDesktop {
public:
  explicit ReferenceDesktop(bool supportsNewReporter = true);
  ~ReferenceDesktop() override;
  bool SupportsNewReporter() override {
    ++m_questions;
    return m_supports;
  }
  void SetSupportsNewReporter(bool supports) { m_supports = supports; }
  int GetNumQuestions() const { return m_questions; }

  // Installs the desktop for the scope's lifetime and puts the previous one back.
  class Installed {
  public:
    explicit Installed(ReferenceDesktop& desktop) : m_prev(SetIOrvDesktop(&desktop)), m_mine(&desktop) {}
    ~Installed() {
      IOrvDesktop* out = SetIOrvDesktop(m_prev);
      ORVEX_ASSERT(out == m_mine);  // a nested install was not undone
    }
    Installed(const Installed&) = delete;
    Installed& operator=(const Installed&) = delete;

  private:
    IOrvDesktop* m_prev;  // put back when the scope ends
    IOrvDesktop* m_mine;
  };

private:
  bool m_supports;
  int m_questions = 0;
};

}  // namespace refhost

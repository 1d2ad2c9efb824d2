// One sweep of a solution as the report engine sees it: its name, variables and values.
#pragma once

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"

class AbstractSubsweepDefParams;
class PostprocessSweep;
class Sweep;
class SynchronizedSweep;
class Variable;

class POSTORVEX_API SweepBase {
public:
  virtual ~SweepBase();                                                            // 0
  virtual Sweep* GetSweep();                                                       // 1, this for a single sweep
  virtual SynchronizedSweep* GetSynchronizedSweep();                               // 2
  virtual PostprocessSweep* GetPostprocessSweep();                                 // 3
  virtual void Reserved4() {}                                                      // 4
  // The whole range stays in a trace: the sweep cannot be held fixed.
  virtual bool IsSpecialSweep() const = 0;                                         // 5
  virtual void Reserved6() {}                                                      // 6
  virtual void Reserved7() {}                                                      // 7
  virtual void Reserved8() {}                                                      // 8
  // A new definition owned by the caller; null when the sweep is set to make none.
  virtual AbstractSubsweepDefParams* CreateDefaultSubsweepDefParams() const = 0;   // 9
  virtual void Reserved10() {}                                                     // 10
  virtual void Reserved11() {}                                                     // 11
  virtual AString GetValueText(unsigned index) const = 0;                          // 12
  virtual void Reserved13() {}                                                     // 13
  virtual unsigned GetNumValues() const = 0;                                       // 14
  virtual void Reserved15() {}                                                     // 15
  // Index 0 is the sweep's variable; a synchronized sweep gives its members' variables.
  virtual Variable* GetVariable(unsigned index) const = 0;                         // 16
  virtual void Reserved17() {}                                                     // 17
  virtual void Reserved18() {}                                                     // 18
  virtual void Reserved19() {}                                                     // 19
  virtual void Reserved20() {}                                                     // 20
  virtual void Reserved21() {}                                                     // 21
  virtual void Reserved22() {}                                                     // 22
  virtual void Reserved23() {}                                                     // 23
  virtual AString GetName() const = 0;                                             // 24
};

// How a trace picks the points along one sweep: its kind, its sweep and its choice of values.
#pragma once

#include "orvex/core/AString.h"
#include "orvex/core/MUndoableObject.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/io/ReadError.h"

class Column;
class ValidateSubsweepDefParamsVisitor;
namespace io {
class CBlock;
}  // namespace io

namespace rep {

const int kSpecialSubsweepDefParamType = 1;

// Which values of its sweep a subsweep definition plots.
enum SubsweepDefChoiceType : int {
  kAllValuesChoice = 1,      // every value of the sweep
  kNominalValueChoice = 2,   // follows the design variation
  kSelectedValuesChoice = 3  // the selection
};

}  // namespace rep

class POSTORVEX_API AbstractSubsweepDefParams : public MUndoableObject {
public:
  enum Kind : int { kSpecial = 1, kRegular = 2, kSpecifiable = 3, kSynchronized = 4 };

  ~AbstractSubsweepDefParams() override;
  virtual int GetSubsweepDefParamType() const = 0;                            // 6, the kind
  virtual int GetSubsweepDefChoiceType() const;                               // 7
  virtual void Reserved8() {}                                                 // 8
  virtual void Reserved9() {}                                                 // 9
  virtual AString GetSweepName() const;                                       // 10
  virtual bool Accept(ValidateSubsweepDefParamsVisitor& visitor) const = 0;   // 11
  // Keys "Kind", "SweepName", "ChoiceType", and the column sub-blocks of the kind.
  virtual io::ReadError DoDataExchange(io::CBlock& block, bool read);         // 12
  virtual void Reserved13() {}                                                // 13
  virtual void Reserved14() {}                                                // 14

  void SetSweepName(const AString& name) { m_sweepName = name; }
  // Clone() as the definition it is; owned by the caller.
  AbstractSubsweepDefParams* CloneDefParams() const;
  static bool IsValidChoiceType(int choiceType) { return choiceType >= 1 && choiceType <= 3; }

protected:
  AbstractSubsweepDefParams(const AString& sweepName, int choiceType);
  AbstractSubsweepDefParams(const AbstractSubsweepDefParams&) = default;
  AbstractSubsweepDefParams& operator=(const AbstractSubsweepDefParams&) = default;

  // The items of each layer, read straight into the members; each kind adds its own.
  virtual io::ReadError ExchangeContent(io::CBlock& block, bool read);

  AString m_sweepName;
  int m_choiceType;
};

// What a command did, kept on the command under a kind: flag words and new, edited, deleted IDs.
#pragma once

#include <set>

#include "orvex/core/OrvexApi.h"

// Kinds under which infos are attached to a command (IVelmorCommand::AddInfo / GetInfo).
namespace cmdinfo {
constexpr int kOutputVariablesKind = 26;      // COutputVarVlmrCmdInfo
constexpr int kRenameQuantitiesKind = 35500;  // RenameQuantitiesCmdInfo
constexpr int kReportsSourceKind = 35600;     // the reports' info, where the reference owner keeps it
constexpr int kProjectDatasetKind = 57301;    // must never be on an edit command of reports
constexpr int kDatasetKind = 57302;           // DatasetCommandInfo
}  // namespace cmdinfo

class ORVEX_API VelmorCommandInfo {
public:
  explicit VelmorCommandInfo(unsigned word0 = 0, unsigned word1 = 0);
  virtual ~VelmorCommandInfo();

  // Word 0 or 1; any other index is refused (0, nothing changed).
  unsigned GetFlagWord(int i) const;
  void SetFlagWord(int i, unsigned word);
  // Answers the new word.
  unsigned OrFlagWord(int i, unsigned bits);

  void AddNewElement(long id) { m_new.insert(id); }
  void AddEditedElement(long id) { m_edited.insert(id); }
  void AddDeletedElement(long id) { m_deleted.insert(id); }
  bool IsNewElement(long id) const { return m_new.count(id) != 0; }
  bool IsEditedElement(long id) const { return m_edited.count(id) != 0; }
  bool IsDeletedElement(long id) const { return m_deleted.count(id) != 0; }
  const std::set<long>& GetNewElements() const { return m_new; }
  const std::set<long>& GetEditedElements() const { return m_edited; }
  const std::set<long>& GetDeletedElements() const { return m_deleted; }

  // Union of the three sets, OR of both words.
  virtual void MergeInfo(const VelmorCommandInfo& other);

private:
  unsigned m_words[2];
  std::set<long> m_new;
  std::set<long> m_edited;
  std::set<long> m_deleted;
};

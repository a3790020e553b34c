#pragma once

#include <optional>

#include "archive/archiveitem.h"

class ArchiveFile;

// The rows beside the readings: the journal of writes to the tester, and the constants a
// calibration replaced, kept for one write-back.
class ArchiveRecords {
public:
  explicit ArchiveRecords(ArchiveFile& file) : m_file(file) {}

  // A journal entry, or constants kept, taken over or dropped; false when the write failed
  // (the file's lastError() says why). The caller holds the transaction.
  bool write(const ArchiveItem& item);
  // The constants the file keeps for the slot; nullopt when none (or unreadable).
  std::optional<KeptConstants> kept(ScaleNumber slot) const;

private:
  bool writeJournal(const ArchiveItem& entry);
  bool writeKept(const KeptConstants& kept, bool onlyIfLater);

  ArchiveFile& m_file;
};

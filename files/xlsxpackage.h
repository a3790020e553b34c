#pragma once

#include <optional>

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QString>

// The zip container of a workbook, read part by part through minizip (the zip library
// libxlsxwriter already brings; QuaZip cannot share a process with it, as both export the
// same minizip symbols). A part is never inflated past maxPartSize, whatever its header
// claims, so a compressed bomb fails instead of filling memory.
class XlsxPackage {
public:
  // 100,000 measurement rows take 16 MiB of sheet XML as saved here, 23 MiB once re-saved by
  // LibreOffice. Reading a part this size, whatever it holds, takes about a second.
  static constexpr qint64 maxPartSize = 32 * 1024 * 1024;
  // Workbooks hold tens of parts; a directory of many more is not one worth scanning.
  static constexpr int maxEntries = 10000;

  explicit XlsxPackage(const QString& fileName);
  ~XlsxPackage();
  XlsxPackage(const XlsxPackage&) = delete;
  XlsxPackage& operator=(const XlsxPackage&) = delete;

  bool isOpen() const { return m_zip != nullptr; }
  // Part names are matched as the format asks: without a leading "/" and ignoring case.
  bool contains(const QString& partName) const;
  // The whole part; nothing when it is missing, damaged, encrypted or too large.
  std::optional<QByteArray> read(const QString& partName);

private:
  struct EntryPosition {
    quint64 directoryOffset;
    quint64 entryNumber;
  };

  static QString normalized(const QString& partName);
  bool readDirectory();

  QFile m_file;
  void* m_zip = nullptr;
  QHash<QString, EntryPosition> m_entries; // by normalized name
};

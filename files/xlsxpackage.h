#pragma once

#include <optional>

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QString>

#include "files/xlsxfailure.h"

// The zip container of a workbook, read part by part through minizip (the zip library
// libxlsxwriter already brings; QuaZip cannot share a process with it, as both export the
// same minizip symbols). A part must inflate to exactly the size its header declares, so the
// declared sizes can be trusted: a part over the cap the caller gives, or a package whose
// parts together declare more than maxPackageSize, is refused before anything is inflated.
class XlsxPackage {
public:
  // What the reader of a sheet gets at most. A full sheet of 1,048,576 measurement rows takes
  // about 180 MiB of XML as saved here and 240 MiB once re-saved by LibreOffice.
  static constexpr qint64 maxSheetPartSize = 320LL * 1024 * 1024;
  // The shared strings of such a sheet re-saved by LibreOffice (one date text per row).
  static constexpr qint64 maxStringsPartSize = 96LL * 1024 * 1024;
  // Relationships, the sheet list, the cell formats: a few kilobytes in real workbooks.
  static constexpr qint64 maxSmallPartSize = 8LL * 1024 * 1024;
  // Every part of one package, together.
  static constexpr qint64 maxPackageSize = 448LL * 1024 * 1024;
  // Workbooks inflate about tenfold, fifteenfold when every row is the same; a package that
  // inflates a hundredfold is a bomb and is refused before anything is inflated.
  static constexpr quint64 maxInflationRatio = 100;
  static constexpr qint64 freeInflation = 1024 * 1024;
  // Workbooks hold tens of parts; a directory of many more is not one worth scanning.
  static constexpr int maxEntries = 10000;

  explicit XlsxPackage(const QString& fileName);
  ~XlsxPackage();
  XlsxPackage(const XlsxPackage&) = delete;
  XlsxPackage& operator=(const XlsxPackage&) = delete;

  bool isOpen() const { return m_zip != nullptr; }
  // Part names are matched as the format asks: without a leading "/" and ignoring case.
  bool contains(const QString& partName) const;
  // The whole part; nothing when it is missing, damaged, encrypted or larger than maxSize.
  std::optional<QByteArray> read(const QString& partName, qint64 maxSize = maxSmallPartSize);
  // Why the package or its last part could not be read.
  XlsxFailure failure() const { return m_failure; }

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
  XlsxFailure m_failure = XlsxFailure::None;
};

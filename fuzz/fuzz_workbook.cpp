// A whole file given to the workbook reader, as a user could pick any file in the open
// dialog: the measurement workbook's reading, then every sheet and cell of the generic one.
#include <cstddef>
#include <cstdint>

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include "files/measurementworkbook.h"
#include "files/xlsxdocument.h"

namespace {

QString scratchFile() {
  // One file per process, rewritten for each input; /dev/shm keeps it off the disk.
  const QString folder =
      QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
  return folder +
         QStringLiteral("/brenmo-fuzz-workbook-%1.xlsx").arg(QCoreApplication::applicationPid());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const QString fileName = scratchFile();
  {
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
      return 0;
    file.write(reinterpret_cast<const char*>(data), qint64(size));
  }

  readMeasurementWorkbook(fileName);

  XlsxDocument document(fileName);
  for (const QString& name : document.sheetNames()) {
    if (!document.selectSheet(name))
      continue;
    for (int row = 1; row <= 8; ++row)
      for (int column = 1; column <= 4; ++column)
        document.read(row, column);
  }
  QFile::remove(fileName);
  return 0;
}

// Whole workbooks built from the input's parts: the workbook, its relationships, shared
// strings, styles and sheets as any program might write them. A mutated zip mostly fails its
// checksums before any XML is read; zipping the parts here, with correct checksums, lets
// the mutations reach every part the reader parses.
//
// Input: parts separated by a line "@@"; each part is its name on the first line, then its
// bytes ("xl/workbook.xml\n<workbook ...").
#include <cstddef>
#include <cstdint>

#include <minizip/zip.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include "files/measurementworkbook.h"
#include "files/xlsxdocument.h"

namespace {

QString scratchFile() {
  const QString folder =
      QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
  return folder +
         QStringLiteral("/brenmo-fuzz-parts-%1.xlsx").arg(QCoreApplication::applicationPid());
}

bool zipParts(const QString& fileName, const QByteArray& input) {
  zipFile zip = zipOpen64(QFile::encodeName(fileName).constData(), APPEND_STATUS_CREATE);
  if (!zip)
    return false;
  for (const QByteArray& part : input.split('\x01')) {
    const int newline = part.indexOf('\n');
    const QByteArray name = (newline < 0 ? part : part.left(newline)).trimmed();
    const QByteArray bytes = newline < 0 ? QByteArray() : part.mid(newline + 1);
    if (name.isEmpty())
      continue;
    if (zipOpenNewFileInZip64(zip,
                              name.constData(),
                              nullptr,
                              nullptr,
                              0,
                              nullptr,
                              0,
                              nullptr,
                              0 /* stored: fast */,
                              0,
                              0) != ZIP_OK)
      break;
    zipWriteInFileInZip(zip, bytes.constData(), unsigned(bytes.size()));
    zipCloseFileInZip(zip);
  }
  return zipClose(zip, nullptr) == ZIP_OK;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const QString fileName = scratchFile();
  QByteArray input(reinterpret_cast<const char*>(data), int(size));
  input.replace("\n@@\n", "\x01");
  if (!zipParts(fileName, input))
    return 0;

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

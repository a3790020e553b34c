#include "files/xlsxpackage.h"

#include <minizip/unzip.h>

namespace {

// minizip reads through these, so that file names reach the system as Qt passes them
// (Unicode on every platform). The "file name" minizip hands over is the QFile itself.
voidpf openFile(voidpf, const void* file, int) {
  return const_cast<void*>(file);
}

uLong readFile(voidpf, voidpf file, void* buffer, uLong size) {
  const qint64 count = static_cast<QFile*>(file)->read(static_cast<char*>(buffer), qint64(size));
  return count < 0 ? 0 : uLong(count);
}

uLong writeFile(voidpf, voidpf, const void*, uLong) {
  return 0;
}

ZPOS64_T tellFile(voidpf, voidpf file) {
  return ZPOS64_T(static_cast<QFile*>(file)->pos());
}

long seekFile(voidpf, voidpf file, ZPOS64_T offset, int origin) {
  auto* device = static_cast<QFile*>(file);
  qint64 position = qint64(offset);
  if (origin == ZLIB_FILEFUNC_SEEK_CUR) {
    position += device->pos();
  } else if (origin == ZLIB_FILEFUNC_SEEK_END) {
    position += device->size();
  }
  return device->seek(position) ? 0 : -1;
}

int closeFile(voidpf, voidpf) {
  return 0;
}

int fileError(voidpf, voidpf file) {
  return static_cast<QFile*>(file)->error() == QFileDevice::NoError ? 0 : -1;
}

} // namespace

XlsxPackage::XlsxPackage(const QString& fileName) : m_file(fileName) {
  if (!m_file.open(QIODevice::ReadOnly)) {
    return;
  }
  zlib_filefunc64_def functions{
      openFile, readFile, writeFile, tellFile, seekFile, closeFile, fileError, nullptr};
  m_zip = unzOpen2_64(&m_file, &functions);
  if (m_zip && !readDirectory()) {
    unzClose(m_zip);
    m_zip = nullptr;
  }
}

XlsxPackage::~XlsxPackage() {
  if (m_zip) {
    unzClose(m_zip);
  }
}

bool XlsxPackage::readDirectory() {
  unz_global_info64 global{};
  if (unzGetGlobalInfo64(m_zip, &global) != UNZ_OK || global.number_entry == 0 ||
      global.number_entry > ZPOS64_T(maxEntries)) {
    return false;
  }
  for (int status = unzGoToFirstFile(m_zip); status == UNZ_OK; status = unzGoToNextFile(m_zip)) {
    char name[1024];
    unz_file_info64 info{};
    unz64_file_pos position{};
    if (unzGetCurrentFileInfo64(m_zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) !=
            UNZ_OK ||
        unzGetFilePos64(m_zip, &position) != UNZ_OK || m_entries.size() >= maxEntries) {
      return false;
    }
    const int length = int(qMin<ZPOS64_T>(info.size_filename, sizeof name));
    m_entries.insert(normalized(QString::fromUtf8(name, length)),
                     {position.pos_in_zip_directory, position.num_of_file});
  }
  return !m_entries.isEmpty();
}

QString XlsxPackage::normalized(const QString& partName) {
  QString name = partName;
  name.replace(QLatin1Char('\\'), QLatin1Char('/'));
  while (name.startsWith(QLatin1Char('/'))) {
    name.remove(0, 1);
  }
  return name.toLower();
}

bool XlsxPackage::contains(const QString& partName) const {
  return m_entries.contains(normalized(partName));
}

std::optional<QByteArray> XlsxPackage::read(const QString& partName) {
  const auto entry = m_entries.constFind(normalized(partName));
  if (!m_zip || entry == m_entries.cend()) {
    return std::nullopt;
  }
  unz64_file_pos position{entry->directoryOffset, entry->entryNumber};
  unz_file_info64 info{};
  if (unzGoToFilePos64(m_zip, &position) != UNZ_OK ||
      unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
      (info.flag & 1) != 0 || unzOpenCurrentFile(m_zip) != UNZ_OK) {
    return std::nullopt; // bit 0 of the flags: encrypted
  }
  QByteArray data;
  // The declared size is only a hint: a hostile header may understate or overstate it.
  data.reserve(int(qMin<quint64>(info.uncompressed_size, quint64(maxPartSize))));
  char buffer[64 * 1024];
  int count = 0;
  while ((count = unzReadCurrentFile(m_zip, buffer, sizeof buffer)) > 0 &&
         data.size() + count <= maxPartSize) {
    data.append(buffer, count);
  }
  // Closing after the whole part was read checks its CRC.
  const int closed = unzCloseCurrentFile(m_zip);
  if (count != 0 || closed != UNZ_OK) {
    return std::nullopt;
  }
  return data;
}

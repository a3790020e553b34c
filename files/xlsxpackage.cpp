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
  if (origin == ZLIB_FILEFUNC_SEEK_CUR)
    position += device->pos();
  else if (origin == ZLIB_FILEFUNC_SEEK_END)
    position += device->size();
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
    m_failure = XlsxFailure::Unreadable;
    return;
  }
  zlib_filefunc64_def functions{
      openFile, readFile, writeFile, tellFile, seekFile, closeFile, fileError, nullptr};
  m_zip = unzOpen2_64(&m_file, &functions);
  if (m_zip && !readDirectory()) {
    unzClose(m_zip);
    m_zip = nullptr;
  }
  if (!m_zip && m_failure == XlsxFailure::None)
    m_failure = XlsxFailure::NotAWorkbook;
}

XlsxPackage::~XlsxPackage() {
  if (m_zip)
    unzClose(m_zip);
}

bool XlsxPackage::readDirectory() {
  unz_global_info64 global{};
  if (unzGetGlobalInfo64(m_zip, &global) != UNZ_OK || global.number_entry == 0 ||
      global.number_entry > ZPOS64_T(maxEntries))
    return false;
  quint64 declaredTotal = 0;
  quint64 compressedTotal = 0;
  for (int status = unzGoToFirstFile(m_zip); status == UNZ_OK; status = unzGoToNextFile(m_zip)) {
    char name[1024];
    unz_file_info64 info{};
    unz64_file_pos position{};
    if (unzGetCurrentFileInfo64(m_zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) !=
            UNZ_OK ||
        unzGetFilePos64(m_zip, &position) != UNZ_OK || m_entries.size() >= maxEntries)
      return false;
    // Every part must inflate to its declared size, so their sum bounds what reading costs.
    declaredTotal += info.uncompressed_size;
    compressedTotal += info.compressed_size;
    if (declaredTotal > quint64(maxPackageSize)) {
      m_failure = XlsxFailure::TooLarge;
      return false;
    }
    const int length = int(qMin<ZPOS64_T>(info.size_filename, sizeof name));
    m_entries.insert(normalized(QString::fromUtf8(name, length)),
                     {position.pos_in_zip_directory, position.num_of_file});
  }
  if (declaredTotal > quint64(freeInflation) &&
      declaredTotal / maxInflationRatio > compressedTotal) {
    m_failure = XlsxFailure::TooLarge;
    return false;
  }
  return !m_entries.isEmpty();
}

QString XlsxPackage::normalized(const QString& partName) {
  QString name = partName;
  name.replace(QLatin1Char('\\'), QLatin1Char('/'));
  while (name.startsWith(QLatin1Char('/')))
    name.remove(0, 1);
  return name.toLower();
}

bool XlsxPackage::contains(const QString& partName) const {
  return m_entries.contains(normalized(partName));
}

std::optional<QByteArray> XlsxPackage::read(const QString& partName, qint64 maxSize) {
  const auto entry = m_entries.constFind(normalized(partName));
  if (!m_zip || entry == m_entries.cend())
    return std::nullopt;
  const auto fail = [this](XlsxFailure failure) {
    m_failure = failure;
    return std::nullopt;
  };
  unz64_file_pos position{entry->directoryOffset, entry->entryNumber};
  unz_file_info64 info{};
  if (unzGoToFilePos64(m_zip, &position) != UNZ_OK ||
      unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
      (info.flag & 1) != 0)
    return fail(XlsxFailure::Damaged); // bit 0 of the flags: encrypted
  // The declared size is checked against the data below, so it can be trusted here.
  const quint64 declared = info.uncompressed_size;
  if (declared > quint64(maxSize))
    return fail(XlsxFailure::TooLarge);
  if (unzOpenCurrentFile(m_zip) != UNZ_OK)
    return fail(XlsxFailure::Damaged);
  QByteArray data(int(declared), Qt::Uninitialized);
  qint64 filled = 0;
  int count = 0;
  // minizip inflates no further than the declared size; one byte more tells data too long.
  char probe = 0;
  while (filled < data.size() &&
         (count = unzReadCurrentFile(m_zip, data.data() + filled, unsigned(data.size() - filled))) >
             0)
    filled += count;
  const bool exact =
      filled == data.size() && count >= 0 && unzReadCurrentFile(m_zip, &probe, 1) == 0;
  // Closing after the whole part was read checks its CRC; a short part is never checked, so
  // it is refused on its size.
  const int closed = unzCloseCurrentFile(m_zip);
  if (!exact || closed != UNZ_OK)
    return fail(XlsxFailure::Damaged);
  return data;
}

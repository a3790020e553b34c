#include "files/xlsxwriter.h"

#include <clocale>
#include <cmath>
#ifndef Q_OS_WIN
#include <locale.h>
#endif

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTemporaryFile>

#include <xlsxwriter.h>

namespace {

// Characters in a cell, the format's limit.
constexpr int maxTextLength = 32767;

// libxlsxwriter opens files with the C library: UTF-8 names on Windows, local names elsewhere.
QByteArray cFileName(const QString& fileName) {
#ifdef Q_OS_WIN
  return QDir::toNativeSeparators(fileName).toUtf8();
#else
  return QFile::encodeName(fileName);
#endif
}

// Readers take "_xHHHH_" in a text for an escaped character (libxlsxwriter writes control
// characters so); text that merely looks like one gets its "_" escaped, as spreadsheets do.
QByteArray protectEscapes(const QString& text) {
  if (!text.contains(QLatin1String("_x")))
    return text.toUtf8();
  static const QRegularExpression lookalike(QStringLiteral("_(?=x[0-9A-Fa-f]{4}_)"));
  return QString(text).replace(lookalike, QStringLiteral("_x005F_")).toUtf8();
}

bool isNumber(const QVariant& value) {
  switch (value.userType()) {
  case QMetaType::Double:
  case QMetaType::Float:
  case QMetaType::Int:
  case QMetaType::UInt:
  case QMetaType::LongLong:
  case QMetaType::ULongLong:
    return true;
  default:
    return false;
  }
}

bool writeCell(
    lxw_worksheet* worksheet, int row, int column, const QVariant& value, lxw_format* dateFormat) {
  const auto r = lxw_row_t(row - 1);
  const auto c = lxw_col_t(column - 1);
  switch (value.userType()) {
  case QMetaType::QDateTime: {
    const QDateTime dateTime = value.toDateTime();
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    lxw_datetime stamp{date.year(),
                       date.month(),
                       date.day(),
                       time.hour(),
                       time.minute(),
                       time.second() + time.msec() / 1000.0};
    return worksheet_write_datetime(worksheet, r, c, &stamp, dateFormat) == LXW_NO_ERROR;
  }
  case QMetaType::QString:
    return worksheet_write_string(
               worksheet, r, c, protectEscapes(value.toString()).constData(), nullptr) ==
           LXW_NO_ERROR;
  case QMetaType::Bool:
    return worksheet_write_boolean(worksheet, r, c, value.toBool(), nullptr) == LXW_NO_ERROR;
  default:
    return isNumber(value) &&
           worksheet_write_number(worksheet, r, c, value.toDouble(), nullptr) == LXW_NO_ERROR;
  }
}

// libxlsxwriter prints numbers with the C library, which follows the process locale: in
// ru_RU.UTF-8 a hardness becomes "52,25", which no reader takes for a number. While one of
// these lives, this thread formats numbers the C way; other threads are not touched.
class CNumericLocale {
public:
#ifdef Q_OS_WIN
  CNumericLocale() : m_perThread(_configthreadlocale(_ENABLE_PER_THREAD_LOCALE)) {
    if (const char* current = std::setlocale(LC_NUMERIC, nullptr))
      m_previous = current;
    std::setlocale(LC_NUMERIC, "C");
  }
  ~CNumericLocale() {
    std::setlocale(LC_NUMERIC, m_previous.constData());
    _configthreadlocale(m_perThread);
  }

private:
  int m_perThread;
  QByteArray m_previous = "C";
#else
  CNumericLocale() : m_c(newlocale(LC_NUMERIC_MASK, "C", duplocale(LC_GLOBAL_LOCALE))) {
    if (m_c)
      m_previous = uselocale(m_c);
  }
  ~CNumericLocale() {
    if (m_c) {
      uselocale(m_previous);
      freelocale(m_c);
    }
  }

private:
  locale_t m_c;
  locale_t m_previous = nullptr;
#endif
  CNumericLocale(const CNumericLocale&) = delete;
  CNumericLocale& operator=(const CNumericLocale&) = delete;
};

XlsxFailure failureOf(const QFileDevice& file) {
  switch (file.error()) {
  case QFileDevice::ResourceError:
    return XlsxFailure::DiskFull;
  case QFileDevice::OpenError:
  case QFileDevice::PermissionsError:
  case QFileDevice::RenameError:
  case QFileDevice::RemoveError:
    return XlsxFailure::NotWritable;
  default:
    return XlsxFailure::WriteFailed;
  }
}

XlsxFailure copyFile(const QString& from, const QString& to) {
  QFile source(from);
  QSaveFile destination(to);
  if (!source.open(QIODevice::ReadOnly))
    return XlsxFailure::WriteFailed;
  if (!destination.open(QIODevice::WriteOnly))
    return XlsxFailure::NotWritable;
  char buffer[64 * 1024];
  for (qint64 count; (count = source.read(buffer, sizeof buffer)) > 0;)
    if (destination.write(buffer, count) != count)
      return failureOf(destination);
  if (source.error() != QFileDevice::NoError)
    return XlsxFailure::WriteFailed;
  return destination.commit() ? XlsxFailure::None : failureOf(destination);
}

} // namespace

bool XlsxWriter::canStore(const QVariant& value) {
  switch (value.userType()) {
  case QMetaType::QString:
    return value.toString().size() <= maxTextLength;
  case QMetaType::Bool:
    return true;
  case QMetaType::QDateTime: {
    // The format's dates begin with 1900 (serial 1) and end with 9999.
    const QDate date = value.toDateTime().date();
    return date.isValid() && date >= QDate(1900, 3, 1) && date.year() <= 9999;
  }
  default:
    return isNumber(value) && std::isfinite(value.toDouble());
  }
}

bool XlsxWriter::save(const QString& fileName, const QVector<Sheet>& sheets, XlsxFailure* failure) {
  XlsxFailure ignored = XlsxFailure::None;
  XlsxFailure& result = failure ? *failure : ignored;
  result = XlsxFailure::NotWritable;
  if (fileName.isEmpty())
    return false;
  // libxlsxwriter writes in place; it gets a scratch file and the result is moved over.
  QTemporaryFile scratch(QDir::tempPath() + QStringLiteral("/brenmo-XXXXXX.xlsx"));
  if (!scratch.open()) {
    result = scratch.error() == QFileDevice::ResourceError ? XlsxFailure::DiskFull
                                                           : XlsxFailure::WriteFailed;
    return false;
  }
  scratch.close();
  const QByteArray scratchName = cFileName(scratch.fileName());
  QByteArray tempDir = cFileName(QDir::tempPath());
  lxw_workbook_options options{};
  options.tmpdir = tempDir.data();
  // Streaming mode halves the time of 100,000 rows: no tree of every cell, no string table.
  options.constant_memory = LXW_TRUE;
  bool cellsTaken = true;
  lxw_error closed = LXW_NO_ERROR;
  {
    const CNumericLocale cNumbers;
    lxw_workbook* workbook = workbook_new_opt(scratchName.constData(), &options);
    if (!workbook) {
      result = XlsxFailure::WriteFailed;
      return false;
    }
    // A date is a number that a date format shows as one.
    lxw_format* dateFormat = workbook_add_format(workbook);
    format_set_num_format(dateFormat, "yyyy-mm-dd hh:mm:ss");
    for (const Sheet& sheet : sheets) {
      lxw_worksheet* worksheet = workbook_add_worksheet(workbook, sheet.name.toUtf8().constData());
      if (!worksheet) {
        cellsTaken = false;
        break;
      }
      sheet.cells.forEach([&](int row, int column, const QVariant& value) {
        cellsTaken = cellsTaken && writeCell(worksheet, row, column, value, dateFormat);
      });
    }
    // Closing writes the file and frees the workbook, also after a failure.
    closed = workbook_close(workbook);
  }
  if (!cellsTaken) {
    result = XlsxFailure::Refused;
    return false;
  }
  if (closed != LXW_NO_ERROR) {
    result = XlsxFailure::WriteFailed;
    return false;
  }
  result = copyFile(scratch.fileName(), fileName);
  return result == XlsxFailure::None;
}

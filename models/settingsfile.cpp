#include "models/settingsfile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTextCodec>

namespace SettingsFile {

namespace {

QString pendingNotice;

// Whether QSettings reads the line as it stands, on its own. It never writes control bytes,
// and an unmatched quote or a trailing backslash would carry the reading over the line
// breaks after it, swallowing the group headers that follow.
bool readable(QByteArray line) {
  if (line.endsWith('\r'))
    line.chop(1);
  for (const char c : line)
    if (uchar(c) < 0x20 && c != '\t')
      return false;
  QTextCodec::ConverterState state;
  QTextCodec::codecForName("UTF-8")->toUnicode(line.constData(), line.size(), &state);
  if (state.invalidChars > 0)
    return false;
  line = line.trimmed();
  if (line.isEmpty() || line.startsWith(';'))
    return true;
  if (line.startsWith('['))
    return line.contains(']');
  bool inQuotes = false;
  int equals = -1;
  for (int i = 0; i < line.size(); ++i) {
    const char c = line.at(i);
    if (c == '\\') {
      if (++i == line.size())
        return false;
    } else if (c == '"') {
      inQuotes = !inQuotes;
    } else if (c == '=' && !inQuotes && equals < 0) {
      equals = i;
    } else if (c == ';' && !inQuotes) {
      break; // the rest is a comment
    }
  }
  return !inQuotes && equals > 0;
}

// A name no earlier copy has: a copy is never overwritten.
bool copyBeside(const QString& fileName, QString* copy) {
  const QString base = fileName + QStringLiteral(".unreadable-") +
                       QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
  for (int n = 1; n < 100; ++n) {
    *copy = n == 1 ? base : base + QLatin1Char('-') + QString::number(n);
    if (!QFile::exists(*copy))
      return QFile::copy(fileName, *copy);
  }
  return false;
}

// Leaves the file as it is when a copy of it cannot be made: nothing is lost that is not kept.
bool salvage(const QString& fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly))
    return false;
  const QByteArray original = file.readAll();
  file.close();
  // A byte order mark, as some editors save, QSettings skips; it is not written back.
  const QByteArray text = original.startsWith("\xEF\xBB\xBF") ? original.mid(3) : original;
  QByteArray kept;
  bool dropped = false;
  for (const QByteArray& line : text.split('\n'))
    if (readable(line))
      kept += line + '\n';
    else
      dropped = true;
  QString copy;
  if (!dropped || !copyBeside(fileName, &copy))
    return false;
  QSaveFile mended(fileName);
  if (!mended.open(QIODevice::WriteOnly) || mended.write(kept) != kept.size() || !mended.commit())
    return false;
  pendingNotice = QCoreApplication::translate("SettingsFile",
                                              "Файл настроек был повреждён: нечитаемые строки "
                                              "пропущены,\nостальные настройки сохранены. "
                                              "Копия прежнего файла:\n%1")
                      .arg(QDir::toNativeSeparators(copy));
  return true;
}

} // namespace

QSettings* open(QObject* parent) {
  QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/");
  auto* settings = new QSettings(QSettings::IniFormat,
                                 QSettings::UserScope,
                                 QStringLiteral("Brenmo"),
                                 QStringLiteral("settings"),
                                 parent);
  // The mended file is shorter, so the reading already made is dropped and done again.
  if (salvage(settings->fileName()))
    settings->sync();
  return settings;
}

QString takeNotice() {
  QString notice;
  notice.swap(pendingNotice);
  return notice;
}

} // namespace SettingsFile

// The tester's commands: identity, clock, memory, and the workbook dialogs.
#include "device/device.h"

#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QTimer>

#include "device/lineformat.h"
#include "models/lastfolder.h"
#include "models/measurementmodel.h"

namespace {

const QString kClockPattern = QStringLiteral("hh:mm:ss dd.MM.yy");

// The file dialogs' texts, in the interface's language.
QString workbookFilter() {
  return QCoreApplication::translate("Device", "Таблица Excel (*.xlsx)");
}

QString saveCaption() {
  return QCoreApplication::translate("Device", "Сохранить измерения");
}

QString openCaption() {
  return QCoreApplication::translate("Device", "Открыть измерения");
}

} // namespace

bool Device::connect() {
  return connect(QString());
}

bool Device::connect(QString portName) {
  Q_UNUSED(portName) // the tester's port is found by its USB identifiers
  if (m_waiting)
    return false;
  if (!open(QIODevice::ReadWrite)) {
    // Plugged in later, the tester is found without a click; one that was lost keeps being
    // looked for as the tester the table came from.
    if (m_search == Search::None)
      startSearch(Search::FirstFind);
    return false;
  }
  stopSearch();
  m_otherTester = false; // the user chose this tester
  if (!readMemory())
    return false;
  enableReception();
  return true;
}

bool Device::readMemory() {
  qDebug() << "Read Memory";
  if (!beginCommand("readdata\n"))
    return false;
  // A line that is no count is a stale reply of an earlier command.
  const QByteArray countLine = waitForLine(
      nullptr, [](const QByteArray& line) { return LineFormat::parseCountLine(line).has_value(); });
  qDebug() << "Measurements count: " + QString::fromUtf8(countLine);
  const std::optional<int> count = LineFormat::parseCountLine(countLine);
  if (!count || *count < 0) {
    enableReception();
    return false;
  }

  // The table now holds memory rows: the delete key must not reach them.
  liveSeries = false;
  emit beginDataChange();
  m_cancelRead = false;
  m_readCancelled = false;
  m_readProgress = 0;
  m_readTotal = *count;
  emit readProgressChanged();
  QElapsedTimer sinceShown;
  sinceShown.start();
  // The rows reach the table in one piece: views rebuild once, not once per record.
  QList<Measurement> records;
  for (int i = 1; i <= *count; ++i) {
    bool inTime = false;
    const QByteArray line = waitForLine(&inTime);
    qDebug() << QString::number(i) + QString::fromUtf8(line);
    if (!inTime)
      break;
    if (std::optional<Measurement> record = LineFormat::parseRecordLine(line))
      records.append(*record);
    m_readProgress = i;
    if (m_cancelRead) {
      m_owedShapes |= OtherShape; // the rest is still on its way
      break;
    }
    if (sinceShown.elapsed() >= ProgressIntervalMs) {
      emit readProgressChanged();
      sinceShown.restart();
    }
  }
  m_readCancelled = m_cancelRead;
  m_cancelRead = false;
  m_readProgress = 0;
  m_readTotal = 0;
  emit readProgressChanged();
  measModel->replaceAll(records);
  emit dataChanged();
  enableReception();
  // Rows that did arrive stay in the table, but a short or garbled read is no success.
  return records.size() == *count;
}

QString Device::id() {
  QByteArray line;
  const QString identity = askIdentity(&line);
  // The tester the table comes from, for telling it from another one after an unplug.
  if (!identity.isEmpty() && !m_otherTester && !m_probing)
    m_testerIdentity = identity;
  return LineFormat::decode(line);
}

QString Device::askIdentity(QByteArray* line) {
  if (!beginCommand("getid\n"))
    return QString();
  bool answered = false;
  const QByteArray reply = waitForLine(&answered);
  enableReception();
  if (line)
    *line = reply;
  return answered ? LineFormat::decode(reply).trimmed() : QString();
}

QDateTime Device::time() {
  qDebug() << "Get Time";
  if (!beginCommand("gettime\n"))
    return QDateTime();
  // Only a clock reply answers: a late line of another command is stale.
  const QByteArray line = waitForLine(nullptr, [](const QByteArray& reply) {
    return LineFormat::parseClockReply(reply).isValid();
  });
  const QDateTime clock = LineFormat::parseClockReply(line);
  if (!line.isEmpty())
    qDebug() << "Get Time" << clock.toString(kClockPattern);
  enableReception();
  return clock;
}

bool Device::setTime(QDateTime date) {
  qDebug() << "Set Time" << date.toString(kClockPattern);
  // An invalid date would answer every prompt with an empty line.
  if (!date.isValid() || !beginCommand("settime\n"))
    return false;
  const bool answered = answerPrompts({
      {" MIN:\n", date.toString(QStringLiteral("mm")).toLocal8Bit()},
      {" HR:\n", date.toString(QStringLiteral("hh")).toLocal8Bit()},
      {" DAY:\n", date.toString(QStringLiteral("dd")).toLocal8Bit()},
      {" MONTH:\n", date.toString(QStringLiteral("MM")).toLocal8Bit()},
      {" YEAR:\n", date.toString(QStringLiteral("yy")).toLocal8Bit()},
  });
  if (answered)
    waitForLine(); // the closing line says nothing we act on
  enableReception();
  return answered;
}

bool Device::clearMemory() {
  qDebug() << "Clear Memory";
  if (!beginCommand("cleardata\n"))
    return false;
  const bool cleared = waitForLine().contains("OK");
  if (cleared)
    qDebug() << "Memory cleared";
  enableReception();
  return cleared;
}

QString Device::saveToFile() {
  QFileDialog dialog(
      nullptr, saveCaption(), LastFolder::folder(LastFolder::WorkbookKey), workbookFilter());
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("xlsx")); // also asks before replacing the suffixed file
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return QString();
  QString fileName = dialog.selectedFiles().constFirst();
  LastFolder::remember(LastFolder::WorkbookKey, fileName);
  // A dialog that kept a name such as "shift.1" as typed still gets a workbook.
  if (!fileName.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
    fileName += QLatin1String(".xlsx");
  return measModel->saveToXlsx(fileName);
}

QString Device::openFromFile(const QUrl& dropped) {
  QString fileName = dropped.toLocalFile();
  if (dropped.isEmpty()) {
    fileName = QFileDialog::getOpenFileName(
        nullptr, openCaption(), LastFolder::folder(LastFolder::WorkbookKey), workbookFilter());
    LastFolder::remember(LastFolder::WorkbookKey, fileName);
  }
  if (fileName.isEmpty())
    return QString();
  const QString failure = measModel->openFromXlsx(fileName);
  // Only a workbook that did open replaces the live series; a failed open changes nothing.
  if (failure.isEmpty())
    liveSeries = false;
  return failure;
}

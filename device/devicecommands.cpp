// The tester's commands: connection, identity, clock and memory; the table's workbooks.
#include "device/device.h"

#include <QDebug>

#include "device/linechannel.h"
#include "device/livefeed.h"
#include "device/portwatcher.h"
#include "device/testerprotocol.h"
#include "device/workbookdialogs.h"
#include "models/measurementmodel.h"

bool Device::connect() {
  return connect(QString());
}

bool Device::connect(QString portName) {
  Q_UNUSED(portName) // the tester's port is found by its USB identifiers
  if (m_channel->isBusy())
    return false;
  if (!open(QIODevice::ReadWrite)) {
    m_watcher->searchIfIdle();
    return false;
  }
  m_watcher->acceptTester();
  id(); // whose records these are, before they are read
  const bool read = readMemory();
  enableReception();
  return read;
}

bool Device::readMemory() {
  std::optional<TesterProtocol::MemoryRead> read;
  {
    const LineChannel::Command command(*m_channel);
    if (!command.ok())
      return false;
    m_channel->resetCancel();
    m_progress->start();
    read = TesterProtocol::readMemory(
        *m_channel, [this](int received, int total) { m_progress->update(received, total); });
    m_progress->finish(m_channel->cancelled());
    m_channel->resetCancel();
    if (!read)
      return false;
  }
  // The table now holds memory rows: the delete key must not reach them.
  m_feed->endSeries();
  emit memoryRead(read->records);
  emit beginDataChange();
  // The rows reach the table in one piece: views rebuild once, not once per record.
  measModel->replaceAll(read->records);
  emit dataChanged();
  // Rows that did arrive stay in the table, but a short or garbled read is no success.
  return read->records.size() == read->count;
}

void Device::cancelRead() {
  if (m_progress->total() == 0)
    return; // no read under way, or one with nothing to stop
  qDebug() << "Memory read cancelled";
  m_channel->cancel();
}

QString Device::id() {
  QByteArray line;
  {
    const LineChannel::Command command(*m_channel);
    if (command.ok())
      line = TesterProtocol::identity(*m_channel);
  }
  // The tester the table comes from, for telling it from another one after an unplug.
  m_watcher->noteIdentity(LineFormat::decode(line).trimmed());
  return LineFormat::decode(line);
}

QDateTime Device::time() {
  const LineChannel::Command command(*m_channel);
  return command.ok() ? TesterProtocol::clock(*m_channel) : QDateTime();
}

bool Device::setTime(QDateTime date) {
  const LineChannel::Command command(*m_channel);
  const bool set = command.ok() && TesterProtocol::setClock(*m_channel, date);
  if (command.ok())
    emit testerWritten(QStringLiteral("clock"), {{"asked", date}, {"accepted", set}});
  return set;
}

bool Device::clearMemory() {
  const LineChannel::Command command(*m_channel);
  const bool cleared = command.ok() && TesterProtocol::clearMemory(*m_channel);
  if (command.ok())
    emit testerWritten(QStringLiteral("clearMemory"), {{"cleared", cleared}});
  return cleared;
}

void Device::openMeasurements(const QList<Measurement>& rows) {
  emit beginDataChange();
  measModel->replaceAll(rows);
  m_feed->endSeries();
  emit dataChanged();
}

QString Device::saveToFile() {
  const QString fileName = WorkbookDialogs::askSaveName();
  return fileName.isEmpty() ? QString() : measModel->saveToXlsx(fileName);
}

QString Device::openFromFile(const QUrl& dropped) {
  const QString fileName =
      dropped.isEmpty() ? WorkbookDialogs::askOpenName() : dropped.toLocalFile();
  if (fileName.isEmpty())
    return QString();
  const QString failure = measModel->openFromXlsx(fileName);
  // Only a workbook that did open replaces the live series; a failed open changes nothing.
  if (failure.isEmpty())
    m_feed->endSeries();
  return failure;
}

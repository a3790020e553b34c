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
  const bool read = readMemory();
  enableReception();
  return read;
}

bool Device::readMemory() {
  qDebug() << "Read Memory";
  std::optional<TesterProtocol::MemoryRead> read;
  {
    const LineChannel::Command command(*m_channel);
    if (!command.ok())
      return false;
    m_channel->resetCancel();
    m_readCancelled = false;
    m_sinceProgress.start();
    read = TesterProtocol::readMemory(
        *m_channel, [this](int received, int total) { showProgress(received, total); });
    if (!read)
      return false;
    m_readCancelled = m_channel->cancelled();
    m_channel->resetCancel();
  }
  showProgress(0, 0);
  // The table now holds memory rows: the delete key must not reach them.
  m_feed->endSeries();
  emit beginDataChange();
  // The rows reach the table in one piece: views rebuild once, not once per record.
  measModel->replaceAll(read->records);
  emit dataChanged();
  // Rows that did arrive stay in the table, but a short or garbled read is no success.
  return read->records.size() == read->count;
}

void Device::showProgress(int received, int total) {
  const bool change = (total == 0) != (m_readTotal == 0);
  m_readProgress = received;
  m_readTotal = total;
  if (change || m_sinceProgress.elapsed() >= ProgressIntervalMs) {
    m_sinceProgress.restart();
    emit readProgressChanged();
  }
}

void Device::cancelRead() {
  if (m_readTotal == 0)
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
  qDebug() << "Set Time" << date;
  const LineChannel::Command command(*m_channel);
  return command.ok() && TesterProtocol::setClock(*m_channel, date);
}

bool Device::clearMemory() {
  qDebug() << "Clear Memory";
  const LineChannel::Command command(*m_channel);
  return command.ok() && TesterProtocol::clearMemory(*m_channel);
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

// The scale commands: which scales are switched on, the current scale, and the constants.
#include "device/device.h"

#include <cmath>

#include <QDebug>

#include "device/lineformat.h"
#include "models/scalemodel.h"

namespace {

QByteArray setScaleRequest(int number) {
  return "setscale " + QByteArray::number(number) + '\n';
}

// The three top slots have no row in the model and are always sent as switched off.
const quint16 kSlotsWithoutRow = 0xE000;

} // namespace

std::optional<qint16> Device::queryCurrentScale() {
  qDebug() << "Read current scale number";
  if (!beginCommand("getscale\n"))
    return std::nullopt;
  const std::optional<LineFormat::ScaleRecord> record = LineFormat::parseScaleRecord(waitForLine());
  enableReception();
  if (!record)
    return std::nullopt;
  qDebug() << "Current scale number: " + QString::number(record->number);
  return record->number;
}

short Device::currentScaleNumber() {
  return queryCurrentScale().value_or(0);
}

bool Device::setCurrentScaleNumber(short scaleNumber) {
  qDebug() << "Set current scale number";
  if (static_cast<quint16>(scaleNumber) > 15 || !beginCommand(setScaleRequest(scaleNumber)))
    return false;
  const bool answered = LineFormat::parseScaleRecord(waitForLine()).has_value();
  enableReception();
  return answered;
}

void Device::restoreCurrentScale(std::optional<qint16> scale) {
  // With no readable current scale there is nothing to give back; guessing would switch
  // the tester to a scale the user did not choose.
  if (!scale)
    return;
  clearBuffers();
  writeBytes(setScaleRequest(*scale));
  waitForLine();
}

short Device::visibleScales() {
  qDebug() << "Get visible scales";
  if (!beginCommand("getscl\n"))
    return 0;
  const QByteArray line = waitForLine();
  bool ok = false;
  const int offMask = line.simplified().toInt(&ok, 10);
  if (line.isEmpty() || !ok) {
    enableReception();
    return 0;
  }
  // The tester reports the scales switched OFF; the model keeps those switched on.
  const qint16 mask = static_cast<qint16>(~offMask);
  for (int row = 0; row < scalesModel->rowCount(); ++row)
    scalesModel->setEnabled(row, (mask >> row) & 1);
  qDebug() << "Visible scales: " + QString::number(mask);
  enableReception();
  return mask;
}

bool Device::setVisibleScales() {
  qDebug() << "Set visible scales";
  if (m_waiting)
    return false;
  disableReception();
  quint16 mask = 0;
  for (int row = 0; row < scalesModel->rowCount() && row < 16; ++row) {
    if (scalesModel->enabled(row))
      mask |= quint16(1u << row);
  }
  // At least one scale must stay switched on.
  if (mask == 0 || !isOpen()) {
    enableReception();
    return false;
  }
  const QByteArray value = QByteArray::number(quint16(~mask | kSlotsWithoutRow));
  const QByteArray request = "setscl " + value + '\n';
  qDebug() << "Msg: " + QString::fromLatin1(request);
  beginCommand(request);
  waitForLine(); // the first answer line is not examined
  const bool accepted = waitForLine() == " " + value + ";OK\n";
  if (accepted)
    qDebug() << "Visible scales set: " + QString::fromLatin1(value);
  enableReception();
  return accepted;
}

bool Device::readScales() {
  qDebug() << "Read scales";
  if (!isOpen() || m_waiting)
    return false;
  const std::optional<qint16> current = queryCurrentScale();
  disableReception();
  for (int row = 0; row < scalesModel->rowCount(); ++row) {
    clearBuffers();
    writeBytes(setScaleRequest(row));
    const std::optional<LineFormat::ScaleRecord> record =
        LineFormat::parseScaleRecord(waitForLine());
    if (!record)
      continue;
    Scale* scale = scalesModel->scale(row);
    if (row >= ScaleModel::StandardScales) {
      // A user slot whose A is exactly 1 is free.
      scale->setIsVisible(record->a != Scale::FreeSlotA);
      scale->setName(record->name);
    }
    scale->setA(record->a);
    scale->setB(record->b);
    scale->setC(record->c);
    scale->setMin(record->min);
    scale->setMax(record->max);
    scale->setType(record->type);
    scale->setPoints(record->points);
  }
  enableReception();
  if (!current)
    return false;
  return setCurrentScaleNumber(*current);
}

bool Device::setScale() {
  qDebug() << "Set scale";
  if (!isOpen() || m_waiting)
    return false;
  const std::optional<qint16> current = queryCurrentScale();
  disableReception();
  // Without a readable current scale we do not know which slot the constants would land in.
  const Scale* scale = current ? scalesModel->scale(*current) : nullptr;
  if (!scale)
    return false;
  const double constants[] = {scale->a(), scale->b(), scale->c(), scale->min(), scale->max()};
  for (double constant : constants) {
    if (!std::isfinite(constant))
      return false;
  }
  clearBuffers();
  writeBytes("setconst\n");
  const bool answered = answerPrompts({
      {" A:\n", LineFormat::formatConstant(scale->a()).toLocal8Bit()},
      {" B:\n", LineFormat::formatConstant(scale->b()).toLocal8Bit()},
      {" C:\n", LineFormat::formatConstant(scale->c()).toLocal8Bit()},
      {" MIN:\n", LineFormat::formatConstant(scale->min()).toLocal8Bit()},
      {" MAX:\n", LineFormat::formatConstant(scale->max()).toLocal8Bit()},
      {" NAME:\n", scale->name().toLocal8Bit()},
      {" TYPE:\n", QByteArray::number(scale->type())},
      {" POINTS:\n", QByteArray::number(scale->points())},
  });
  if (!answered)
    return false;
  writeBytes("wct\n");
  if (waitForLine() != " OK\n")
    return false;
  qDebug() << "Scale set: " + QString::number(*current);
  return true; // reception stays off: the caller turns it on
}

void Device::setScales() {
  const QList<int> rows = scalesModel->modifiedIndexes();
  if (!isOpen() || m_waiting)
    return;
  const std::optional<qint16> current = queryCurrentScale();
  disableReception();
  for (int row : rows) {
    clearBuffers();
    writeBytes(setScaleRequest(row));
    waitForLine(); // the reply is not examined; setScale reads the current scale back
    setScale();
  }
  restoreCurrentScale(current);
  enableReception();
}

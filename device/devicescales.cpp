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
const int kSlots = 16;

// The constants dialogue's prompts, in the tester's order.
const char* const kConstantPrompts[] = {
    " A:\n", " B:\n", " C:\n", " MIN:\n", " MAX:\n", " NAME:\n", " TYPE:\n", " POINTS:\n"};

// What the dialogue sends for a row, in prompt order.
QList<QByteArray> constantAnswers(const Scale& scale) {
  return {LineFormat::formatConstant(scale.a()).toLatin1(),
          LineFormat::formatConstant(scale.b()).toLatin1(),
          LineFormat::formatConstant(scale.c()).toLatin1(),
          LineFormat::formatConstant(scale.min()).toLatin1(),
          LineFormat::formatConstant(scale.max()).toLatin1(),
          LineFormat::encodeName(scale.name()),
          QByteArray::number(scale.type()),
          QByteArray::number(scale.points())};
}

// The same for a record read back from the tester: equal lists mean the tester holds what
// was sent, to the six digits that go out.
QList<QByteArray> recordAnswers(const LineFormat::ScaleRecord& record) {
  Scale scale;
  scale.setA(record.a);
  scale.setB(record.b);
  scale.setC(record.c);
  scale.setMin(record.min);
  scale.setMax(record.max);
  scale.setName(record.name);
  scale.setType(record.type);
  scale.setPoints(record.points);
  return constantAnswers(scale);
}

bool isSlotRecord(const QByteArray& line, int slot) {
  const std::optional<LineFormat::ScaleRecord> record = LineFormat::parseScaleRecord(line);
  return record && record->numberRead && record->number == slot;
}

} // namespace

std::optional<qint16> Device::queryCurrentScale() {
  qDebug() << "Read current scale number";
  if (!beginCommand("getscale\n"))
    return std::nullopt;
  const std::optional<LineFormat::ScaleRecord> record = LineFormat::parseScaleRecord(waitForLine());
  enableReception();
  // A record whose number is unreadable names no slot; guessing HRC could write into the
  // wrong one.
  if (!record || !record->numberRead || record->number < 0 || record->number >= kSlots)
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
  // Only the record of that slot says the tester took it; a stale one of another is dropped.
  bool answered = false;
  waitForLine(&answered,
              [scaleNumber](const QByteArray& line) { return isSlotRecord(line, scaleNumber); });
  enableReception();
  return answered;
}

std::optional<LineFormat::ScaleRecord> Device::readSlot(int slot) {
  clearBuffers();
  writeBytes(setScaleRequest(slot));
  bool inTime = false;
  const QByteArray line =
      waitForLine(&inTime, [slot](const QByteArray& reply) { return isSlotRecord(reply, slot); });
  if (!inTime)
    return std::nullopt;
  return LineFormat::parseScaleRecord(line);
}

void Device::restoreCurrentScale(std::optional<qint16> scale) {
  // With no readable current scale there is nothing to give back; guessing would switch
  // the tester to a scale the user did not choose.
  if (scale)
    readSlot(*scale);
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
  const QByteArray confirmation = " " + value + ";OK\n";
  qDebug() << "Msg: " + QString::fromLatin1(request);
  beginCommand(request);
  waitForLine(); // the first answer line is not examined
  // The confirmation carries the mask: one for another mask is stale.
  const bool accepted =
      waitForLine(nullptr, [&](const QByteArray& line) {
        return line == confirmation || !(line.startsWith(' ') && line.endsWith(";OK\n"));
      }) == confirmation;
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
  bool allRead = true;
  for (int row = 0; row < scalesModel->rowCount(); ++row) {
    const std::optional<LineFormat::ScaleRecord> record = readSlot(row);
    // A row whose record did not come keeps its values but is marked unknown: nothing may
    // be written from it.
    scalesModel->setRead(row, record.has_value());
    if (!record) {
      allRead = false;
      continue;
    }
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
  return setCurrentScaleNumber(*current) && allRead;
}

bool Device::setScale() {
  qDebug() << "Set scale";
  if (!isOpen() || m_waiting)
    return false;
  const std::optional<qint16> current = queryCurrentScale();
  disableReception();
  // Without a readable current scale we do not know which slot the constants would land in,
  // and a row not read from its slot may hold another slot's record.
  const Scale* scale = current ? scalesModel->scale(*current) : nullptr;
  if (!scale || !scale->isRead() || !LineFormat::isCarriableName(scale->name()))
    return false;
  const double constants[] = {scale->a(), scale->b(), scale->c(), scale->min(), scale->max()};
  for (double constant : constants) {
    if (!std::isfinite(constant))
      return false;
  }
  const QList<QByteArray> answers = constantAnswers(*scale);
  QList<PromptAnswer> dialogue;
  for (int i = 0; i < answers.size(); ++i)
    dialogue.append({kConstantPrompts[i], answers[i]});

  clearBuffers();
  writeBytes("setconst\n");
  int answered = 0;
  bool committed = false;
  if (answerPrompts(dialogue, &answered)) {
    writeBytes("wct\n");
    committed = waitForLine() == " OK\n";
  } else {
    // Lead the tester out of the dialogue without storing: the values it still waits for
    // (it takes any line as one), then a line that is not "wct".
    for (int i = answered; i < answers.size(); ++i)
      writeBytes(answers[i] + '\n');
    writeBytes("\n");
    qDebug() << "Constants dialogue abandoned after" << answered << "values";
  }
  // Written is what the tester holds: read the slot back.
  const std::optional<LineFormat::ScaleRecord> held = readSlot(*current);
  const bool matches = held && recordAnswers(*held) == answers;
  if (!committed || !matches)
    return false;
  qDebug() << "Scale set: " + QString::number(*current);
  return true; // reception stays off: the caller turns it on
}

bool Device::setScales() {
  const QList<int> rows = scalesModel->modifiedIndexes();
  if (!isOpen() || m_waiting)
    return false;
  // A row not read from its slot may hold another slot's record: write none then.
  for (int row : rows) {
    const Scale* scale = scalesModel->scale(row);
    if (!scale || !scale->isRead())
      return false;
  }
  const std::optional<qint16> current = queryCurrentScale();
  disableReception();
  bool allWritten = true;
  for (int row : rows) {
    // The dialogue writes the current slot: only go on when the tester took this one.
    if (!readSlot(row) || !setScale())
      allWritten = false;
  }
  restoreCurrentScale(current);
  enableReception();
  return allWritten;
}

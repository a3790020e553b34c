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
  if (!sendRequest(setScaleRequest(slot)))
    return std::nullopt;
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
  for (int row = 0; row < scalesModel->rowCount() && row < 16; ++row)
    if (scalesModel->enabled(row))
      mask |= quint16(1u << row);
  // At least one scale must stay switched on.
  if (mask == 0 || !isOpen()) {
    enableReception();
    return false;
  }
  const QByteArray value = QByteArray::number(quint16(~mask | kSlotsWithoutRow));
  const QByteArray request = "setscl " + value + '\n';
  const QByteArray confirmation = " " + value + ";OK\n";
  qDebug() << "Msg: " + QString::fromLatin1(request);
  if (!beginCommand(request))
    return false;
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
    storeSlotRecord(row, *record);
  }
  enableReception();
  if (!current)
    return false;
  return setCurrentScaleNumber(*current) && allRead;
}

void Device::storeSlotRecord(int row, const LineFormat::ScaleRecord& record) {
  Scale* scale = scalesModel->scale(row);
  if (!scale)
    return;
  if (row >= ScaleModel::StandardScales) {
    // A user slot whose A is exactly 1 is free.
    scale->setIsVisible(record.a != Scale::FreeSlotA);
    scale->setName(record.name);
  }
  scale->setA(record.a);
  scale->setB(record.b);
  scale->setC(record.c);
  scale->setMin(record.min);
  scale->setMax(record.max);
  scale->setType(record.type);
  scale->setPoints(record.points);
  scalesModel->setRead(row, true);
}

bool Device::setScale() {
  qDebug() << "Set scale";
  return writeCurrentScale().held; // reception stays off: the caller turns it on
}

Device::ScaleWrite Device::writeCurrentScale(const Scale* newValues, std::optional<qint16> slot) {
  ScaleWrite result;
  if (!isOpen() || m_waiting)
    return result;
  // Without a readable current scale we do not know which slot the constants would land in.
  const std::optional<qint16> current = queryCurrentScale();
  disableReception();
  const Scale* row = current ? scalesModel->scale(*current) : nullptr;
  // A row not read from its slot may hold another slot's record: nothing is written from it
  // or compared with it.
  if (!row || !row->isRead() || (slot && *slot != *current))
    return result;
  const Scale values = newValues ? *newValues : *row;
  if (!LineFormat::isCarriableName(values.name()))
    return result;
  const double constants[] = {values.a(), values.b(), values.c(), values.min(), values.max()};
  for (double constant : constants)
    if (!std::isfinite(constant))
      return result;
  const Scale before = *row;
  const QList<QByteArray> answers = constantAnswers(values);
  QList<PromptAnswer> dialogue;
  for (int i = 0; i < answers.size(); ++i)
    dialogue.append({kConstantPrompts[i], answers[i]});

  if (!sendRequest("setconst\n"))
    return result;
  result.slot = current;
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
  // What the tester holds decides, whatever its " OK" said: read the slot back.
  const std::optional<LineFormat::ScaleRecord> held = readSlot(*current);
  if (!held) {
    // Unknown: nothing may be written from this row until it is read again.
    scalesModel->setRead(*current, false);
    result.changed = true;
    qDebug() << "Slot" << *current << "not read back; the tester said"
             << (committed ? "OK" : "nothing");
    return result;
  }
  result.readBack = true;
  const QList<QByteArray> holds = recordAnswers(*held);
  result.held = holds == answers;
  result.changed = holds != constantAnswers(before); // before was read from this slot
  storeSlotRecord(*current, *held);
  if (result.held)
    qDebug() << "Scale set: " + QString::number(*current);
  return result;
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
    // The dialogue writes the current slot: only go on when the tester took this one. A row
    // the tester did not take keeps the user's values, to be applied again.
    const Scale pending = *scalesModel->scale(row);
    const bool held = readSlot(row) && writeCurrentScale(&pending, row).held;
    if (!held) {
      allWritten = false;
      Scale* scale = scalesModel->scale(row);
      const bool known = scale->isRead();
      *scale = pending;
      scale->setIsRead(known);
    }
  }
  restoreCurrentScale(current);
  enableReception();
  return allWritten;
}

#include "device/testerprotocol.h"

#include <QDebug>

#include "device/linechannel.h"

namespace TesterProtocol {

namespace {

struct PromptAnswer {
  QByteArray prompt; // the exact line the tester sends, line feed included
  QByteArray answer; // written back, followed by a line feed
};

// Waits for each prompt in turn and answers it; false at the first prompt that differs.
// answered tells how many prompts were answered.
bool answerPrompts(LineChannel& channel, const QList<PromptAnswer>& dialogue, int* answered) {
  *answered = 0;
  for (const PromptAnswer& step : dialogue) {
    if (channel.waitForLine() != step.prompt) {
      // Left half-way, the tester may still answer what it got.
      channel.owe(OtherShape);
      return false;
    }
    channel.writeBytes(step.answer + '\n');
    ++*answered;
  }
  return true;
}

QByteArray setScaleRequest(ScaleNumber number) {
  return "setscale " + QByteArray::number(number) + '\n';
}

bool isSlotRecord(const QByteArray& line, ScaleNumber slot) {
  const std::optional<LineFormat::ScaleRecord> record = LineFormat::parseScaleRecord(line);
  return record && record->number == slot;
}

// The constants dialogue's prompts, in the tester's order.
const char* const kConstantPrompts[] = {
    " A:\n", " B:\n", " C:\n", " MIN:\n", " MAX:\n", " NAME:\n", " TYPE:\n", " POINTS:\n"};

} // namespace

ReplyShape shapeOf(const QByteArray& request) {
  if (request == "gettime\n")
    return ClockShape;
  if (request == "getscale\n" || request.startsWith("setscale "))
    return ScaleRecordShape;
  return OtherShape;
}

bool getInStep(LineChannel& channel) {
  if (channel.owed() == 0)
    return true;
  // The clock and the scale record are the two replies with a shape of their own; the one
  // that nothing owed shares tells the late lines from the answer to this request.
  if ((channel.owed() & ClockShape) && (channel.owed() & ScaleRecordShape)) {
    // Both are owed: let the late lines come and go first, then ask for the clock.
    qDebug() << "Waiting for late replies";
    channel.waitForLine(nullptr, [](const QByteArray&) { return false; });
    channel.forgive(ClockShape);
  }
  const bool askClock = !(channel.owed() & ClockShape);
  const QByteArray request = askClock ? QByteArray("gettime\n") : QByteArray("getscale\n");
  qDebug() << "Getting back in step with" << request;
  channel.writeRequest(request, shapeOf(request));
  bool answered = false;
  channel.waitForLine(&answered, [askClock](const QByteArray& line) {
    if (askClock)
      return LineFormat::parseClockReply(line).isValid();
    const std::optional<LineFormat::ScaleRecord> record = LineFormat::parseScaleRecord(line);
    return record && record->number;
  });
  if (!answered)
    return false; // still out of step; nothing more is sent for this command
  channel.forgive(channel.owed());
  return true;
}

bool send(LineChannel& channel, const QByteArray& request) {
  if (!getInStep(channel))
    return false;
  channel.writeRequest(request, shapeOf(request));
  return true;
}

QByteArray identity(LineChannel& channel) {
  if (!send(channel, "getid\n"))
    return QByteArray();
  return channel.waitForLine();
}

QDateTime clock(LineChannel& channel) {
  if (!send(channel, "gettime\n"))
    return QDateTime();
  // Only a clock reply answers: a late line of another command is stale.
  return LineFormat::parseClockReply(channel.waitForLine(nullptr, [](const QByteArray& reply) {
    return LineFormat::parseClockReply(reply).isValid();
  }));
}

bool setClock(LineChannel& channel, const QDateTime& dateTime) {
  // An invalid date would answer every prompt with an empty line.
  if (!dateTime.isValid() || !send(channel, "settime\n"))
    return false;
  const auto field = [&](const char* pattern) {
    return dateTime.toString(QLatin1String(pattern)).toLatin1();
  };
  int answered = 0;
  const bool done = answerPrompts(channel,
                                  {{" MIN:\n", field("mm")},
                                   {" HR:\n", field("hh")},
                                   {" DAY:\n", field("dd")},
                                   {" MONTH:\n", field("MM")},
                                   {" YEAR:\n", field("yy")}},
                                  &answered);
  if (done)
    channel.waitForLine(); // the closing line says nothing we act on
  return done;
}

bool clearMemory(LineChannel& channel) {
  return send(channel, "cleardata\n") && channel.waitForLine().contains("OK");
}

std::optional<MemoryRead> readMemory(LineChannel& channel,
                                     const std::function<void(int, int)>& progress) {
  if (!send(channel, "readdata\n"))
    return std::nullopt;
  // A line that is no count is a stale reply of an earlier command.
  const std::optional<int> count =
      LineFormat::parseCountLine(channel.waitForLine(nullptr, [](const QByteArray& line) {
        return LineFormat::parseCountLine(line).has_value();
      }));
  if (!count || *count < 0)
    return std::nullopt;
  MemoryRead read;
  read.count = *count;
  progress(0, read.count);
  while (read.received < read.count) {
    bool inTime = false;
    const QByteArray line = channel.waitForLine(&inTime);
    if (!inTime)
      break;
    if (std::optional<Measurement> record = LineFormat::parseRecordLine(line))
      read.records.append(*record);
    else
      qDebug() << "Garbled record" << read.received + 1 << line;
    ++read.received;
    progress(read.received, read.count);
    if (channel.cancelled() && read.received < read.count) {
      channel.owe(OtherShape); // the rest is still on its way
      break;
    }
  }
  return read;
}

std::optional<ScaleNumber> currentScale(LineChannel& channel) {
  if (!send(channel, "getscale\n"))
    return std::nullopt;
  // A record whose number is unreadable names no slot; guessing HRC could write into the
  // wrong one.
  const std::optional<LineFormat::ScaleRecord> record =
      LineFormat::parseScaleRecord(channel.waitForLine());
  return record ? record->number : std::nullopt;
}

std::optional<LineFormat::ScaleRecord> selectScale(LineChannel& channel, ScaleNumber slot) {
  if (slot < 0 || slot >= ScaleSlots || !send(channel, setScaleRequest(slot)))
    return std::nullopt;
  bool inTime = false;
  const QByteArray line = channel.waitForLine(
      &inTime, [slot](const QByteArray& reply) { return isSlotRecord(reply, slot); });
  if (!inTime)
    return std::nullopt;
  return LineFormat::parseScaleRecord(line);
}

std::optional<quint16> offMask(LineChannel& channel) {
  if (!send(channel, "getscl\n"))
    return std::nullopt;
  bool ok = false;
  const int mask = channel.waitForLine().simplified().toInt(&ok, 10);
  if (!ok)
    return std::nullopt;
  return static_cast<quint16>(mask);
}

bool setOffMask(LineChannel& channel, quint16 mask) {
  const QByteArray value = QByteArray::number(mask);
  const QByteArray confirmation = " " + value + ";OK\n";
  if (!send(channel, "setscl " + value + '\n'))
    return false;
  channel.waitForLine(); // the first answer line is not examined
  // The confirmation carries the mask: one for another mask is stale.
  return channel.waitForLine(nullptr, [&](const QByteArray& line) {
    return line == confirmation || !(line.startsWith(' ') && line.endsWith(";OK\n"));
  }) == confirmation;
}

QList<QByteArray> constantAnswers(const ScaleConstants& constants) {
  return {LineFormat::formatConstant(constants.a).toLatin1(),
          LineFormat::formatConstant(constants.b).toLatin1(),
          LineFormat::formatConstant(constants.c).toLatin1(),
          LineFormat::formatConstant(constants.min).toLatin1(),
          LineFormat::formatConstant(constants.max).toLatin1(),
          LineFormat::encodeName(constants.name),
          QByteArray::number(constants.type),
          QByteArray::number(constants.points)};
}

bool writeConstants(LineChannel& channel, const ScaleConstants& constants) {
  const QList<QByteArray> answers = constantAnswers(constants);
  QList<PromptAnswer> dialogue;
  for (int i = 0; i < answers.size(); ++i)
    dialogue.append({kConstantPrompts[i], answers[i]});
  if (!send(channel, "setconst\n"))
    return false;
  int answered = 0;
  if (answerPrompts(channel, dialogue, &answered)) {
    channel.writeBytes("wct\n");
    return channel.waitForLine() == " OK\n";
  }
  // Lead the tester out of the dialogue without storing: the values it still waits for (it
  // takes any line as one), then a line that is not "wct".
  for (int i = answered; i < answers.size(); ++i)
    channel.writeBytes(answers[i] + '\n');
  channel.writeBytes("\n");
  qDebug() << "Constants dialogue abandoned after" << answered << "values";
  return false;
}

} // namespace TesterProtocol

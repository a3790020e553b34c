#include "simulator/requesthandler.h"

#include "simulator/testerstate.h"

#include <cmath>

const QByteArray RequestHandler::ErrorReply = " ERR";

namespace {

const QByteArray OkReply = " OK";

bool isValid(const QByteArray& value, bool isReal) {
  bool ok = false;
  if (!isReal) {
    value.toInt(&ok);
    return ok;
  }
  const double number = value.toDouble(&ok);
  return ok && std::isfinite(number);
}

} // namespace

RequestHandler::RequestHandler(TesterState& testerState) : state(testerState) {}

RequestHandler::Outcome RequestHandler::handle(const QByteArray& line) {
  Outcome outcome;
  if (dialogue != Dialogue::None && takeValue(line, outcome.replies)) {
    outcome.newExchange = false;
    return outcome;
  }
  outcome.replies = request(line);
  return outcome;
}

QList<QByteArray> RequestHandler::request(const QByteArray& line) {
  const int space = line.indexOf(' ');
  const QByteArray command = space < 0 ? line : line.left(space);
  const QByteArray argument = space < 0 ? QByteArray() : line.mid(space + 1).trimmed();
  const bool bare = space < 0;

  if (command == "setscl" && !bare)
    return setOffMask(argument);
  if (command == "setscale" && !bare)
    return setCurrentScale(argument);
  if (!bare)
    return {ErrorReply};

  if (command == "getid")
    return {state.identity.toUtf8()};
  if (command == "gettime")
    return {' ' + TesterText::timeStamp(state.clock())};
  if (command == "cleardata") {
    state.memory.clear();
    return {OkReply};
  }
  if (command == "readdata") {
    QList<QByteArray> replies{QByteArray::number(state.memory.size())};
    for (const TesterRecord& record : qAsConst(state.memory))
      replies.append(TesterText::recordLine(record));
    return replies;
  }
  if (command == "getscl")
    return {QByteArray::number(state.offMask)};
  if (command == "getscale")
    return {TesterText::scaleLine(state.current, state.currentSlot())};
  if (command == "settime" || command == "setconst") {
    dialogue = command == "settime" ? Dialogue::Time : Dialogue::Constants;
    values.clear();
    return {steps().first().prompt};
  }
  return {ErrorReply};
}

QList<RequestHandler::Step> RequestHandler::steps() const {
  if (dialogue == Dialogue::Time)
    return {{" MIN:", ValueKind::Integer},
            {" HR:", ValueKind::Integer},
            {" DAY:", ValueKind::Integer},
            {" MONTH:", ValueKind::Integer},
            {" YEAR:", ValueKind::Integer}};
  return {{" A:", ValueKind::Real},
          {" B:", ValueKind::Real},
          {" C:", ValueKind::Real},
          {" MIN:", ValueKind::Real},
          {" MAX:", ValueKind::Real},
          {" NAME:", ValueKind::Name},
          {" TYPE:", ValueKind::Integer},
          {" POINTS:", ValueKind::Integer}};
}

bool RequestHandler::takeValue(const QByteArray& value, QList<QByteArray>& replies) {
  if (dialogue == Dialogue::AwaitCommit) {
    dialogue = Dialogue::None;
    if (value != "wct")
      return strict; // strict: swallowed, nothing stored
    replies.append(commitConstants());
    return true;
  }

  const QList<Step> all = steps();
  const ValueKind kind = all.at(values.size()).kind;
  // Names are taken as they come: a ";" in one splits every scale line of that slot later.
  const bool accepted =
      strict || kind == ValueKind::Name || isValid(value, kind == ValueKind::Real);
  if (!accepted) {
    dialogue = Dialogue::None;
    return false;
  }
  values.append(value);
  if (values.size() < all.size()) {
    replies.append(all.at(values.size()).prompt);
  } else if (dialogue == Dialogue::Time) {
    dialogue = Dialogue::None;
    replies.append(commitTime());
  } else {
    dialogue = Dialogue::AwaitCommit;
  }
  return true;
}

QByteArray RequestHandler::commitTime() {
  const QTime time(values[1].toInt(), values[0].toInt());
  const int year = values[4].toInt();
  const QDate date(2000 + year, values[3].toInt(), values[2].toInt());
  if (year < 0 || year > 99 || !time.isValid() || !date.isValid())
    return ErrorReply;
  state.setClock(QDateTime(date, time));
  return OkReply;
}

QByteArray RequestHandler::commitConstants() {
  TesterScale& slot = state.scales[state.current];
  slot.a = values[0].toDouble();
  slot.b = values[1].toDouble();
  slot.c = values[2].toDouble();
  slot.min = values[3].toDouble();
  slot.max = values[4].toDouble();
  slot.name = QString::fromUtf8(values[5]);
  slot.type = values[6].toInt();
  slot.points = values[7].toInt();
  return OkReply;
}

QList<QByteArray> RequestHandler::setOffMask(const QByteArray& argument) {
  bool ok = false;
  const uint mask = argument.toUInt(&ok);
  // With every scale switched off the tester could not measure at all, so it refuses.
  if (!ok || mask >= 0xFFFF)
    return {" SCL:", ErrorReply};
  state.offMask = quint16(mask);
  return {" SCL:", ' ' + argument + ";OK"};
}

QList<QByteArray> RequestHandler::setCurrentScale(const QByteArray& argument) {
  bool ok = false;
  const int number = argument.toInt(&ok);
  if (!ok || number < 0 || number >= TesterState::SlotCount)
    return {ErrorReply};
  state.current = number;
  return {TesterText::scaleLine(number, state.currentSlot())};
}

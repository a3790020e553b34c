#pragma once

#include <QByteArray>
#include <QList>

class TesterState;

// The tester's side of the command set: takes one received line at a time (line end removed),
// changes the state and returns the reply lines (without line ends). Keeps the position inside
// the settime and setconst dialogues between lines.
//
// Normally a value that is no number where a number is prompted abandons the dialogue and the
// line is handled as a new request. Strict, every line is taken as the value, and after the
// last constant only "wct" stores them; any other line ends the dialogue unstored and is
// swallowed. Names are stored as sent, ";" included, as a simple firmware would.
class RequestHandler {
public:
  struct Outcome {
    bool newExchange = true; // false when the line was a value of a running dialogue
    QList<QByteArray> replies;
  };

  static const QByteArray ErrorReply;

  explicit RequestHandler(TesterState& state);

  Outcome handle(const QByteArray& line);
  void setStrict(bool on) { strict = on; }

private:
  enum class ValueKind { Integer, Real, Name };
  struct Step {
    const char* prompt;
    ValueKind kind;
  };
  enum class Dialogue { None, Time, Constants, AwaitCommit };

  QList<QByteArray> request(const QByteArray& line);
  bool takeValue(const QByteArray& value, QList<QByteArray>& replies);
  QList<Step> steps() const;
  QByteArray commitTime();
  QByteArray commitConstants();
  QList<QByteArray> setOffMask(const QByteArray& argument);
  QList<QByteArray> setCurrentScale(const QByteArray& argument);

  TesterState& state;
  Dialogue dialogue = Dialogue::None;
  bool strict = false;
  QList<QByteArray> values;
};

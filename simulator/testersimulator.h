#pragma once

#include "simulator/testerstate.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class PacedWriter;
class QSocketNotifier;
class RequestHandler;

// Stands in for the hardness tester on a pseudo-terminal: the application opens portName()
// like the tester's serial port and gets the tester's answers, driven by real state (memory,
// clock, scale slots), so what it writes changes what it later reads and measures.
//
// Lives on the thread that creates it; a socket notifier and timers do the work, so it keeps
// answering while a command of the application waits in a nested event loop.
//
// Replies: every reply line ends with "\n" (or "\r\n", see setCrLf). A request the tester does
// not know, a bad argument and a rejected dialogue value are answered with " ERR\n". In a
// dialogue, a value line that is not a number where a number is prompted (or anything but
// "wct" where "wct" is awaited) abandons the dialogue without changing anything, and the line
// is then handled as a new request, so an application that gave up half-way is not stuck.
//
// Failure modes, for tests:
// - setReplyDelay: every reply line leaves that long after the previous one (or the request).
// - setCrLf: lines the simulator composes end in "\r\n"; sendRaw bytes are sent as given.
// - failReply / injectBeforeReply: one-shot faults on one reply line of the next matching
//   request. Reply lines count from 0 over the whole exchange, dialogues included: settime
//   is " MIN:" (0) ... " YEAR:" (4), closing line (5); setconst is " A:" (0) ... " POINTS:"
//   (7), " OK" after "wct" (8); readdata is the count (0), then record i (i). A request given
//   as the bare command word ("setscale\n", "setscl\n") matches any argument.
// - delayReply: one-shot, that reply line of the next matching request leaves that much later
//   (past the application's one second, it reaches whatever command comes next).
// - setPaced: bytes leave at about 960 per second, as on the tester's 9600 baud line.
// - setSilent: requests are recorded and signalled but neither handled nor answered.
// - setStrict: dialogues take whatever line comes next as the value, as a simple firmware
//   does, and never give up half-way; only what follows the last value decides (see
//   RequestHandler).
// - hangUp / comeBack: the converter is pulled (the port reports errors, reads return
//   nothing) and plugged back; with setLinkPath the new terminal appears on the same path.
// - sendNoise: line noise (random bytes, NUL, bytes that are no UTF-8, four-field garbage).
class TesterSimulator : public QObject {
  Q_OBJECT

public:
  using ScaleSlot = TesterScale;
  using Record = TesterRecord;
  enum class Failure {
    Drop,  // the line is not sent at all
    Garble // the line's bytes are replaced by line noise of the same length, ending kept
  };

  static constexpr int PacedBytesPerSecond = 960;

  explicit TesterSimulator(QObject* parent = nullptr);
  ~TesterSimulator() override;

  // Opens the pseudo-terminal; false (with a warning) if the system has none to give.
  bool start();
  // Closes the terminal as an unplugged converter does: the application's end reports a
  // hang-up, and the link goes. State (memory, clock, scales) is kept for comeBack().
  void hangUp();
  // A new terminal, as a replugged converter gets; false if none could be opened.
  bool comeBack();
  bool isConnected() const { return masterFd >= 0; }
  // A symbolic link kept pointing at the current terminal, across comeBack(); removed at
  // destruction. Replaces only a stale link, never a file. False if it cannot be made.
  bool setLinkPath(const QString& path);
  // The slave's path, such as /dev/pts/5; empty before start().
  QString portName() const;
  // Every byte the application wrote since start() or clearReceived().
  QByteArray received() const;
  void clearReceived();

  QString identity() const;
  void setIdentity(const QString& id);
  // The tester's clock: the host's clock plus an offset, so it keeps running.
  QDateTime clock() const;
  void setClock(const QDateTime& dt);

  QList<Record> memory() const;
  void setMemory(const QList<Record>& records);
  // Replaces the memory with count plausible records over HRC, HB and HV, oldest first.
  void seedMemory(int count);

  // Slots 0 to 15; other numbers read as a default slot and are not written.
  ScaleSlot scaleSlot(int number) const;
  void setScaleSlot(int number, const ScaleSlot& slot);
  // Bit i set means scale i is switched off.
  quint16 offMask() const;
  void setOffMask(quint16 mask);
  int currentScale() const;
  void setCurrentScale(int number);

  // Hardness the current scale gives for this frequency; 0 (the tester's error) outside MIN..MAX.
  double hardnessFor(double frequency) const;
  // A frequency that the current scale turns into a valid hardness.
  double randomFrequency();
  // Measures with the current scale: stores the record (averaging 1; frequency and hardness
  // rounded to one decimal, as the tester shows them) and sends the live line
  // "hh:mm:ss dd.MM.yy N;frequency;hardness;scale", N being the record's number in memory.
  void measure(double frequency);
  // Sends a key line such as "btn1short;OK" or "btn2long;OK" (the line end is added).
  void sendKeyEvent(const QByteArray& text = "btn1short;OK");
  void sendRaw(const QByteArray& bytes);
  // About that many bytes of line noise, reproducible for a seed, in lines of at most a few
  // dozen bytes; no line of it is a measurement, a key event or a reply.
  static QByteArray noise(int bytes, quint32 seed);
  void sendNoise(int bytes, quint32 seed = 1);

  void setReplyDelay(int ms);
  void setCrLf(bool on);
  void setSilent(bool on);
  void setPaced(bool on);
  void setStrict(bool on);
  void failReply(const QByteArray& request, int lineIndex, Failure failure);
  void delayReply(const QByteArray& request, int lineIndex, int ms);
  // The line (line end added if missing) goes out just before that reply line.
  void injectBeforeReply(const QByteArray& request, int lineIndex, const QByteArray& line);
  // Runs the event loop until every queued output byte is written; false on timeout.
  bool waitForIdle(int timeoutMs);

signals:
  // Every complete line the application writes, dialogue values included, "\n" kept.
  void requestReceived(const QByteArray& line);

private:
  struct Fault {
    QByteArray request;
    int lineIndex = 0;
    enum { Drop, Garble, Inject, Delay } kind = Drop;
    QByteArray line;
    int delayMs = 0;
  };

  void readFromMaster();
  void closeTerminal();
  bool pointLink();
  void armFault(const Fault& fault);
  void handleLine(const QByteArray& line);
  void sendReply(const QByteArray& text);
  void sendLine(const QByteArray& text, int delayMs);
  QByteArray withLineEnd(const QByteArray& text) const;
  static bool requestMatches(const QByteArray& pattern, const QByteArray& line);

  TesterState state;
  std::unique_ptr<RequestHandler> handler;
  PacedWriter* writer = nullptr;
  QSocketNotifier* readNotifier = nullptr;
  int masterFd = -1;
  int slaveFd = -1;
  QString slavePath;
  QString linkPath;
  QByteArray receivedBytes;
  QByteArray pendingLine;
  int replyDelayMs = 0;
  bool crLf = false;
  bool silent = false;
  bool paced = false;
  bool strict = false;
  QList<Fault> armedFaults;
  QList<Fault> exchangeFaults; // taken from armedFaults by the request that opened the exchange
  int exchangeLine = 0;        // index of the next reply line in the current exchange
};

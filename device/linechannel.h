#pragma once

#include <functional>

#include <QByteArray>
#include <QList>
#include <QObject>

class QIODevice;
class QTimer;

// The line exchange with the tester over any byte device: the one wait for a reply line, the
// command frame that keeps the tester's own lines away from a command, and their delivery
// between commands. It knows lines, not what they mean, except which lines the tester sends
// on its own.
class LineChannel : public QObject {
  Q_OBJECT

public:
  // How long one reply line may take.
  static constexpr int ReplyTimeoutMs = 1000;
  // An incomplete line longer than this is dropped, so a babbling line cannot fill memory.
  static constexpr qint64 MaxLineBytes = 4096;

  // Which complete lines a wait takes as its reply; the others are stale and dropped.
  using ReplyTest = std::function<bool(const QByteArray&)>;

  // One command's exchange: while it lasts, the tester's own lines wait and no other
  // command may start; at its end they are delivered. ok() is false (and nothing happens)
  // when the device is closed or another command runs.
  class Command {
  public:
    explicit Command(LineChannel& channel);
    ~Command();
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;
    bool ok() const { return m_ok; }

  private:
    LineChannel& m_channel;
    bool m_ok = false;
  };

  // replyTimeoutMs: the least a reply line is waited for (shorter in tests of the exchange).
  explicit LineChannel(QIODevice* io,
                       QObject* parent = nullptr,
                       int replyTimeoutMs = ReplyTimeoutMs);

  bool isOpen() const;
  // A command or a pause is under way.
  bool isBusy() const { return m_waiting || m_command; }

  // The wait for a reply line: at least the reply time-out, more by the wire time of lines that
  // came first. The tester's own lines are kept for delivery, lines that isReply refuses are
  // dropped, and the wait goes on. Empty on a time-out (the request's reply kind is then
  // owed); an unfinished line stays in the buffer.
  QByteArray waitForLine(bool* ok = nullptr, const ReplyTest& isReply = {});
  // Turns the event loop for ms, so the tester settles; its lines stay in the buffer.
  void pause(int ms);
  // Ends the wait under way at once, and every wait until resetCancel().
  void cancel();
  bool cancelled() const { return m_cancelled; }
  void resetCancel() { m_cancelled = false; }

  // Drops the stale lines before a request (keeping the tester's own) and writes it; the
  // reply's kind (a caller's bit) is owed when its wait runs out.
  void writeRequest(const QByteArray& request, int replyKind);
  // Bytes handed to the driver now, in order (a dialogue's answers).
  void writeBytes(const QByteArray& bytes);
  // Reply kinds that may still arrive late, as bits.
  int owed() const { return m_owed; }
  void owe(int replyKinds) { m_owed |= replyKinds; }
  void forgive(int replyKinds) { m_owed &= ~replyKinds; }

  // Between commands the tester's own lines go out as lineReceived, or wait while off.
  void setReceiving(bool receiving);
  bool receiving() const { return m_receiving; }
  // A new line: nothing owed, nothing begun.
  void reset();
  // The device is closing: complete lines still reach lineReceived later.
  void keepArrivedLines();

signals:
  void lineReceived(const QByteArray& line);
  // A command ended: the link is idle again.
  void commandEnded();
  void cancelRequested();

private:
  void waitForEvents(bool untilLine);
  // A line that is not the reply: the tester's own (kept) or stale (dropped).
  bool setAsideLine(const QByteArray& line, const ReplyTest& isReply);
  void clearStaleLines();
  void dropOversizedPartialLine();
  void scheduleDelivery();
  void deliver();

  QIODevice* m_io;
  QTimer* m_timer;
  int m_replyTimeoutMs;
  bool m_waiting = false;
  bool m_command = false;
  bool m_receiving = false;
  bool m_cancelled = false;
  bool m_deliveryScheduled = false;
  bool m_inFlight = false; // a line had begun before the request: it is not the reply
  int m_owed = 0;
  int m_requestKind = 0;
  QList<QByteArray> m_heldLines; // the tester's own lines met during a command
};

// The line exchange and the tester's protocol over a line in memory: no port, no simulator.
#include <QtTest>

#include "device/linechannel.h"
#include "device/testerprotocol.h"
#include "support/memorylink.h"

namespace {

const QByteArray kLiveLine = "12:31:40 14.02.20 7;806.0;51.9;HRC\n";
const int kReplyMs = 40; // the reply time-out these tests run with

} // namespace

class LineChannelTest : public QObject {
  Q_OBJECT

  // Plays the tester: answers each request with its pieces, each after its delay, and keeps
  // every request it got.
  struct Answer {
    int afterMs;
    QByteArray bytes;
  };
  using Script = QMap<QByteArray, QList<Answer>>;
  void play(MemoryLink& link, const Script& script, QByteArray* requests) {
    connect(
        &link.tester,
        &QIODevice::readyRead,
        &link.tester,
        [&link, script, requests] {
          while (link.tester.canReadLine()) {
            const QByteArray request = link.tester.readLine();
            *requests += request;
            for (const Answer& piece : script.value(request))
              QTimer::singleShot(
                  piece.afterMs, &link.tester, [&link, piece] { link.tester.write(piece.bytes); });
          }
        });
  }

private slots:
  void replyInPiecesIsTakenAndTheTestersOwnLinesWaitForTheCommandsEnd() {
    MemoryLink link;
    LineChannel channel(&link.program, nullptr, kReplyMs);
    channel.setReceiving(true);
    QSignalSpy received(&channel, &LineChannel::lineReceived);
    // A measurement comes first, then the identity in two pieces.
    QByteArray requests;
    play(link, {{"getid\n", {{0, kLiveLine}, {5, "123"}, {10, "45\n"}}}}, &requests);
    {
      const LineChannel::Command command(channel);
      QVERIFY(command.ok());
      QVERIFY(!LineChannel::Command(channel).ok()); // one command at a time
      QCOMPARE(TesterProtocol::identity(channel), QByteArray("12345\n"));
      QCOMPARE(received.count(), 0);
    }
    QTRY_COMPARE(received.count(), 1);
    QCOMPARE(received.at(0).at(0).toByteArray(), kLiveLine);
  }

  void lateReplyIsNeverTakenForTheNextRequest() {
    MemoryLink link;
    LineChannel channel(&link.program, nullptr, kReplyMs);
    QByteArray requests;
    play(link,
         {{"getid\n", {{kReplyMs * 3 / 2, "12345\n"}}},
          {"gettime\n", {{kReplyMs * 3 / 4, " 08:07:30 09.03.31\n"}}},
          {"getscale\n", {{5, "4;HRB;0.5;12;0;20;70;1;5\n"}}}},
         &requests);
    const LineChannel::Command command(channel);
    QVERIFY(TesterProtocol::identity(channel).isEmpty());
    QCOMPARE(channel.owed(), int(TesterProtocol::OtherShape));
    // The identity arrives while the link gets back in step, and is dropped; the scale record
    // is the tester's answer to the request that follows.
    const std::optional<ScaleNumber> scale = TesterProtocol::currentScale(channel);
    QCOMPARE(scale, std::optional<ScaleNumber>(4));
    QCOMPARE(requests, QByteArray("getid\ngettime\ngetscale\n"));
    QCOMPARE(channel.owed(), 0);
  }

  void lostStepReplyWritesNothingOfTheCommand() {
    MemoryLink link;
    LineChannel channel(&link.program, nullptr, kReplyMs);
    QByteArray requests;
    play(link, {}, &requests);
    const LineChannel::Command command(channel);
    channel.owe(TesterProtocol::ClockShape);
    // Nobody answers the scale record that would put the link back in step.
    QVERIFY(!TesterProtocol::setClock(channel, QDateTime(QDate(2031, 3, 9), QTime(8, 7))));
    QCOMPARE(requests, QByteArray("getscale\n"));
  }
};

QTEST_GUILESS_MAIN(LineChannelTest)
#include "tst_linechannel.moc"

// The simulator is the application's test partner, so its own answers must be right: these
// tests talk to it through the pseudo-terminal with plain POSIX calls, as a port would.

#include "simulator/testersimulator.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <memory>

namespace {

// Long enough for any reply the simulator would send without a delay.
constexpr int NoReplyMs = 300;

// The application's end of the line.
class PortEnd {
public:
  explicit PortEnd(const QString& path)
      : fd(::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
    termios settings{};
    ::tcgetattr(fd, &settings);
    ::cfmakeraw(&settings);
    ::tcsetattr(fd, TCSANOW, &settings);
  }
  ~PortEnd() { ::close(fd); }

  bool isOpen() const { return fd >= 0; }
  int descriptor() const { return fd; }
  void write(const QByteArray& bytes) {
    QCOMPARE(::write(fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
  }

  // Turns the event loop (the simulator works in it) until count lines came or time ran out.
  QList<QByteArray> readLines(int count, int timeoutMs = 2000) {
    QList<QByteArray> lines;
    QElapsedTimer elapsed;
    elapsed.start();
    while (lines.size() < count && elapsed.elapsed() < timeoutMs) {
      pull();
      int end;
      while (lines.size() < count && (end = buffer.indexOf('\n')) >= 0) {
        lines.append(buffer.left(end + 1));
        buffer.remove(0, end + 1);
      }
      if (lines.size() < count)
        QTest::qWait(1);
    }
    return lines;
  }
  QByteArray readLine(int timeoutMs = 2000) { return readLines(1, timeoutMs).value(0); }
  QList<QByteArray> ask(const QByteArray& request, int replyLines, int timeoutMs = 2000) {
    write(request);
    return readLines(replyLines, timeoutMs);
  }
  QByteArray readBytes(int count, int timeoutMs) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (buffer.size() < count && elapsed.elapsed() < timeoutMs) {
      QTest::qWait(1);
      pull();
    }
    const QByteArray bytes = buffer;
    buffer.clear();
    return bytes;
  }

private:
  void pull() {
    char chunk[4096];
    ssize_t count;
    while ((count = ::read(fd, chunk, sizeof chunk)) > 0)
      buffer.append(chunk, int(count));
  }

  int fd;
  QByteArray buffer;
};

int fieldCount(const QByteArray& line) {
  return line.trimmed().split(';').size();
}

QDateTime stamp(const QByteArray& text) {
  return QLocale::c().toDateTime(QString::fromLatin1(text), "hh:mm:ss dd.MM.yy").addYears(100);
}

QByteArray stampText(const QDateTime& dateTime) {
  return QLocale::c().toString(dateTime, "hh:mm:ss dd.MM.yy").toLatin1();
}

} // namespace

class TestSimulator : public QObject {
  Q_OBJECT

private slots:
  void init() {
    simulator = std::make_unique<TesterSimulator>();
    QVERIFY(simulator->start());
    port = std::make_unique<PortEnd>(simulator->portName());
    QVERIFY(port->isOpen());
  }
  void cleanup() {
    port.reset();
    simulator.reset();
  }

  void settimeDialogueSetsTheClockAndRejectsImpossibleDates() {
    QCOMPARE(port->ask("settime\n", 1), QList<QByteArray>{" MIN:\n"});
    QCOMPARE(port->ask("07\n", 1), QList<QByteArray>{" HR:\n"});
    QCOMPARE(port->ask("08\n", 1), QList<QByteArray>{" DAY:\n"});
    QCOMPARE(port->ask("09\n", 1), QList<QByteArray>{" MONTH:\n"});
    QCOMPARE(port->ask("03\n", 1), QList<QByteArray>{" YEAR:\n"});
    QCOMPARE(port->ask("31\n", 1), QList<QByteArray>{" OK\n"});
    const QDateTime set = simulator->clock();
    QCOMPARE(set.date(), QDate(2031, 3, 9));
    QCOMPARE(set.time().hour(), 8);
    QCOMPARE(set.time().minute(), 7);
    QVERIFY(set.time().second() < 5);

    const QByteArray time = port->ask("gettime\n", 1).value(0);
    QVERIFY2(time.startsWith(" 08:07:0") && time.endsWith(" 09.03.31\n"), time);

    port->ask("settime\n", 1);
    for (const QByteArray value : {"00\n", "10\n", "30\n", "02\n"})
      port->ask(value, 1);
    QCOMPARE(port->ask("26\n", 1), QList<QByteArray>{" ERR\n"});
    QCOMPARE(simulator->clock().date(), QDate(2031, 3, 9));
  }

  void setconstWritesTheCurrentSlotWhichThenMeasuresWithIt() {
    QCOMPARE(fieldCount(port->ask("setscale 4\n", 1).value(0)), 9);
    QByteArrayList prompts{port->ask("setconst\n", 1)};
    for (const QByteArray value : {"0.5\n", "12\n", "0\n", "20\n", "999\n", "HRB\n", "0\n"})
      prompts += port->ask(value, 1);
    QCOMPARE(prompts,
             QByteArrayList({" A:\n",
                             " B:\n",
                             " C:\n",
                             " MIN:\n",
                             " MAX:\n",
                             " NAME:\n",
                             " TYPE:\n",
                             " POINTS:\n"}));
    QVERIFY(port->ask("5\n", 1, NoReplyMs).isEmpty()); // the tester waits silently for "wct"
    QCOMPARE(port->ask("wct\n", 1), QList<QByteArray>{" OK\n"});
    QCOMPARE(port->ask("getscale\n", 1), QList<QByteArray>{"4;HRB;0.5;12;0;20;999;0;5\n"});

    simulator->measure(10.0);
    const QByteArray live = port->readLine();
    QVERIFY2(live.endsWith(" 1;10.0;120.5;HRB\n"), live);
    QCOMPARE(fieldCount(live), 4);
    simulator->measure(100.0); // 1200.5 is above MAX: the tester's error value
    QVERIFY(port->readLine().endsWith(";100.0;0.0;HRB\n"));

    simulator->setScaleSlot(4, {QStringLiteral("EXP"), 100.0, -10.0, 0.0, 1.0, 200.0, 1, 2});
    simulator->measure(10.0);
    QVERIFY(port->readLine().endsWith(";10.0;36.8;EXP\n")); // 100 * e^-1
    QCOMPARE(simulator->memory().size(), 3);
  }

  void anAbandonedDialogueChangesNothingAndTheNextRequestIsAnswered() {
    const TesterSimulator::ScaleSlot before = simulator->scaleSlot(0);
    port->ask("setconst\n", 1);
    port->ask("0.5\n", 1);
    QCOMPARE(port->ask("getid\n", 1), QList<QByteArray>{"12345\n"});
    QCOMPARE(port->ask("wct\n", 1), QList<QByteArray>{" ERR\n"});
    QCOMPARE(simulator->scaleSlot(0).a, before.a);
  }

  void namesAreStoredAsSentAndASemicolonBreaksTheSlotsRecord() {
    port->ask("setconst\n", 1);
    for (const QByteArray value : {"1\n", "2\n", "3\n", "4\n", "5\n"})
      port->ask(value, 1);
    QCOMPARE(port->ask("A;B\n", 1), QList<QByteArray>{" TYPE:\n"});
    port->ask("0\n", 1);
    port->ask("2\n", 1, NoReplyMs);
    QCOMPARE(port->ask("wct\n", 1), QList<QByteArray>{" OK\n"});
    QCOMPARE(simulator->scaleSlot(0).name, QString("A;B"));
    QCOMPARE(fieldCount(port->ask("getscale\n", 1).value(0)), 10);

    port->ask("setconst\n", 1);
    for (const QByteArray value : {"1\n", "2\n", "3\n", "4\n", "5\n"})
      port->ask(value, 1);
    port->ask("Твёрд\n", 1);
    port->ask("0\n", 1);
    port->ask("2\n", 1, NoReplyMs);
    port->ask("wct\n", 1);
    QCOMPARE(simulator->scaleSlot(0).name, QString("Твёрд"));
    QVERIFY(port->ask("getscale\n", 1).value(0).startsWith("0;Твёрд;1;"));
  }

  void strictDialogueTakesAnyLineAsTheValueAndStoresOnlyOnWct() {
    simulator->setStrict(true);
    const TesterSimulator::ScaleSlot before = simulator->scaleSlot(0);
    port->ask("setconst\n", 1);
    QCOMPARE(port->ask("getid\n", 1), QList<QByteArray>{" B:\n"}); // taken as A
    for (const QByteArray value : {"2\n", "3\n", "4\n", "x\n", "N\n", "0\n"})
      port->ask(value, 1);
    QVERIFY(port->ask("2\n", 1, NoReplyMs).isEmpty()); // waits for "wct"
    QVERIFY(port->ask("\n", 1, NoReplyMs).isEmpty());  // not "wct": ends it, swallowed
    QCOMPARE(simulator->scaleSlot(0).name, before.name);
    QCOMPARE(simulator->scaleSlot(0).a, before.a);
    QCOMPARE(port->ask("getid\n", 1), QList<QByteArray>{"12345\n"});
  }

  void hungUpTerminalReportsAHangUpAndComesBackOnTheSameLink() {
    QTemporaryDir dir;
    const QString link = dir.filePath("tester");
    QVERIFY(simulator->setLinkPath(link));
    QCOMPARE(QFileInfo(link).symLinkTarget(), simulator->portName());
    simulator->hangUp();
    QVERIFY(!simulator->isConnected());
    QVERIFY(!QFileInfo(link).isSymLink());
    char byte;
    const ssize_t count = ::read(port->descriptor(), &byte, 1);
    QVERIFY(count == 0 || (count < 0 && errno == EIO)); // a hang-up, not "nothing yet"
    QVERIFY(simulator->comeBack());
    QCOMPARE(QFileInfo(link).symLinkTarget(), simulator->portName());
    PortEnd again(link);
    QVERIFY(again.isOpen());
    QCOMPARE(again.ask("getid\n", 1), QList<QByteArray>{"12345\n"});
  }

  void noiseHoldsNoLineTheProgramCouldTakeForData() {
    const QByteArray noise = TesterSimulator::noise(64 * 1024, 7);
    QVERIFY(noise.size() >= 64 * 1024);
    QVERIFY(noise.contains('\0'));
    QVERIFY(noise.contains("\xff\xfe"));
    int fourFields = 0;
    for (const QByteArray& line : noise.split('\n'))
      fourFields += line.count(';') == 3;
    QVERIFY(fourFields > 100);
    QCOMPARE(noise, TesterSimulator::noise(64 * 1024, 7));
  }

  void delayedReplyOfOneNamedRequestOnly() {
    simulator->delayReply("setscale 4\n", 0, 400);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(port->ask("setscale 3\n", 1).value(0).startsWith("3;"));
    QVERIFY(clock.elapsed() < 200);
    QVERIFY(port->ask("setscale 4\n", 1, 300).isEmpty());
    QVERIFY(port->readLine().startsWith("4;"));
    QVERIFY(clock.elapsed() >= 400);
  }

  void readdataAnnouncesExactlyTheRecordsItSendsAndCleardataErasesThem() {
    simulator->seedMemory(25);
    const QList<QByteArray> lines = port->ask("readdata\n", 26);
    QCOMPARE(lines.size(), 26);
    QCOMPARE(lines.first(), QByteArray("25\n"));
    QDateTime previous;
    for (const QByteArray& line : lines.mid(1)) {
      const QList<QByteArray> fields = line.trimmed().split(';');
      QCOMPARE(fields.size(), 5);
      const QDateTime when = stamp(fields[0]);
      QVERIFY2(when.isValid() && when < simulator->clock(), fields[0]);
      QVERIFY(!previous.isValid() || previous <= when);
      QVERIFY(QByteArrayList({"HRC", "HB", "HV"}).contains(fields[3]));
      QVERIFY(fields[1].toInt() >= 1 && fields[1].toInt() <= 5);
      QVERIFY(fields[4].toDouble() > 0.0);
      previous = when;
    }
    QVERIFY(port->readLines(1, NoReplyMs).isEmpty());

    QVERIFY(port->ask("cleardata\n", 1).value(0).contains("OK"));
    QVERIFY(simulator->memory().isEmpty());
    QCOMPARE(port->ask("readdata\n", 1), QList<QByteArray>{"0\n"});
  }

  void scaleRequestsReportAndChangeTheMaskAndTheCurrentSlot() {
    QCOMPARE(port->ask("getscl\n", 1), QList<QByteArray>{"65528\n"});
    QCOMPARE(port->ask("setscl 65533\n", 2), QByteArrayList({" SCL:\n", " 65533;OK\n"}));
    QCOMPARE(simulator->offMask(), quint16(65533));
    QVERIFY(!port->ask("setscl 65535\n", 2).value(1).contains(";OK"));
    QCOMPARE(simulator->offMask(), quint16(65533));

    QVERIFY(port->ask("setscale 2\n", 1).value(0).startsWith("2;HV;"));
    QCOMPARE(simulator->currentScale(), 2);
    for (const QByteArray request : {"setscale 16\n", "setscale -1\n", "setscale x\n"})
      QVERIFY(fieldCount(port->ask(request, 1).value(0)) != 9);
    QCOMPARE(simulator->currentScale(), 2);
    QCOMPARE(fieldCount(port->ask("getscale\n", 1).value(0)), 9);

    QCOMPARE(port->ask("getid\r\n", 1), QList<QByteArray>{" ERR\n"});
  }

  void pacedOutputLeavesAtTheSerialLineRate() {
    const QByteArray bytes(480, 'x');
    QElapsedTimer elapsed;
    elapsed.start();
    simulator->sendRaw(bytes);
    QCOMPARE(port->readBytes(bytes.size(), 2000).size(), bytes.size());
    QVERIFY(elapsed.elapsed() < 300);

    simulator->setPaced(true);
    elapsed.restart();
    simulator->sendRaw(bytes);
    QCOMPARE(port->readBytes(bytes.size(), 3000).size(), bytes.size());
    QVERIFY2(elapsed.elapsed() >= 450 && elapsed.elapsed() < 1000,
             QByteArray::number(elapsed.elapsed()));
  }

  void oneShotFaultsHitOnlyTheNamedLineOfTheNextMatchingExchange() {
    simulator->seedMemory(3);
    const QList<TesterSimulator::Record> memory = simulator->memory();
    simulator->failReply("readdata\n", 2, TesterSimulator::Failure::Drop);
    const QList<QByteArray> lines = port->ask("readdata\n", 4, NoReplyMs);
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[1].startsWith(stampText(memory[0].dateTime)));
    QVERIFY(lines[2].startsWith(stampText(memory[2].dateTime)));
    QCOMPARE(port->ask("readdata\n", 4).size(), 4);

    simulator->failReply("gettime\n", 0, TesterSimulator::Failure::Garble);
    const QByteArray garbled = port->ask("gettime\n", 1).value(0);
    QCOMPARE(garbled.size(), 19);
    QVERIFY(garbled.endsWith('\n') && !garbled.startsWith(' ') && !garbled.contains(':'));

    simulator->injectBeforeReply("setscl\n", 1, "btn1short;OK");
    QCOMPARE(port->ask("setscl 65528\n", 3),
             QByteArrayList({" SCL:\n", "btn1short;OK\n", " 65528;OK\n"}));

    // Counting goes on through a dialogue: the closing line of settime is line 5.
    simulator->failReply("settime\n", 5, TesterSimulator::Failure::Drop);
    port->ask("settime\n", 1);
    for (const QByteArray value : {"00\n", "10\n", "01\n", "02\n"})
      port->ask(value, 1);
    QVERIFY(port->ask("26\n", 1, NoReplyMs).isEmpty());
    QCOMPARE(simulator->clock().date(), QDate(2026, 2, 1));
  }

  void delayCrLfAndSilenceShapeTheReplies() {
    simulator->setReplyDelay(300);
    QElapsedTimer elapsed;
    elapsed.start();
    QCOMPARE(port->ask("setscl 65528\n", 2).size(), 2);
    QVERIFY2(elapsed.elapsed() >= 580, QByteArray::number(elapsed.elapsed()));
    simulator->setReplyDelay(0);

    simulator->setCrLf(true);
    QCOMPARE(port->ask("getid\n", 1), QList<QByteArray>{"12345\r\n"});
    simulator->sendKeyEvent("btn2long;OK");
    QCOMPARE(port->readLine(), QByteArray("btn2long;OK\r\n"));
    simulator->setCrLf(false);

    simulator->setSilent(true);
    QSignalSpy requests(simulator.get(), &TesterSimulator::requestReceived);
    simulator->clearReceived();
    QVERIFY(port->ask("getid\n", 1, NoReplyMs).isEmpty());
    QCOMPARE(simulator->received(), QByteArray("getid\n"));
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests.first().first().toByteArray(), QByteArray("getid\n"));
  }

private:
  std::unique_ptr<TesterSimulator> simulator;
  std::unique_ptr<PortEnd> port;
};

QTEST_GUILESS_MAIN(TestSimulator)
#include "tst_simulator.moc"

// A tester on a pseudo-terminal for people: prints the terminal's path on the first line of
// standard output and answers like the tester until SIGINT, SIGTERM or "q" on standard input.

#include "simulator/testersimulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t ignored = ::write(signalPipe[1], &byte, 1);
}

// Signals only write a byte; the event loop reads it and quits, so clean-up runs normally.
void quitOnSignals(QCoreApplication& app) {
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
    return;
  auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
  QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
  std::signal(SIGINT, onSignal);
  std::signal(SIGTERM, onSignal);
}

void say(const QByteArray& text) {
  std::fprintf(stderr, "%s\n", text.constData());
}

void measureAndSay(TesterSimulator& simulator, double frequency) {
  simulator.measure(frequency);
  const TesterSimulator::Record record = simulator.memory().last();
  say("measured " + QByteArray::number(record.frequency, 'f', 1) + " -> " +
      QByteArray::number(record.hardness, 'f', 1) + ' ' + record.scale.toUtf8());
}

// Commands typed on standard input: m [frequency], k, u, r, q.
void runCommand(TesterSimulator& simulator, const QByteArray& line) {
  const QList<QByteArray> words = line.simplified().split(' ');
  const QByteArray command = words.value(0);
  if (command == "m") {
    bool ok = words.size() > 1;
    const double frequency = ok ? words.at(1).toDouble(&ok) : simulator.randomFrequency();
    if (words.size() > 1 && !ok)
      say("m needs a number, such as m 812.5");
    else
      measureAndSay(simulator, frequency);
  } else if (command == "k") {
    simulator.sendKeyEvent("btn1short;OK");
    say("key btn1short;OK");
  } else if (command == "u") {
    simulator.hangUp();
    say("unplugged");
  } else if (command == "r") {
    if (simulator.isConnected() || simulator.comeBack())
      say("plugged in: " + simulator.portName().toLocal8Bit());
    else
      say("no terminal to plug into");
  } else if (command == "q") {
    QCoreApplication::quit();
  } else if (!command.isEmpty()) {
    say("commands: m [frequency], k (delete key), u (unplug), r (plug back), q (quit)");
  }
}

void readCommandsFromStdin(TesterSimulator& simulator, QCoreApplication& app) {
  auto* notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, &app);
  auto pending = std::make_shared<QByteArray>();
  QObject::connect(notifier, &QSocketNotifier::activated, &app, [&simulator, notifier, pending] {
    char buffer[512];
    const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (count <= 0) {
      notifier->setEnabled(false); // closed or redirected from nothing: keep running
      return;
    }
    pending->append(buffer, int(count));
    int end;
    while ((end = pending->indexOf('\n')) >= 0) {
      runCommand(simulator, pending->left(end));
      pending->remove(0, end + 1);
    }
  });
}

} // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("brenmo-simulator"));

  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Hardness tester on a pseudo-terminal. Prints the terminal's path, then "
                     "reads commands: m [frequency] measures, k sends the delete key, u unplugs, "
                     "r plugs back, q quits."));
  parser.addHelpOption();
  const QCommandLineOption records(
      QStringLiteral("records"), QStringLiteral("Records in memory at start."), "N", "40");
  const QCommandLineOption measureEvery(QStringLiteral("measure-every"),
                                        QStringLiteral("Measure every SECONDS seconds."),
                                        QStringLiteral("SECONDS"));
  const QCommandLineOption paced(QStringLiteral("paced"),
                                 QStringLiteral("Send at about 960 bytes per second."));
  const QCommandLineOption crlf(QStringLiteral("crlf"),
                                QStringLiteral("End lines with a carriage return too."));
  const QCommandLineOption delay(
      QStringLiteral("delay"), QStringLiteral("Delay each reply line by MS ms."), "MS");
  const QCommandLineOption link(QStringLiteral("link"),
                                QStringLiteral("Make PATH a symbolic link to the terminal."),
                                QStringLiteral("PATH"));
  const QCommandLineOption strict(
      QStringLiteral("strict"),
      QStringLiteral("Take any line as a dialogue value, as a simple firmware does."));
  const QCommandLineOption quiet(QStringLiteral("quiet"),
                                 QStringLiteral("Do not echo the requests on standard error."));
  parser.addOptions({records, measureEvery, paced, crlf, delay, link, strict, quiet});
  parser.process(app);

  TesterSimulator simulator;
  if (!simulator.start())
    return 1;
  simulator.seedMemory(parser.value(records).toInt());
  simulator.setPaced(parser.isSet(paced));
  simulator.setCrLf(parser.isSet(crlf));
  simulator.setReplyDelay(parser.value(delay).toInt());
  simulator.setStrict(parser.isSet(strict));

  // The link follows the terminal when the tester is unplugged and plugged back ("u", "r").
  const QString linkPath = parser.value(link);
  if (!linkPath.isEmpty() && !simulator.setLinkPath(linkPath)) {
    say("cannot create the link " + linkPath.toLocal8Bit());
    return 1;
  }

  if (!parser.isSet(quiet)) {
    QObject::connect(
        &simulator,
        &TesterSimulator::requestReceived,
        [](const QByteArray& line) { say("<- " + line.trimmed()); });
  }

  QTimer measureTimer;
  const double seconds = parser.value(measureEvery).toDouble();
  if (seconds > 0) {
    QObject::connect(&measureTimer, &QTimer::timeout, [&simulator] {
      measureAndSay(simulator, simulator.randomFrequency());
    });
    measureTimer.start(int(seconds * 1000));
  }

  quitOnSignals(app);
  readCommandsFromStdin(simulator, app);

  std::printf("%s\n", qPrintable(simulator.portName()));
  std::fflush(stdout);
  return app.exec(); // the simulator removes its link
}

#pragma once

#include <functional>

#include <QElapsedTimer>
#include <QObject>
#include <QSerialPort>
#include <QString>

class LineChannel;
class QTimer;

// Notices when the tester's port goes away, and looks for it every two seconds until it
// is back; whatever then answers under the port's name is asked who it is first.
class PortWatcher : public QObject {
  Q_OBJECT

public:
  static constexpr int LookForTesterIntervalMs = 2000;
  // Read errors in a row after which the port counts as lost.
  static constexpr int LostAfterReadErrors = 3;

  // openPort opens the tester's port as a connect does.
  PortWatcher(QSerialPort* port,
              LineChannel* channel,
              std::function<bool()> openPort,
              QObject* parent = nullptr);

  // The port was just opened under this name (as the port list gives it): errors are
  // counted afresh, and its presence in the list checked.
  void watch(const QString& listedName);
  // No port was found: look for one, unless a lost tester is being looked for already.
  void searchIfIdle();
  // The user connected: the search ends, and the tester on the port is the one.
  void acceptTester();
  // The search opened a port and is asking who is there: nobody is connected yet.
  bool probing() const { return m_probing; }
  // Another tester answered after an unplug: its lines are not the table's.
  bool otherTester() const { return m_otherTester; }
  // The identity of the tester the table comes from, as last read while connected.
  void noteIdentity(const QString& identity);
  QString identity() const { return m_testerIdentity; }

signals:
  // The port was closed because the tester went away.
  void lost();
  // After a start that found none, a tester was opened; its memory is not read.
  void found();
  // The tester came back: the same one, or (otherTesterConnected) another one.
  void returned();
  void otherTesterConnected(const QString& identity);

private:
  enum class Search { None, FirstFind, AfterLoss };
  void portError(QSerialPort::SerialPortError error);
  bool lineHungUp() const;
  bool portListed() const;
  void lose();
  void startSearch(Search kind);
  void stopSearch();
  void look();
  void checkReturningTester();

  QSerialPort* m_port;
  LineChannel* m_channel;
  std::function<bool()> m_openPort;
  QTimer* m_timer;
  Search m_search = Search::None;
  bool m_probing = false;
  bool m_otherTester = false;
  QString m_testerIdentity;
  QString m_listedName;
  int m_readErrors = 0;
  QElapsedTimer m_lastReadError;
};

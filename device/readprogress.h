#pragma once

#include <QElapsedTimer>
#include <QObject>

// How far a memory read is, told a few times a second rather than once a record.
class ReadProgress : public QObject {
  Q_OBJECT

public:
  // How often a memory read tells its progress.
  static constexpr int IntervalMs = 100;

  using QObject::QObject;

  int received() const { return m_received; }
  int total() const { return m_total; }
  bool cancelled() const { return m_cancelled; }

  void start() {
    m_cancelled = false;
    m_shown.start();
  }
  // received of total so far; both 0 when the read is over.
  void update(int received, int total) {
    const bool startsOrEnds = (total == 0) != (m_total == 0);
    m_received = received;
    m_total = total;
    if (startsOrEnds || m_shown.elapsed() >= IntervalMs) {
      m_shown.restart();
      emit changed();
    }
  }
  void finish(bool cancelled) {
    m_cancelled = cancelled;
    update(0, 0);
  }

signals:
  void changed();

private:
  QElapsedTimer m_shown;
  int m_received = 0;
  int m_total = 0;
  bool m_cancelled = false;
};

#pragma once

#include <ctime>

#include <QByteArray>
#include <QtGlobal>

// The process in a time zone of the test's choosing for as long as this lives, then back in
// the one it had.
class ScopedTimeZone {
public:
  explicit ScopedTimeZone(const char* zone) : m_before(qgetenv("TZ")) {
    qputenv("TZ", zone);
    tzset();
  }
  ~ScopedTimeZone() {
    if (m_before.isNull())
      qunsetenv("TZ");
    else
      qputenv("TZ", m_before);
    tzset();
  }
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
  QByteArray m_before;
};

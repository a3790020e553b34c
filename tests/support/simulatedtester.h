#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QTemporaryDir>

#include "device/portdiscovery.h"
#include "simulator/testersimulator.h"

// A simulated tester on a pseudo-terminal that port discovery reports as the tester's USB
// port (while it is plugged in), with the settings file kept in a temporary folder for the life
// of the fixture.
class SimulatedTester {
public:
  SimulatedTester();
  ~SimulatedTester();

  bool started() const { return m_started; }
  TesterSimulator sim;

  // The simulator goes silent and answers each listed request (in order, one reply each)
  // with the given raw bytes, so a test can play a tester that misbehaves in a given way.
  void script(const QList<QPair<QByteArray, QByteArray>>& exchanges);

private:
  bool m_started = false;
};

// Keeps QSettings and the application-data folder out of the user's home.
void isolateUserFiles(const QTemporaryDir& dir);

// A live line as the tester sends it.
QByteArray liveLine(const char* time, double frequency, double hardness, const char* scale);

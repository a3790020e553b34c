#pragma once

#include <memory>

#include <QObject>
#include <QTemporaryDir>

#include "device/device.h"
#include "support/simulatedtester.h"

// A test case with a fresh simulated tester and Device for every test function, and the
// settings file in a temporary folder for the whole program.
class DeviceTestCase : public QObject {
  Q_OBJECT

protected:
  TesterSimulator& sim() { return tester->sim; }
  // Opens the tester's port without reading its memory, and forgets what was sent so far.
  void openPort();
  void startDevice();
  void stopDevice();

  QTemporaryDir userFiles;
  std::unique_ptr<SimulatedTester> tester;
  std::unique_ptr<Device> device;

private slots:
  void initTestCase();
  void init() { startDevice(); }
  void cleanup() { stopDevice(); }
};

#include "support/devicetestcase.h"

#include <QtTest>

void DeviceTestCase::initTestCase() {
  isolateUserFiles(userFiles);
}

void DeviceTestCase::startDevice() {
  tester = std::make_unique<SimulatedTester>();
  QVERIFY(tester->started());
  device = std::make_unique<Device>();
}

void DeviceTestCase::stopDevice() {
  device.reset();
  tester.reset();
}

void DeviceTestCase::openPort() {
  QVERIFY(device->open(QIODevice::ReadWrite));
  sim().clearReceived();
}

// A tester whose port is there but not open to this user (no udev rule, not in dialout):
// the program must say so and name the remedy, not claim that no tester is plugged in.
#include <QQuickWindow>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include "apphost.h"
#include "device/device.h"
#include "simulator/testersimulator.h"

namespace {

// Takes this user's access to the port away for its lifetime. Root may open any file, so as
// root the test runs as nobody meanwhile (keeping root as the saved id to come back).
class WithoutAccess {
public:
  explicit WithoutAccess(const QString& port) : m_port(QFile::encodeName(port)) {
    struct stat info {};
    m_saved = ::stat(m_port.constData(), &info) == 0 && ::chmod(m_port.constData(), 0600) == 0;
    m_mode = info.st_mode & 07777;
    if (::geteuid() == 0)
      m_asNobody = ::setresuid(65534, 65534, 0) == 0;
    else
      m_saved = m_saved && ::chmod(m_port.constData(), 0) == 0;
  }
  ~WithoutAccess() { restore(); }
  bool active() const { return m_saved && (m_asNobody || ::geteuid() != 0); }
  void restore() {
    if (m_asNobody && ::setresuid(0, 0, 0) == 0)
      m_asNobody = false;
    if (m_saved)
      ::chmod(m_port.constData(), m_mode);
    m_saved = false;
  }

private:
  QByteArray m_port;
  mode_t m_mode = 0;
  bool m_saved = false;
  bool m_asNobody = false;
};

} // namespace

class PortAccessEndToEnd : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() {
    QVERIFY(sim.start());
    sim.seedMemory(3);
    qputenv("BRENMO_TESTER_PORT", sim.portName().toLocal8Bit());
  }

  void aPortThatIsNotOursIsReportedAsDeniedThenClearedOnceItOpens() {
    Device device;
    QSignalSpy changed(&device, &Device::deniedPortNameChanged);
    {
      WithoutAccess denied(sim.portName());
      if (!denied.active())
        QSKIP("cannot take the port's access away here");
      QVERIFY(!device.connect());
    }
    QCOMPARE(device.deniedPortName(), sim.portName());
    QCOMPARE(changed.count(), 1);

    QVERIFY(device.connect());
    QCOMPARE(device.deniedPortName(), QString());
    QCOMPARE(changed.count(), 2);
  }

  void aMissingPortIsNotCalledDenied() {
    qputenv("BRENMO_TESTER_PORT", "/nonexistent/brenmo-tester");
    Device device;
    QVERIFY(!device.connect());
    QCOMPARE(device.deniedPortName(), QString());
    qputenv("BRENMO_TESTER_PORT", sim.portName().toLocal8Bit());
  }

  void theWarningNamesThePortAndTheRemedyInsteadOfNotFound() {
    AppHost host;
    WithoutAccess denied(sim.portName());
    if (!denied.active())
      QSKIP("cannot take the port's access away here");
    QVERIFY(host.load());
    // The splash hands over after two seconds; the connection fails at once.
    QTRY_VERIFY_WITH_TIMEOUT(host.window("warningDialog")->isVisible(), 6000);
    denied.restore();

    const QString text = host.window("warningDialog")->property("text").toString();
    QVERIFY2(text.contains(sim.portName()), qPrintable(text));
    QVERIFY2(text.contains(QLatin1String("dialout")), qPrintable(text));
    QVERIFY2(!text.contains(QStringLiteral("не найден")), qPrintable(text));

    // Once the user has mended it, connecting again brings back the usual warning's text.
    QMetaObject::invokeMethod(host.root(), "connectToDevice", Q_ARG(QVariant, QVariant()));
    QVERIFY(host.device()->isDeviceOpen());
    QVERIFY(host.window("warningDialog")
                ->property("text")
                .toString()
                .contains(QStringLiteral("не найден")));
    QVERIFY2(host.warnings().isEmpty(), qPrintable(host.warnings().join('\n')));
  }

private:
  TesterSimulator sim;
};

int main(int argc, char** argv) {
  AppHost::prepareEnvironment();
  QApplication app(argc, argv);
  PortAccessEndToEnd test;
  return QTest::qExec(&test, argc, argv);
}
#include "tst_portaccess.moc"

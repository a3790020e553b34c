// Runs every tst_*.qml of this folder against the application's own registrations.
#include <QApplication>
#include <QLocale>
#include <QObject>
#include <QQmlContext>
#include <QQmlEngine>
#include <QTest>
#include <QWindow>
#include <QtQuickTest>

#include "app/qmlregistration.h"

// Key presses for the documents' own top-level windows: TestCase.keyClick only reaches the
// test's window, while the dialogs are windows of their own.
class WindowKeys : public QObject {
  Q_OBJECT
public:
  Q_INVOKABLE void click(QWindow* window, int key, int modifiers = Qt::NoModifier) {
    QTest::keyClick(window, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
  }
};

class Setup : public QObject {
  Q_OBJECT
public slots:
  void qmlEngineAvailable(QQmlEngine* engine) {
    engine->rootContext()->setContextProperty(QStringLiteral("windowKeys"), &keys);
    // The documents under test, and the folders they import, from the source tree.
    addQmlModulePath(*engine, QStringLiteral(BRENMO_QML_SOURCE_DIR));
  }

private:
  WindowKeys keys;
};

int main(int argc, char** argv) {
  // The chart needs the widgets application object, which quick_test_main does not make.
  QApplication app(argc, argv);
  QLocale::setDefault(QLocale(QLocale::Russian));
  // 96 dpi: the tests measure against the normal look.
  registerQmlTypes(96.0);
  Setup setup;
  return quick_test_main_with_setup(argc, argv, "qml", QUICK_TEST_SOURCE_DIR, &setup);
}

#include "qmltestmain.moc"

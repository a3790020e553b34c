#pragma once

#include <QObject>
#include <QQmlApplicationEngine>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class Device;
class QQuickWindow;

// Runs the real interface (qrc:/qml/main.qml) inside a test or a driver program, the way the
// program's main() does, but with its settings file and data folder in a temporary directory
// and every QML warning collected, so a caller can insist on none.
class AppHost : public QObject {
  Q_OBJECT

public:
  // Call before the QApplication exists: sends settings and data to a fresh temporary folder
  // and picks the software renderer, which works without a GPU.
  static void prepareEnvironment();

  explicit AppHost(QObject* parent = nullptr);
  ~AppHost() override;

  // Registers the QML types (once per process) and loads the main document; false when the
  // document did not produce its root object.
  bool load();

  // The root QtObject of main.qml and the windows it holds as properties ("appWindow",
  // "splashWindow", "settings", "waitDialog", ...).
  QObject* root() const;
  QQuickWindow* window(const char* property) const;
  Device* device() const;
  // The first object under the main window (or the given window) with this objectName.
  QObject* find(const QString& objectName, const char* windowProperty = "appWindow") const;

  QStringList warnings() const;
  void clearWarnings();

private:
  std::unique_ptr<QQmlApplicationEngine> engine;
};

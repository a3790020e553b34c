#include "apphost.h"

#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QMutex>
#include <QMutexLocker>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QScreen>
#include <QSettings>

#include "app/qmlregistration.h"
#include "device/device.h"

namespace {

// The message handler is process-wide, so the collected warnings are too.
QMutex warningsMutex;
QStringList collectedWarnings;
QtMessageHandler previousHandler = nullptr;

// QML reports through the framework's warning channel (binding errors, failed imports, script
// exceptions); they name the document they come from.
bool comesFromQml(const QString& message) {
  return message.contains(QLatin1String("qrc:/")) || message.contains(QLatin1String("file:/")) ||
         message.startsWith(QLatin1String("QML "));
}

void collectQmlWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type != QtDebugMsg && type != QtInfoMsg && comesFromQml(message)) {
    QMutexLocker lock(&warningsMutex);
    collectedWarnings << message;
  }
  if (previousHandler)
    previousHandler(type, context, message);
}

QTemporaryDir& sandbox() {
  static QTemporaryDir dir;
  return dir;
}

} // namespace

void AppHost::prepareEnvironment() {
  const QString base = sandbox().path();
  qputenv("XDG_DATA_HOME", QFile::encodeName(base + "/data"));
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(base + "/config"));
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, base + "/config");
  QQuickWindow::setSceneGraphBackend(QSGRendererInterface::Software);
}

AppHost::AppHost(QObject* parent) : QObject(parent) {
  if (!previousHandler)
    previousHandler = qInstallMessageHandler(collectQmlWarnings);
}

AppHost::~AppHost() = default;

bool AppHost::load() {
  static bool registered = false;
  if (!registered) {
    QLocale::setDefault(QLocale(QLocale::Russian));
    const QScreen* screen = QGuiApplication::primaryScreen();
    registerQmlTypes(screen ? screen->logicalDotsPerInch() : 96.0);
    registered = true;
  }
  engine = std::make_unique<QQmlApplicationEngine>();
  QObject::connect(engine.get(), &QQmlEngine::warnings, this, [](const QList<QQmlError>& errors) {
    QMutexLocker lock(&warningsMutex);
    for (const QQmlError& error : errors)
      collectedWarnings << error.toString();
  });
  addQmlModulePath(*engine);
  engine->load(QUrl(QStringLiteral("qrc:/qml/main.qml")));
  return root() != nullptr;
}

QObject* AppHost::root() const {
  if (!engine || engine->rootObjects().isEmpty())
    return nullptr;
  return engine->rootObjects().constFirst();
}

QQuickWindow* AppHost::window(const char* property) const {
  QObject* top = root();
  return top ? qvariant_cast<QQuickWindow*>(top->property(property)) : nullptr;
}

Device* AppHost::device() const {
  QQuickWindow* main = window("appWindow");
  return main ? main->findChild<Device*>() : nullptr;
}

QObject* AppHost::find(const QString& objectName, const char* windowProperty) const {
  QQuickWindow* host = window(windowProperty);
  if (!host)
    return nullptr;
  if (QObject* found = host->findChild<QObject*>(objectName))
    return found;
  return host->contentItem()->findChild<QObject*>(objectName);
}

QStringList AppHost::warnings() const {
  QMutexLocker lock(&warningsMutex);
  return collectedWarnings;
}

void AppHost::clearWarnings() {
  QMutexLocker lock(&warningsMutex);
  collectedWarnings.clear();
}

#include "app/qmlregistration.h"

#include <QStringListModel>
#include <QtQml>

#include "app/archiverecorder.h"
#include "app/chartpoints.h"
#include "app/desktop.h"
#include "archive/archive.h"
#include "archive/historymodel.h"
#include "archive/journalmodel.h"
#include "archive/seriesmodel.h"
#include "calibration/calibration.h"
#include "device/device.h"
#include "models/currentcontext.h"
#include "models/measurementmodel.h"
#include "models/measurementstatistics.h"
#include "models/scalemodel.h"
#include "models/tolerancelimits.h"
#include "report/reportwriter.h"

QUrl definesDocumentFor(qreal logicalDpi) {
  return QUrl(logicalDpi > 96.0 ? QStringLiteral("qrc:/qml/DefinesHighDpi.qml")
                                : QStringLiteral("qrc:/qml/Defines.qml"));
}

void addQmlModulePath(QQmlEngine& engine, const QString& qmlFolder) {
  engine.addImportPath(qmlFolder);
}

void registerQmlTypes(qreal logicalDpi) {
  qmlRegisterType<Device>("com.tivor.device", 1, 0, "Device");
  qmlRegisterType<Calibration>("com.tivor.calibration", 1, 0, "Calibration");
  // The models live inside Device; registering them lets QML call their methods and pass
  // them back to C++ (Calibration::addTest).
  const QString ownedByDevice = QStringLiteral("reached through Device");
  qmlRegisterUncreatableType<MeasurementModel>(
      "com.tivor.device", 1, 0, "MeasurementModel", ownedByDevice);
  qmlRegisterUncreatableType<ScaleModel>("com.tivor.device", 1, 0, "ScaleModel", ownedByDevice);
  // A measurement model's list of scale names ("scales"), which QML reads as a model.
  qRegisterMetaType<QStringListModel*>("QStringListModel*");
  qmlRegisterType<ChartPoints>("com.tivor.chart", 1, 0, "ChartPoints");
  // The archive and the context live inside the recorder.
  qmlRegisterType<ArchiveRecorder>("com.tivor.archive", 1, 0, "ArchiveRecorder");
  const QString ownedByRecorder = QStringLiteral("reached through ArchiveRecorder");
  qmlRegisterUncreatableType<Archive>("com.tivor.archive", 1, 0, "Archive", ownedByRecorder);
  qmlRegisterUncreatableType<CurrentContext>(
      "com.tivor.archive", 1, 0, "CurrentContext", ownedByRecorder);
  qmlRegisterUncreatableType<HistoryModel>(
      "com.tivor.archive", 1, 0, "HistoryModel", ownedByRecorder);
  qmlRegisterUncreatableType<SeriesModel>(
      "com.tivor.archive", 1, 0, "SeriesModel", ownedByRecorder);
  qmlRegisterUncreatableType<JournalModel>(
      "com.tivor.archive", 1, 0, "JournalModel", ownedByRecorder);
  qmlRegisterType<MeasurementStatistics>("com.tivor.report", 1, 0, "MeasurementStatistics");
  qmlRegisterType<ToleranceLimits>("com.tivor.report", 1, 0, "ToleranceLimits");
  qmlRegisterType<ReportWriter>("com.tivor.report", 1, 0, "ReportWriter");
  qmlRegisterSingletonType(definesDocumentFor(logicalDpi), "com.tivor.defines", 1, 0, "Defines");
  qmlRegisterSingletonType<Desktop>(
      "com.tivor.desktop", 1, 0, "Desktop", [](QQmlEngine*, QJSEngine*) -> QObject* {
        // One for every engine, never deleted by one.
        QQmlEngine::setObjectOwnership(&Desktop::instance(), QQmlEngine::CppOwnership);
        return &Desktop::instance();
      });
}

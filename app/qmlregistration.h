#pragma once

#include <QString>
#include <QUrl>
#include <QtGlobal>

class QQmlEngine;

// Every C++ name that QML sees is registered here, so the program and its QML and end-to-end
// tests run the documents against exactly the same modules.

// The look document for a primary screen of this density: above 96 dpi the scaled sizes,
// because the framework's own high-DPI scaling is left off.
QUrl definesDocumentFor(qreal logicalDpi);

// Device, Calibration, the models QML reaches through Device, the chart's point feed and the
// Defines singleton.
// Call once, before the first document is loaded.
void registerQmlTypes(qreal logicalDpi);

// Each folder of qml/ is a module of its own name ("import components 1.0"): puts the folder
// that holds them, by default the resource bundle's, on the engine's import path. Call for
// every engine that loads the documents.
void addQmlModulePath(QQmlEngine& engine, const QString& qmlFolder = QStringLiteral("qrc:/qml"));

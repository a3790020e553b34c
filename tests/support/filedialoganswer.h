#pragma once

#include <memory>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QString>
#include <QStringList>
#include <QTimer>

// What a file dialog showed when it was answered.
struct SeenFileDialog {
  QString title;
  QStringList filters;
  QString folder;
};

// Answers the next file dialog once it is up, with the given file typed into its name field
// or (empty) by cancelling, as a user would; the result fills in when it has been answered.
inline std::shared_ptr<SeenFileDialog> answerFileDialog(QObject* owner, const QString& fileName) {
  auto seen = std::make_shared<SeenFileDialog>();
  auto* poll = new QTimer(owner);
  QObject::connect(poll, &QTimer::timeout, [poll, seen, fileName] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible())
      return; // not up yet
    poll->deleteLater();
    poll->stop();
    *seen = {dialog->windowTitle(), dialog->nameFilters(), dialog->directory().absolutePath()};
    if (fileName.isEmpty()) {
      dialog->reject();
      return;
    }
    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(fileName);
    QMetaObject::invokeMethod(dialog, "accept");
  });
  poll->start(50);
  return seen;
}

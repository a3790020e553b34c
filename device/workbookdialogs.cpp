#include "device/workbookdialogs.h"

#include <QCoreApplication>
#include <QFileDialog>

#include "models/lastfolder.h"

namespace WorkbookDialogs {

QString askSaveName() {
  QFileDialog dialog(nullptr,
                     QCoreApplication::translate("Device", "Сохранить измерения"),
                     LastFolder::folder(LastFolder::WorkbookKey),
                     QCoreApplication::translate("Device", "Таблица Excel (*.xlsx)"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("xlsx")); // also asks before replacing the suffixed file
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return QString();
  QString fileName = dialog.selectedFiles().constFirst();
  LastFolder::remember(LastFolder::WorkbookKey, fileName);
  if (!fileName.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
    fileName += QLatin1String(".xlsx");
  return fileName;
}

QString askOpenName() {
  const QString fileName =
      QFileDialog::getOpenFileName(nullptr,
                                   QCoreApplication::translate("Device", "Открыть измерения"),
                                   LastFolder::folder(LastFolder::WorkbookKey),
                                   QCoreApplication::translate("Device", "Таблица Excel (*.xlsx)"));
  LastFolder::remember(LastFolder::WorkbookKey, fileName);
  return fileName;
}

} // namespace WorkbookDialogs

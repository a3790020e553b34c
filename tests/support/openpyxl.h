#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <QString>

// A python3 that has openpyxl (the one on the path, or the system's), for checking our
// workbooks against another reader; empty when there is none.
inline QString pythonWithOpenpyxl() {
  for (const QString& candidate : {QStandardPaths::findExecutable(QStringLiteral("python3")),
                                   QStringLiteral("/usr/bin/python3")}) {
    if (candidate.isEmpty())
      continue;
    QProcess probe;
    probe.start(candidate, {QStringLiteral("-c"), QStringLiteral("import openpyxl")});
    if (probe.waitForFinished(30000) && probe.exitStatus() == QProcess::NormalExit &&
        probe.exitCode() == 0)
      return candidate;
  }
  return {};
}

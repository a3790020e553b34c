// The measurement archive as the user meets it: what the tester gives is kept once, with the
// context typed in the window, survives a killed program, opens again from the history, and
// a damaged file neither stops measuring nor is lost.
#include <QApplication>
#include <QDirIterator>
#include <QProcess>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include "apphost.h"
#include "archive/archive.h"
#include "device/device.h"
#include "models/measurementmodel.h"
#include "models/measurementstatistics.h"
#include "simulator/testersimulator.h"

namespace {

// Counts in the view other tools read, through a connection of its own.
int countIn(const QString& archivePath, const QString& where = QString()) {
  int count = -1;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("peek"));
    db.setDatabaseName(archivePath);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (db.open()) {
      QSqlQuery query(db);
      if (query.exec(QStringLiteral("SELECT count(*) FROM measurements") +
                     (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where)) &&
          query.next())
        count = query.value(0).toInt();
    }
    db.close();
  }
  QSqlDatabase::removeDatabase(QStringLiteral("peek"));
  return count;
}

} // namespace

class ArchiveEndToEnd : public QObject {
  Q_OBJECT

  TesterSimulator sim;
  std::unique_ptr<AppHost> host;

  Device* device() { return host->device(); }
  QString archivePath() {
    QObject* archive = host->find("archiveRecorder")->property("archive").value<QObject*>();
    return archive->property("path").toString();
  }
  void startProgram() {
    host = std::make_unique<AppHost>();
    QVERIFY(host->load());
    QTRY_VERIFY_WITH_TIMEOUT(host->window("appWindow")->property("isValidScales").toBool(), 30000);
  }
  // As the user: the window in front, then the keys.
  void press(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QQuickWindow* window = host->window("appWindow");
    window->requestActivate();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window, key, modifiers);
  }
  // Typed as a hurried user does: a click into the field, the text, Return.
  void typeInto(const char* field, const QString& text) {
    auto* item = qobject_cast<QQuickItem*>(host->find(field));
    QVERIFY(item);
    QQuickWindow* window = host->window("appWindow");
    window->requestActivate();
    QVERIFY(QTest::qWaitForWindowActive(window));
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
    QTRY_VERIFY(item->hasActiveFocus());
    for (const QChar& character : text)
      QTest::sendKeyEvent(
          QTest::Click, window, Qt::Key_unknown, QString(character), Qt::NoModifier);
    QTest::keyClick(window, Qt::Key_Return);
  }

private slots:
  void initTestCase() {
    QVERIFY(sim.start());
    sim.seedMemory(6);
    qputenv("BRENMO_TESTER_PORT", sim.portName().toLocal8Bit());
    startProgram();
  }

  void cleanup() {
    const QStringList warnings = host->warnings();
    host->clearWarnings();
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
  }

  void readingTheMemoryAgainArchivesEachRecordOnce() {
    QCOMPARE(countIn(archivePath()), 6);
    sim.measure(sim.randomFrequency());
    QTRY_COMPARE(device()->measures()->rowCount(), 1);
    QCOMPARE(countIn(archivePath(), "source = 'live'"), 1);
    // The memory now holds the live one too: read again, nothing is stored twice.
    press(Qt::Key_F5, Qt::NoModifier);
    QTRY_COMPARE(device()->measures()->rowCount(), 7);
    QCOMPARE(countIn(archivePath()), 7);
    // All of it is kept: clearing the memory is offered, and says how much is kept.
    QVERIFY(QMetaObject::invokeMethod(host->root(), "askClearMemory"));
    QQuickWindow* question = host->window("memoryDialog");
    QTRY_VERIFY(question->isVisible());
    QVERIFY(question->property("text").toString().contains(QStringLiteral("(7)")));
    QVERIFY(QMetaObject::invokeMethod(question, "cancel"));
  }

  void contextTypedInTheWindowGoesWithTheReadingsAndIntoTheReport() {
    typeInto("context_part", QStringLiteral("Вал 12"));
    typeInto("context_lot", QStringLiteral("П-7"));
    sim.measure(sim.randomFrequency());
    QTRY_COMPARE(countIn(archivePath(), "part = 'Вал 12' AND lot = 'П-7'"), 1);

    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty())
      QSKIP("pdftotext is not installed");
    QTemporaryDir dir;
    const QString report = dir.filePath("report.pdf");
    QObject* writer = host->find("reportWriter");
    bool written = false;
    QVERIFY(QMetaObject::invokeMethod(
        writer,
        "writeReport",
        Q_RETURN_ARG(bool, written),
        Q_ARG(QString, report),
        Q_ARG(MeasurementStatistics*,
              qobject_cast<MeasurementStatistics*>(host->find("statistics"))),
        Q_ARG(QString, QStringLiteral("12345")),
        Q_ARG(QString, QStringLiteral("Все шкалы")),
        Q_ARG(QVariant, QVariant())));
    QVERIFY(written);
    QProcess text;
    text.start(pdftotext, QStringList{report, QStringLiteral("-")});
    QVERIFY(text.waitForFinished(30000));
    const QString page = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY2(page.contains(QStringLiteral("Вал 12")) && page.contains(QStringLiteral("П-7")),
             qPrintable(page));
  }

  void historyOpensAPastSeriesIntoTheTable() {
    QQuickWindow* history = host->window("history");
    QVERIFY(history);
    press(Qt::Key_H, Qt::ControlModifier);
    QTRY_VERIFY(history->isVisible());
    // The first memory read: the oldest series of six.
    QAbstractItemModel* series =
        host->find("archiveRecorder")->property("series").value<QAbstractItemModel*>();
    QTRY_VERIFY(series->rowCount() >= 3);
    const QHash<int, QByteArray> roles = series->roleNames();
    const int idRole = roles.key("seriesId");
    const int countRole = roles.key("count");
    const QModelIndex oldest = series->index(series->rowCount() - 1, 0);
    QCOMPARE(series->data(oldest, countRole).toInt(), 6);
    QVERIFY(QMetaObject::invokeMethod(
        history, "pickSeries", Q_ARG(QVariant, series->data(oldest, idRole))));
    QObject* open = host->find("historyOpen", "history");
    QVERIFY(QMetaObject::invokeMethod(open, "clicked"));
    QTRY_VERIFY(!history->isVisible());
    QCOMPARE(device()->measures()->rowCount(), 6);
    QCOMPARE(device()->measures()->frequency(0), sim.memory().first().frequency);
  }

  void killedProgramLosesNoLiveLineItShowed() {
    TesterSimulator tester;
    QVERIFY(tester.start());
    QTemporaryDir home;
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("BRENMO_TESTER_PORT", tester.portName());
    env.insert("XDG_DATA_HOME", home.filePath("data"));
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(BRENMO_APP_BINARY), QStringList());
    QVERIFY(program.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(tester.received().contains("readdata\n"), 30000);
    QTRY_VERIFY_WITH_TIMEOUT(tester.received().contains("getscl\n"), 30000);
    for (int i = 0; i < 3; ++i)
      tester.measure(tester.randomFrequency());
    QString path;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
          QDirIterator files(
              home.path(), {"archive.sqlite"}, QDir::Files, QDirIterator::Subdirectories);
          path = files.hasNext() ? files.next() : QString();
          return !path.isEmpty() && countIn(path, "source = 'live'") == 3;
        }(),
        10000);
    program.kill(); // SIGKILL: no chance to close anything
    QVERIFY(program.waitForFinished());
    QCOMPARE(countIn(path, "source = 'live'"), 3);
  }

  void damagedArchiveLeavesMeasuringWorkingSaysSoAndIsKeptAside() {
    const QString path = archivePath();
    host.reset();
    QByteArray garbage(64 * 1024, '\x5a');
    for (const char* suffix : {"", "-wal", "-shm"})
      QFile::remove(path + suffix);
    QFile damaged(path);
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write(garbage);
    damaged.close();

    startProgram();
    const int records = sim.memory().size();
    QCOMPARE(device()->measures()->rowCount(), records); // the memory read went on
    QQuickWindow* failure = host->window("failureDialog");
    QTRY_VERIFY(failure->isVisible());
    QVERIFY2(failure->property("text").toString().contains(QStringLiteral("повреж")),
             qPrintable(failure->property("text").toString()));
    QDir folder = QFileInfo(path).dir();
    const QStringList aside =
        folder.entryList({QFileInfo(path).fileName() + ".damaged-*"}, QDir::Files);
    QCOMPARE(aside.size(), 1);
    QFile kept(folder.filePath(aside.first()));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), garbage);
    QCOMPARE(countIn(path), records); // the new archive took the read
    QVERIFY(QMetaObject::invokeMethod(failure, "accept"));
  }
};

int main(int argc, char* argv[]) {
  AppHost::prepareEnvironment();
  QApplication app(argc, argv);
  ArchiveEndToEnd test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_archivewindow.moc"

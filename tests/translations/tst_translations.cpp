// The English catalogue as a user meets it: every text of the program translated, the
// translation keeping what the program fills in or breaks on, and the catalogue found where
// start-up looks for it.
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

#include "app/catalogue.h"

namespace {

const QString kSourceDir = QStringLiteral(BRENMO_SOURCE_DIR);
const QString kCatalogueSource = kSourceDir + QStringLiteral("/translations/brenmo_en.ts");
const QString kBuiltCatalogue = QStringLiteral(BRENMO_BUILT_CATALOGUE);

struct Message {
  QString context;
  QString source;
  QString translation;
  bool unfinished = false;
};

QList<Message> readCatalogue(const QString& fileName) {
  QList<Message> messages;
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly))
    return messages;
  QXmlStreamReader xml(&file);
  QString context;
  Message message;
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isEndElement() && xml.name() == QLatin1String("message")) {
      messages.append(message);
    } else if (!xml.isStartElement()) {
      continue;
    } else if (xml.name() == QLatin1String("name")) {
      context = xml.readElementText();
    } else if (xml.name() == QLatin1String("message")) {
      message = Message{context, {}, {}, false};
    } else if (xml.name() == QLatin1String("source")) {
      message.source = xml.readElementText();
    } else if (xml.name() == QLatin1String("translation")) {
      const bool marked =
          xml.attributes().value(QLatin1String("type")) == QLatin1String("unfinished");
      message.translation = xml.readElementText();
      message.unfinished = marked || message.translation.isEmpty();
    }
  }
  return messages;
}

QString describe(const Message& m) {
  return QStringLiteral("  %1: \"%2\"").arg(m.context, QString(m.source).replace('\n', "\\n"));
}

} // namespace

class Translations : public QObject {
  Q_OBJECT

private slots:
  // The sources gathered afresh into a copy of the catalogue: a text added since the last
  // refresh comes in unfinished, so it fails here and is named.
  void everyTextOfTheProgramHasAFinishedEnglishTranslation() {
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("brenmo_en.ts"));
    QVERIFY(QFile::copy(kCatalogueSource, copy));
    QProcess update;
    update.start(QStringLiteral("bash"),
                 {kSourceDir + QStringLiteral("/scripts/update-translations.sh"), copy});
    QVERIFY(update.waitForFinished(60000));
    QVERIFY2(update.exitCode() == 0, update.readAllStandardError().constData());

    const QList<Message> messages = readCatalogue(copy);
    QVERIFY(messages.size() > 30);
    QStringList unfinished;
    for (const Message& m : messages)
      if (m.unfinished)
        unfinished << describe(m);
    QVERIFY2(unfinished.isEmpty(),
             qPrintable(QStringLiteral("%1 texts have no finished English translation; run "
                                       "scripts/update-translations.sh and translate them in "
                                       "translations/brenmo_en.ts:\n")
                            .arg(unfinished.size()) +
                        unfinished.join('\n')));
    QCOMPARE(messages.size(), readCatalogue(kCatalogueSource).size());
  }

  // "%1" is filled in by the program; line breaks and markup are where the layout breaks.
  void translationsKeepPlaceholdersLineBreaksAndMarkup() {
    const QRegularExpression kept(QStringLiteral("%\\d|\\n|<br>|<b>|</b>|\\\"|\\$USER"));
    auto marks = [&](const QString& text) {
      QStringList found;
      for (auto it = kept.globalMatch(text); it.hasNext();)
        found << it.next().captured();
      return found;
    };
    QStringList differing;
    for (const Message& m : readCatalogue(kCatalogueSource)) {
      if (!m.unfinished && (marks(m.source) != marks(m.translation) ||
                            m.source.endsWith(' ') != m.translation.endsWith(' ')))
        differing << describe(m);
    }
    QVERIFY2(differing.isEmpty(), qPrintable(differing.join('\n')));
  }

  // These are fixed by the program's file dialogs and calibration panel, in Russian.
  void fixedTextsAreLeftOutOfTheCatalogue() {
    const QStringList fixed = {QStringLiteral("Сохранить измерения"),
                               QStringLiteral("Открыть измерения"),
                               QStringLiteral("Таблица Excel (*.xlsx)"),
                               QStringLiteral("Введите твердость меры:")};
    for (const Message& m : readCatalogue(kCatalogueSource))
      QVERIFY2(!fixed.contains(m.source), qPrintable(describe(m)));
  }

  void theBuiltCatalogueReplacesTheRussianTexts() {
    QTranslator translator;
    QVERIFY2(translator.load(kBuiltCatalogue), qPrintable(kBuiltCatalogue));
    QCOMPARE(translator.translate("main", "Подождите..."), QStringLiteral("Please wait..."));
    QCOMPARE(translator.translate("MeasurementModel", "Измерения"), QStringLiteral("Measurements"));
    QCOMPARE(translator.translate("Device", "Роквелл С, легир. сталь"),
             QStringLiteral("Rockwell C, alloy steel"));
  }

  void aCatalogueInTheWorkingDirectoryIsTakenWhateverTheLanguage() {
    QTemporaryDir dir;
    QVERIFY(QFile::copy(kBuiltCatalogue, dir.filePath(QStringLiteral("brenmo_en.qm"))));
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    QTranslator translator;
    const bool loaded = loadCatalogue(translator, QLocale(QLocale::Russian), QString());
    QDir::setCurrent(before);
    QVERIFY(loaded);
    QCOMPARE(translator.translate("main", "Подождите..."), QStringLiteral("Please wait..."));
  }

  void theInstalledCatalogueIsTakenForEnglishUsersOnly() {
    QTemporaryDir empty;
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(empty.path()));
    const QString installed = QFileInfo(kBuiltCatalogue).absolutePath();
    QTranslator english, british, russian, nowhere;
    const bool forEnglish = loadCatalogue(english, QLocale(QLocale::English), installed);
    const bool forBritish =
        loadCatalogue(british, QLocale(QLocale::English, QLocale::UnitedKingdom), installed);
    const bool forRussian = loadCatalogue(russian, QLocale(QLocale::Russian), installed);
    const bool withoutFolder = loadCatalogue(nowhere, QLocale(QLocale::English), QString());
    QDir::setCurrent(before);

    QVERIFY(forEnglish);
    QVERIFY(forBritish);
    QCOMPARE(english.translate("main", "Подождите..."), QStringLiteral("Please wait..."));
    QVERIFY(!forRussian);
    QVERIFY(russian.isEmpty());
    QVERIFY(!withoutFolder);
  }

  // bin/brenmo finds share/brenmo/translations, wherever the install was put.
  void theInstalledFolderIsFoundFromTheProgramsOwn() {
    QCOMPARE(installedCatalogueFolder(QStringLiteral("/opt/x/bin")),
             QStringLiteral("/opt/x/share/brenmo/translations"));
  }
};

QTEST_GUILESS_MAIN(Translations)
#include "tst_translations.moc"

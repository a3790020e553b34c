// The English catalogue as a user meets it: every text of the program translated, the
// translation keeping what the program fills in or breaks on, and the catalogue found where
// start-up looks for it.
#include <QDir>
#include <QDirIterator>
#include <QLibraryInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

#include <algorithm>

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

const QRegularExpression kCyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));

// The string literals of a C++ or QML source that hold Russian, comments left out, with
// their escaped line breaks and quotes as the program shows them.
QStringList russianLiterals(const QString& fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly))
    return {QStringLiteral("(unreadable)")};
  const QString text = QString::fromUtf8(file.readAll());
  QStringList found;
  for (int i = 0; i < text.size(); ++i) {
    if (text.midRef(i, 2) == QLatin1String("//")) {
      i = text.indexOf('\n', i);
    } else if (text.midRef(i, 2) == QLatin1String("/*")) {
      const int end = text.indexOf(QLatin1String("*/"), i + 2);
      i = end < 0 ? -1 : end + 1;
    } else if (text[i] == '"' || text[i] == '\'') {
      const QChar quote = text[i];
      QString literal;
      for (++i; i < text.size() && text[i] != quote && text[i] != '\n'; ++i)
        if (text[i] == '\\' && i + 1 < text.size())
          literal += text[++i] == 'n' ? QChar('\n') : text[i];
        else
          literal += text[i];
      if (literal.contains(kCyrillic))
        found << literal;
    }
    if (i < 0)
      break;
  }
  return found;
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
    for (const Message& m : readCatalogue(kCatalogueSource))
      if (!m.unfinished && (marks(m.source) != marks(m.translation) ||
                            m.source.endsWith(' ') != m.translation.endsWith(' ')))
        differing << describe(m);
    QVERIFY2(differing.isEmpty(), qPrintable(differing.join('\n')));
  }

  // In English nothing stays Russian: every Russian text in a source passes through the
  // catalogue (so it is a piece of one of its texts), and no translation is Russian.
  void noRussianTextIsLeftOutOfTheCatalogue() {
    const QList<Message> messages = readCatalogue(kCatalogueSource);
    QStringList missed;
    for (const char* folder :
         {"app", "archive", "device", "models", "files", "calibration", "report", "qml"}) {
      QDirIterator files(kSourceDir + '/' + folder,
                         {QStringLiteral("*.cpp"), QStringLiteral("*.h"), QStringLiteral("*.qml")},
                         QDir::Files,
                         QDirIterator::Subdirectories);
      while (files.hasNext()) {
        const QString fileName = files.next();
        for (const QString& literal : russianLiterals(fileName)) {
          const bool inCatalogue = std::any_of(messages.begin(), messages.end(), [&](auto& m) {
            return m.source.contains(literal);
          });
          if (!inCatalogue)
            missed << QStringLiteral("  %1: \"%2\"")
                          .arg(QDir(kSourceDir).relativeFilePath(fileName), literal);
        }
      }
    }
    QVERIFY2(missed.isEmpty(),
             qPrintable(QStringLiteral("shown in Russian whatever the language; use qsTr/tr:\n") +
                        missed.join('\n')));
    for (const Message& m : messages)
      QVERIFY2(!m.translation.contains(kCyrillic), qPrintable(describe(m)));
  }

  // The framework's dialogs and buttons in the Russian interface, where Debian has them.
  void theFrameworksRussianTextsAreFound() {
    const QString folder = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
    if (!QFile::exists(folder + QStringLiteral("/qtbase_ru.qm")))
      QSKIP("qttranslations5-l10n is not installed");
    QTranslator framework;
    QVERIFY(loadFrameworkCatalogue(framework, folder));
    QVERIFY(framework.translate("QPlatformTheme", "Cancel").contains(kCyrillic));
    QVERIFY(!loadFrameworkCatalogue(framework, QStringLiteral("/nonexistent")));
  }

  void theBuiltCatalogueReplacesTheRussianTexts() {
    QTranslator translator;
    QVERIFY2(translator.load(kBuiltCatalogue), qPrintable(kBuiltCatalogue));
    QCOMPARE(translator.translate("main", "Подождите..."), QStringLiteral("Please wait..."));
    QCOMPARE(translator.translate("MeasurementModel", "Измерения"), QStringLiteral("Measurements"));
    QCOMPARE(translator.translate("ScaleModel", "Роквелл С, легир. сталь"),
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

#include "archive/archive.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QSettings>
#include <QStandardPaths>

#include "archive/archivequeue.h"
#include "archive/archiverecords.h"

struct Archive::Impl {
  explicit Impl(const QString& path) : queue(path) {}
  ArchiveQueue queue;
  // Live lines of one generation share a series.
  quint64 generation = 0;
  quint64 readToken = 0;
  int lastReadCount = 0;
};

QString Archive::defaultPath() {
  return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
         QStringLiteral("/archive.sqlite");
}

Archive::Archive(const QString& path, QObject* parent)
    : QObject(parent), d(nullptr), m_path(QFileInfo(path).absoluteFilePath()) {
  d = new Impl(m_path);
  connect(&d->queue, &ArchiveQueue::availabilityChanged, this, [this] {
    m_available = d->queue.available();
    m_problem = d->queue.problem();
    emit availabilityChanged();
  });
  connect(&d->queue, &ArchiveQueue::stored, this, &Archive::stored);
}

Archive::~Archive() {
  if (!d->queue.waiting().isEmpty())
    d->queue.flush();
  if (!d->queue.waiting().isEmpty())
    qWarning("Archive: %lld entries could not be written to %s",
             static_cast<long long>(d->queue.waiting().size()),
             qPrintable(m_path));
  d->queue.close();
  delete d;
}

bool Archive::open() {
  return d->queue.flush();
}

void Archive::takeOverUndoRecords(QSettings* settings) {
  if (!settings)
    return;
  const QString root = QStringLiteral("CalibrationUndo");
  settings->beginGroup(root);
  const QStringList slotGroups = settings->childGroups();
  settings->endGroup();
  for (const QString& slotName : slotGroups) {
    bool slotOk = false;
    const int slot = slotName.toInt(&slotOk);
    const QString group = root + QLatin1Char('/') + slotName;
    settings->beginGroup(group);
    bool numbers = slotOk && slot >= 0 && slot < ScaleSlots;
    auto number = [&](const char* key) {
      bool ok = false;
      const double value = settings->value(QLatin1String(key)).toDouble(&ok);
      numbers = numbers && ok;
      return value;
    };
    ArchiveItem item;
    item.kind = ArchiveItem::TakeOver;
    item.kept.slot = static_cast<ScaleNumber>(slot);
    item.kept.kept = settings->value(QStringLiteral("Date")).toDateTime();
    item.kept.constants.name = settings->value(QStringLiteral("Name")).toString();
    item.kept.constants.a = number("A");
    item.kept.constants.b = number("B");
    item.kept.constants.c = number("C");
    item.kept.constants.type = static_cast<qint8>(number("Type"));
    item.kept.constants.points = static_cast<qint16>(number("Points"));
    settings->endGroup();
    // A record edited by hand into something else stays where it is, unused as before.
    if (!numbers)
      continue;
    item.settings = settings;
    item.group = group;
    d->queue.add(std::move(item));
  }
}

int Archive::storeMemoryRead(const QString& tester,
                             const QList<Measurement>& records,
                             const InspectionContext& context) {
  ArchiveItem item;
  item.kind = ArchiveItem::MemoryRead;
  item.tester = tester;
  item.records = records;
  item.context = context;
  item.readToken = ++d->readToken;
  d->lastReadCount = records.size();
  d->queue.add(std::move(item));
  return lastMemoryReadKept() ? d->queue.writtenReadAdded() : 0;
}

// Tokens grow with each read and the queue writes in order: the last read is written when
// the last token written is its own.
bool Archive::lastMemoryReadKept() const {
  return d->readToken > 0 && d->queue.writtenRead() == d->readToken;
}

int Archive::lastMemoryReadCount() const {
  return d->lastReadCount;
}

void Archive::storeLive(const QString& tester,
                        const Measurement& measurement,
                        MeasurementSource source,
                        const InspectionContext& context) {
  ArchiveItem item;
  item.kind = ArchiveItem::Live;
  item.tester = tester;
  item.measurement = measurement;
  item.source = source;
  item.context = context;
  item.generation = d->generation;
  d->queue.add(std::move(item));
}

void Archive::endSeries() {
  ++d->generation;
}

void Archive::journal(const QString& tester, const QString& action, const QVariantMap& details) {
  ArchiveItem item;
  item.kind = ArchiveItem::Journal;
  item.tester = tester;
  item.action = action;
  item.details =
      QString::fromUtf8(QJsonDocument::fromVariant(details).toJson(QJsonDocument::Compact));
  d->queue.add(std::move(item));
}

std::optional<KeptConstants> Archive::keptConstants(ScaleNumber slot) const {
  const QList<ArchiveItem>& waiting = d->queue.waiting();
  // What waits to be written is newer than what the file holds.
  for (auto it = waiting.crbegin(); it != waiting.crend(); ++it) {
    if (it->kept.slot != slot)
      continue;
    if (it->kind == ArchiveItem::Drop)
      return std::nullopt;
    if (it->kind == ArchiveItem::Keep)
      return it->kept;
  }
  std::optional<KeptConstants> pendingTakeOver;
  for (const ArchiveItem& item : waiting)
    if (item.kind == ArchiveItem::TakeOver && item.kept.slot == slot)
      pendingTakeOver = item.kept;
  if (!d->queue.file().isOpen())
    return pendingTakeOver;
  const std::optional<KeptConstants> kept = ArchiveRecords(d->queue.file()).kept(slot);
  if (!kept || (pendingTakeOver && pendingTakeOver->kept > kept->kept))
    return pendingTakeOver;
  return kept;
}

void Archive::keepConstants(const KeptConstants& kept) {
  ArchiveItem item;
  item.kind = ArchiveItem::Keep;
  item.kept = kept;
  d->queue.add(std::move(item));
}

void Archive::dropKeptConstants(ScaleNumber slot) {
  ArchiveItem item;
  item.kind = ArchiveItem::Drop;
  item.kept.slot = slot;
  d->queue.add(std::move(item));
}

QSqlDatabase Archive::database() const {
  return d->queue.file().isOpen() && m_available ? d->queue.file().database() : QSqlDatabase();
}

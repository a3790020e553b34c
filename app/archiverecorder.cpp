#include "app/archiverecorder.h"

#include "archive/archive.h"
#include "archive/historymodel.h"
#include "archive/journalmodel.h"
#include "archive/seriesmodel.h"
#include "device/device.h"
#include "models/currentcontext.h"
#include "models/settingsfile.h"

ArchiveRecorder::ArchiveRecorder(QObject* parent)
    : QObject(parent), m_archive(new Archive(Archive::defaultPath(), this)),
      m_context(new CurrentContext(this)) {
  m_archive->open();
  // Earlier versions kept the calibrations that can be undone in the settings file.
  m_archive->takeOverUndoRecords(SettingsFile::open(this));
  // Readings of one context make a series of their own.
  connect(m_context, &CurrentContext::changed, m_archive, &Archive::endSeries);
  m_readings = new HistoryModel(m_archive->database(), this);
  m_series = new SeriesModel(m_archive->database(), this);
  m_journal = new JournalModel(m_archive->database(), this);
  connect(m_archive, &Archive::availabilityChanged, this, [this] {
    m_readings->setDatabase(m_archive->database());
    m_series->setDatabase(m_archive->database());
    m_journal->setDatabase(m_archive->database());
  });
  connect(m_archive, &Archive::stored, this, [this] {
    if (!m_historyShown)
      return;
    m_readings->refresh();
    m_series->refresh();
    m_journal->refresh();
  });
}

ArchiveRecorder::~ArchiveRecorder() {
  // The models' queries go before the archive's connection does.
  delete m_readings;
  delete m_series;
  delete m_journal;
}

int ArchiveRecorder::openShown() {
  if (!m_device)
    return 0;
  const QList<Measurement> rows = m_readings->measurementsOfFilter();
  if (!rows.isEmpty())
    m_device->openMeasurements(rows);
  return rows.size();
}

void ArchiveRecorder::setDevice(Device* device) {
  if (device == m_device)
    return;
  if (m_device)
    m_device->disconnect(this);
  m_device = device;
  if (device) {
    connect(
        device,
        &Device::memoryRead,
        this,
        [this](const QList<Measurement>& records) {
          m_archive->storeMemoryRead(m_device->testerIdentity(), records, m_context->value());
          m_archive->endSeries(); // live lines after a read are a series of their own
        });
    connect(
        device,
        &Device::measured,
        this,
        [this](const Measurement& measurement, bool calib) {
          m_archive->storeLive(m_device->testerIdentity(),
                               measurement,
                               calib ? MeasurementSource::Calibration : MeasurementSource::Live,
                               m_context->value());
        });
    connect(device,
            &Device::testerWritten,
            this,
            [this](const QString& action, const QVariantMap& details) {
              m_archive->journal(m_device->testerIdentity(), action, details);
            });
  }
  emit deviceChanged();
}

bool ArchiveRecorder::memoryKept() const {
  return m_archive->lastMemoryReadKept();
}

int ArchiveRecorder::memoryCount() const {
  return m_archive->lastMemoryReadCount();
}

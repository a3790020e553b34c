#pragma once

#include <optional>

#include <QByteArray>
#include <QDateTime>
#include <QSerialPort>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariantMap>

#include "device/readprogress.h"
#include "device/scaletransfer.h"
#include "formats/measurement.h"
#include "formats/scaleconstants.h"

class LineChannel;
class LiveFeed;
class MeasurementModel;
class PortWatcher;
class ScaleModel;
class QSettings;
class QTimer;

// The program's one link to the tester, as the interface sees it: a serial port that knows
// the tester's commands and owns the measurement and scale models shown by the interface.
// The line exchange, the tester's protocol, the watch over the port and the live lines are
// rooms of their own behind it.
//
// Commands are synchronous: each waits up to one second per reply line while the event loop
// keeps turning. Between commands, the lines the tester sends on its own go to the table, or
// to the calibration list in calibration mode.
class Device : public QSerialPort {
  Q_OBJECT
  Q_PROPERTY(MeasurementModel* measModel READ measures CONSTANT)
  Q_PROPERTY(MeasurementModel* calibMeasModel READ calibMeasures CONSTANT)
  Q_PROPERTY(ScaleModel* scalesModel READ scales CONSTANT)
  // Whether the port is open; false from the moment the tester is unplugged until it is found
  // again (or connected by hand).
  Q_PROPERTY(bool connected READ isDeviceOpen NOTIFY connectedChanged)
  // The tester's port when the last open found it but may not use it for lack of
  // permission; empty otherwise. The interface names the remedy instead of "not found".
  Q_PROPERTY(QString deniedPortName READ deniedPortName NOTIFY deniedPortNameChanged)
  // A memory read under way: the records received so far of the count the tester announced
  // (both 0 when no read runs). Updated a few times a second, not per record.
  Q_PROPERTY(int readProgress READ readProgress NOTIFY readProgressChanged)
  Q_PROPERTY(int readTotal READ readTotal NOTIFY readProgressChanged)
  // The last memory read was stopped by the user (its rows so far are kept).
  Q_PROPERTY(bool readCancelled READ readCancelled NOTIFY readProgressChanged)

public:
  enum ScalesNames {
    NoScale = 0,
    HRC = 1,
    HB = 2,
    HV = 4,
    UserScale1 = 8,
    UserScale2 = 16,
    UserScale3 = 32,
    UserScale4 = 64,
    UserScale5 = 128,
    UserScale6 = 256,
    UserScale7 = 512,
    UserScale8 = 1024,
    UserScale9 = 2048,
    UserScale10 = 4096,
    UserScale11 = 8192,
    UserScale12 = 16384,
    UserScale13 = 32768,
    AllScales = 65535
  };
  Q_ENUM(ScalesNames)

  // The pause that lets a tester settle after opening, and the keep-alive's interval.
  static constexpr int SettlePauseMs = 500;
  static constexpr int WakeUpIntervalMs = 25000;

  explicit Device(QObject* parent = nullptr);
  ~Device() override;

  bool open(OpenMode mode) override;
  QString deniedPortName() const { return m_deniedPortName; }
  int readProgress() const { return m_progress->received(); }
  int readTotal() const { return m_progress->total(); }
  bool readCancelled() const { return m_progress->cancelled(); }
  // The identity of the tester the table comes from, as last read (a connection reads it
  // before the memory); empty before.
  Q_INVOKABLE QString testerIdentity() const;
  // What start-up had to mend in the settings file, for the main window to tell once; empty
  // when nothing was, and after the first call.
  Q_INVOKABLE QString takeSettingsNotice();

  // Rows from elsewhere (the archive) replace the table as an opened workbook does.
  void openMeasurements(const QList<Measurement>& rows);

  // What a write of constants left in the tester, as the slot read back afterwards shows.
  using ScaleWrite = ScaleTransfer::Write;
  // Writes values (none: the row's own) into the tester's current scale with the constants
  // dialogue, then reads the slot back; the read-back, not the tester's " OK", decides. The
  // slot's row is set to what was read back, or marked unread when nothing could be read.
  // Nothing is sent when the current scale is not slot (if given) or its row was not read.
  ScaleWrite writeCurrentScale(const std::optional<ScaleConstants>& values = std::nullopt,
                               std::optional<ScaleNumber> slot = std::nullopt);

signals:
  void deniedPortNameChanged();
  void readProgressChanged();
  void beginDataChange();
  void dataChanged();
  void lineReady();
  void connectedChanged();
  // The search found a tester after a start (or a connect) that found none; the port is open
  // and reception on, the memory not read.
  void testerFound();
  // After an unplug, a tester with another identity answered on the port; its lines are not
  // taken until the user connects to it.
  void otherTesterConnected(const QString& identity);
  // Measurements reaching the program, each before it is shown: every record of a memory
  // read in the tester's order, and each live or calibration line.
  void memoryRead(const QList<Measurement>& records);
  void measured(const Measurement& measurement, bool calibration);
  // Something was written to the tester: what was asked, and what it showed afterwards.
  void testerWritten(const QString& action, const QVariantMap& details);

public slots:
  QStringList availablePorts();
  bool connect(QString portName);
  bool connect();
  bool autoConnect();
  QString id();
  QDateTime time();
  bool setTime(QDateTime date);
  bool readMemory();
  bool clearMemory();
  MeasurementModel* measures();
  MeasurementModel* calibMeasures();
  short visibleScales();
  bool setVisibleScales();
  // The tester's current scale; -1 when it gave no record naming a slot.
  short currentScaleNumber();
  bool setCurrentScaleNumber(short scaleNumber);
  bool readScales();
  bool setScale();
  bool setScales();
  ScaleModel* scales();
  void setCalibMode(bool enable);
  // The file dialogs and the workbook; empty on success or cancel, else what went wrong.
  QString saveToFile();
  // A file already chosen (dropped on the window) opens without the dialog.
  QString openFromFile(const QUrl& dropped = QUrl());
  bool isDeviceOpen();
  // A command is waiting for its reply: any other is refused until it is done.
  bool isBusy();
  // Stops a memory read under way: the rows read so far stay, and the records still on their
  // way are dropped before the next request. Nothing happens when no read runs.
  void cancelRead();

private slots:
  // Every line the tester sends on its own between commands.
  void dataReady(const QByteArray& line);
  void enableReception();
  void disableReception();
  void wakeUpDevice();

private:
  friend class DeviceProbe; // tests look at the rooms through it

  void journalWrite(const ScaleWrite& write);
  // After an open: remembers the port that failed for lack of permission (none: empty).
  void noteDeniedPort(const QString& failedPort);
  void portError(QSerialPort::SerialPortError error);
  // The current scale within a command already opened.
  std::optional<ScaleNumber> currentSlot();

  LineChannel* m_channel = nullptr;
  PortWatcher* m_watcher = nullptr;
  MeasurementModel* measModel = nullptr;
  MeasurementModel* calibMeasModel = nullptr;
  LiveFeed* m_feed = nullptr;
  ScaleModel* scalesModel = nullptr;
  QSettings* settingsFile = nullptr;
  QTimer* wakeUpTimer = nullptr;
  QString lastPortName;
  QString m_deniedPortName;
  ReadProgress* m_progress = nullptr;
};

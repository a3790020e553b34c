#pragma once

#include <optional>

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QSerialPort>
#include <QString>
#include <QStringList>

class MeasurementModel;
class ScaleModel;
class QSettings;
class QTimer;

// The program's one link to the tester: a serial port that knows the tester's commands and
// owns the measurement and scale models shown by the interface.
//
// Commands are synchronous: each waits up to one second per reply line while the event loop
// keeps turning. Between commands, lines the tester sends on its own go to the line handler
// of the current reception route (normal or calibration).
class Device : public QSerialPort {
  Q_OBJECT
  Q_PROPERTY(MeasurementModel* measModel READ measures CONSTANT)
  Q_PROPERTY(MeasurementModel* calibMeasModel READ calibMeasures CONSTANT)
  Q_PROPERTY(ScaleModel* scalesModel READ scales CONSTANT)
  // The tester's port when the last open found it but may not use it for lack of
  // permission; empty otherwise. The interface names the remedy instead of "not found".
  Q_PROPERTY(QString deniedPortName READ deniedPortName NOTIFY deniedPortNameChanged)

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

  // How long one reply line may take, and the pause that lets a tester settle after opening.
  static constexpr int ReplyTimeoutMs = 1000;
  static constexpr int SettlePauseMs = 500;
  static constexpr int WakeUpIntervalMs = 25000;
  // An incomplete line longer than this is dropped, so a babbling line cannot fill memory.
  static constexpr qint64 MaxLineBytes = 4096;

  explicit Device(QObject* parent = nullptr);
  ~Device() override;

  bool open(OpenMode mode) override;
  QString deniedPortName() const { return m_deniedPortName; }

signals:
  void deniedPortNameChanged();
  void beginDataChange();
  void dataChanged();
  void lineReady();

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
  short currentScaleNumber();
  bool setCurrentScaleNumber(short scaleNumber);
  bool readScales();
  bool setScale();
  void setScales();
  ScaleModel* scales();
  void setCalibMode(bool enable);
  void saveToFile();
  void openFromFile();
  bool isDeviceOpen();

private slots:
  void timerTimeout();
  void dataReady();
  void updateCalibMeasures();
  void updateMeasures();
  void enableReception();
  void disableReception();
  void wakeUpDevice();

private:
  friend class DeviceProbe; // tests look at the reception routes through it

  struct PromptAnswer {
    QByteArray prompt; // the exact line the tester sends, line feed included
    QByteArray answer; // written back, followed by a line feed
  };

  void addBuiltInScales();
  // After an open: remembers the port that failed for lack of permission (none: empty).
  void noteDeniedPort(const QString& failedPort);
  void loadSettings();
  void saveSettings();
  QStringList userDescriptions() const;
  void writeDescriptions();
  void saveDescriptions();

  // Turns the event loop, asleep between events, until responseTimer expires or (untilLine)
  // a complete line is waiting. Commands are refused meanwhile.
  void waitForEvents(bool untilLine);
  // The one wait for a reply line (up to ReplyTimeoutMs). Lines the tester sends on its own
  // are kept for the line handlers and the wait goes on for the reply.
  QByteArray waitForLine(bool* ok = nullptr);
  // Starts a command: false (and nothing written) when the port is closed or another command
  // is waiting for its reply. Otherwise reception off, buffers cleared, request written.
  bool beginCommand(const QByteArray& request);
  // Clears both buffers, keeping any measurement or key line that was still unread.
  void clearBuffers();
  void keepUnsolicitedLines();
  void writeBytes(const QByteArray& bytes);
  // Waits for each prompt in turn and answers it; false at the first prompt that differs.
  bool answerPrompts(const QList<PromptAnswer>& dialogue);
  void dropOversizedPartialLine();
  // The tester's current scale, or nothing when it gave no readable scale record.
  std::optional<qint16> queryCurrentScale();
  void restoreCurrentScale(std::optional<qint16> scale);

  void scheduleHeldLines();
  void handleHeldLines();
  void handleLine(const QByteArray& line);
  void takeLiveLine(const QByteArray& line);
  void takeCalibrationLine(const QByteArray& line);

  QTimer* responseTimer = nullptr;
  bool timedOut = false;
  QTimer* wakeUpTimer = nullptr;
  MeasurementModel* measModel = nullptr;
  MeasurementModel* calibMeasModel = nullptr;
  ScaleModel* scalesModel = nullptr;
  bool liveSeries = false;
  QSettings* settingsFile = nullptr;
  QString lastPortName;

  bool m_waiting = false;   // a wait for a reply (or the settling pause) is under way
  bool m_calibMode = false; // the calibration route is in force
  bool m_receiving = false; // lines go to a handler (reception normal or calibration)
  bool m_heldScheduled = false;
  QList<QByteArray> m_heldLines; // lines sent on the tester's own during a command
  QStringList m_savedDescriptions;
  QString m_deniedPortName;
};

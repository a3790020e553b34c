#pragma once

#include <functional>
#include <optional>

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QList>
#include <QSerialPort>
#include <QString>
#include <QStringList>
#include <QUrl>

#include "device/lineformat.h"

class MeasurementModel;
class Scale;
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

  // How long one reply line may take, and the pause that lets a tester settle after opening.
  static constexpr int ReplyTimeoutMs = 1000;
  static constexpr int SettlePauseMs = 500;
  static constexpr int WakeUpIntervalMs = 25000;
  // An incomplete line longer than this is dropped, so a babbling line cannot fill memory.
  static constexpr qint64 MaxLineBytes = 4096;
  // How often a memory read tells its progress.
  static constexpr int ProgressIntervalMs = 100;
  // While the tester is gone, how often to look for it again.
  static constexpr int LookForTesterIntervalMs = 2000;
  // Read errors in a row after which the port counts as lost.
  static constexpr int LostAfterReadErrors = 3;

  explicit Device(QObject* parent = nullptr);
  ~Device() override;

  bool open(OpenMode mode) override;
  QString deniedPortName() const { return m_deniedPortName; }
  int readProgress() const { return m_readProgress; }
  int readTotal() const { return m_readTotal; }
  bool readCancelled() const { return m_readCancelled; }
  // What start-up had to mend in the settings file, for the main window to tell once; empty
  // when nothing was, and after the first call.
  Q_INVOKABLE QString takeSettingsNotice();

  // The tester's current scale; nothing when it gave no readable scale record (where
  // currentScaleNumber() says 0).
  std::optional<qint16> readCurrentScale() { return queryCurrentScale(); }

  // What a write of constants left in the tester, as the slot read back afterwards shows.
  struct ScaleWrite {
    std::optional<qint16> slot; // the current scale written to; nothing: nothing was sent
    bool held = false;          // the slot holds exactly what was sent
    bool readBack = false;      // the slot could be read back at all
    bool changed = false;       // the slot holds something else than before (or is unknown)
  };
  // Writes values (none: the row's own) into the tester's current scale with the constants
  // dialogue, then reads the slot back; the read-back, not the tester's " OK", decides. The
  // slot's row is set to what was read back, or marked unread when nothing could be read.
  // Nothing is sent when the current scale is not slot (if given) or its row was not read.
  // Reception stays off.
  ScaleWrite writeCurrentScale(const Scale* newValues = nullptr,
                               std::optional<qint16> slot = std::nullopt);

signals:
  void deniedPortNameChanged();
  void readProgressChanged();
  // Ends the wait of a memory read at once; internal to the cancel.
  void readCancelRequested();
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
  void timerTimeout();
  void dataReady();
  void updateCalibMeasures();
  void updateMeasures();
  void enableReception();
  void disableReception();
  void wakeUpDevice();
  void portError(QSerialPort::SerialPortError error);
  void lookForTester();

private:
  friend class DeviceProbe; // tests look at the reception routes through it

  // Which complete lines a wait takes as its reply; the others are stale and dropped.
  using ReplyTest = std::function<bool(const QByteArray&)>;

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
  // The one wait for a reply line: at least ReplyTimeoutMs, more by the wire time of lines
  // that came first. Lines the tester sends on its own are kept for the line handlers, lines
  // that isReply refuses are dropped, and the wait goes on. Empty on a time-out; an
  // unfinished line stays in the buffer.
  QByteArray waitForLine(bool* ok = nullptr, const ReplyTest& isReply = {});
  // A line that is not the reply: the tester's own (kept) or stale (dropped).
  bool setAsideLine(const QByteArray& line, const ReplyTest& isReply);
  // Starts a command: false (and nothing written) when the port is closed or another command
  // is waiting for its reply. Otherwise reception off, buffers cleared, request written.
  bool beginCommand(const QByteArray& request);
  // Drops stale replies, keeping every measurement or key line, and a
  // line still arriving, for the line handlers.
  void clearBuffers();
  void writeBytes(const QByteArray& bytes);
  // Waits for each prompt in turn and answers it; false at the first prompt that differs.
  // answered tells how many prompts were answered.
  bool answerPrompts(const QList<PromptAnswer>& dialogue, int* answered = nullptr);
  void dropOversizedPartialLine();
  // The tester's current scale, or nothing when it gave no readable scale record.
  std::optional<qint16> queryCurrentScale();
  void restoreCurrentScale(std::optional<qint16> scale);
  // Makes the slot current and returns its record, only one that names this slot.
  std::optional<LineFormat::ScaleRecord> readSlot(int slot);
  // Port lost: closed at once, looked for again every LookForTesterIntervalMs.
  void loseTester();
  void resumeReception();
  enum class Search { None, FirstFind, AfterLoss };
  void startSearch(Search kind);
  bool portListed() const;
  bool lineHungUp();
  void stopSearch();
  // After the search opened the port: is it the tester the table came from?
  void checkReturningTester();
  // The identity, decoded and trimmed; empty when none came in time. line: the reply as read.
  QString askIdentity(QByteArray* line = nullptr);

  // Whether lines may still come for a request that timed out or a dialogue left half-way.
  // Replies are told apart by shape, so which shapes are owed decides how to get back in step.
  enum ReplyShape { ClockShape = 1, ScaleRecordShape = 2, OtherShape = 4 };
  static ReplyShape shapeOf(const QByteArray& request);
  // Before the next request: asks for a reply of a shape nothing owed has and drops every
  // line before it (the tester's own lines are kept). False when that reply did not come.
  bool getInStep();
  // Writes a request once the link is in step; false (nothing written) when it is not.
  bool sendRequest(const QByteArray& request);
  // Clears the stale lines and writes the request, remembering the shape of its reply.
  void writeRequest(const QByteArray& request);
  void storeSlotRecord(int row, const LineFormat::ScaleRecord& record);

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
  bool m_inFlight = false; // a line had begun before the request: it is not the reply
  Search m_search = Search::None;
  bool m_probing = false;                 // the search opened a port and asks who is there
  bool m_otherTester = false;             // another tester came back on the port: its lines wait
  QString m_testerIdentity;               // the identity of the tester last connected
  int m_owedShapes = 0;                   // ReplyShape bits of replies that may still come
  ReplyShape m_requestShape = OtherShape; // of the request last written
  bool m_cancelRead = false;
  bool m_readCancelled = false;
  int m_readProgress = 0;
  int m_readTotal = 0;
  int m_readErrors = 0;
  QElapsedTimer m_lastReadError;
  QTimer* m_lookTimer = nullptr;
  QList<QByteArray> m_heldLines; // lines sent on the tester's own during a command
  QStringList m_savedDescriptions;
  QString m_deniedPortName;
};

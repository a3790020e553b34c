#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QPointer>
#include <QTimer>

// Two ends of a line in memory: what one end writes, the other can read once the event
// loop turns, as bytes from a port arrive. Lets the line exchange run without a port.
class MemoryEnd : public QIODevice {
  Q_OBJECT

public:
  void connectTo(MemoryEnd* peer) { m_peer = peer; }
  bool isSequential() const override { return true; }
  qint64 bytesAvailable() const override { return m_inbox.size() + QIODevice::bytesAvailable(); }
  bool canReadLine() const override { return m_inbox.contains('\n') || QIODevice::canReadLine(); }
  // Bytes that arrive from the peer at once, without being written there.
  void arrive(const QByteArray& bytes) {
    m_inbox += bytes;
    emit readyRead();
  }

protected:
  qint64 readData(char* data, qint64 maxSize) override {
    const qint64 n = qMin<qint64>(maxSize, m_inbox.size());
    memcpy(data, m_inbox.constData(), size_t(n));
    m_inbox.remove(0, int(n));
    return n;
  }
  qint64 writeData(const char* data, qint64 size) override {
    const QByteArray bytes(data, int(size));
    QPointer<MemoryEnd> peer = m_peer;
    QTimer::singleShot(0, this, [peer, bytes] {
      if (peer && peer->isOpen())
        peer->arrive(bytes);
    });
    return size;
  }

private:
  MemoryEnd* m_peer = nullptr;
  QByteArray m_inbox;
};

// The program's end and the tester's end, both open.
struct MemoryLink {
  MemoryEnd program;
  MemoryEnd tester;
  MemoryLink() {
    program.connectTo(&tester);
    tester.connectTo(&program);
    program.open(QIODevice::ReadWrite | QIODevice::Unbuffered);
    tester.open(QIODevice::ReadWrite | QIODevice::Unbuffered);
  }
};

#pragma once

#include <optional>

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include "formats/measurement.h"
#include "formats/scaleconstants.h"

// Everything that turns the tester's text lines into values, and values into the text the
// tester expects. Plain functions so that they are tested without a port.
namespace LineFormat {

// A line as read from the port (line feed included), decoded as UTF-8 up to a zero byte.
QString decode(const QByteArray& line);

// Decoded, simplified (outer white space dropped, inner runs made one space) and split at
// every ";" with empty fields kept.
QStringList fields(const QByteArray& line);

// The reply to "gettime\n": exactly " hh:mm:ss dd.MM.yy\n"; anything else is invalid.
QDateTime parseClockReply(const QByteArray& line);

// A locale-independent number; text that is no number gives 0.0 (and ok false).
double toNumber(const QString& field, bool* ok = nullptr);

// The count line that opens the memory read: a whole base-10 integer, spaces around allowed.
std::optional<int> parseCountLine(const QByteArray& line);

// A memory record: date-time; averaging; frequency; scale; hardness (exactly five fields),
// the three numbers readable and the scale a name of the tester's shape. The date-time may
// be invalid.
std::optional<Measurement> parseRecordLine(const QByteArray& line);

// A live line: "date-time word"; frequency; hardness; scale (exactly four fields), with a
// readable time stamp in the first field, readable numbers and a scale name of the tester's
// shape; anything else is noise. The date-time is the first field up to its last space, so
// a stamp without its word gives an invalid one.
std::optional<Measurement> parseLiveLine(const QByteArray& line);

// A name the line carries both ways: no ";" (it would split every record of the slot), no
// control characters, nothing that was no text. Empty is carriable.
bool isCarriableName(const QString& name);
// A scale name as the tester shows one: carriable, 1 to 16 characters, a letter or digit.
bool isScaleName(const QString& name);
// Names go out in UTF-8, the encoding replies are read in.
QByteArray encodeName(const QString& name);

// Key events contain "btn"; "btn1short;OK" asks to delete the last live measurement.
bool isKeyEventLine(const QByteArray& line);
bool isDeleteEventLine(const QByteArray& line);

// A line the tester sends on its own (a measurement with a readable time, or a key event),
// as opposed to a reply. Such lines met while a command waits are kept, not taken as replies.
bool isUnsolicitedLine(const QByteArray& line);

// One scale record, the reply to "getscale\n" and "setscale N\n" (exactly nine fields).
struct ScaleRecord {
  std::optional<ScaleNumber> number; // nothing when field 1 named no slot (0 to 15)
  ScaleConstants constants;
};
std::optional<ScaleRecord> parseScaleRecord(const QByteArray& line);

// Constants as the tester reads them: six significant digits, shortest form ("999", "0.5",
// "1.23457e+06").
QString formatConstant(double value);

} // namespace LineFormat

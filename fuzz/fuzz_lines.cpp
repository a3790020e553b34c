// Every line parser of the tester's protocol on the same bytes, as they could arrive from a
// faulty cable or a tester with other firmware.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <QByteArray>

#include "device/lineformat.h"
#include "formats/testertime.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray line(reinterpret_cast<const char*>(data), int(size));

  LineFormat::fields(line);
  LineFormat::parseCountLine(line);
  LineFormat::parseClockReply(line);
  LineFormat::isKeyEventLine(line);
  LineFormat::isUnsolicitedLine(line);
  // A delete event is a key event; a parser that says otherwise would lose the key press.
  if (LineFormat::isDeleteEventLine(line) && !LineFormat::isKeyEventLine(line))
    std::abort();

  if (const auto record = LineFormat::parseRecordLine(line))
    TesterTime::format(record->dateTime());
  if (const auto live = LineFormat::parseLiveLine(line))
    TesterTime::format(live->dateTime());

  if (const auto scale = LineFormat::parseScaleRecord(line)) {
    // Constants go back to the tester as text; what it would read must be a number again.
    for (const double value : {scale->constants.a,
                               scale->constants.b,
                               scale->constants.c,
                               scale->constants.min,
                               scale->constants.max}) {
      bool ok = false;
      const double back = LineFormat::toNumber(LineFormat::formatConstant(value), &ok);
      if (std::isfinite(value) && (!ok || !std::isfinite(back)))
        std::abort();
    }
  }
  return 0;
}

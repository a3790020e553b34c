// The tester's time stamp parser on any text; a time it accepts in the tester's years must
// come back the same after the program writes it out again (saving, then opening a workbook).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <QString>

#include "device/lineformat.h"
#include "formats/testertime.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), int(size));
  const QDateTime parsed = TesterTime::parse(text);
  if (!parsed.isValid() || parsed.date().year() < 2000 || parsed.date().year() > 2099)
    return 0;
  const QDateTime again = TesterTime::parse(TesterTime::format(parsed));
  if (again.date() != parsed.date() || again.time().second() != parsed.time().second() ||
      again.time().minute() != parsed.time().minute() ||
      again.time().hour() != parsed.time().hour())
    std::abort();
  return 0;
}

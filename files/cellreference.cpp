#include "files/cellreference.h"

#include <algorithm>

CellReference CellReference::fromText(QStringView text) {
  // Long enough for "$XFD$1048576"; longer texts name no place of a sheet.
  if (text.isEmpty() || text.size() > 12)
    return {};
  int i = 0;
  const auto skipAnchor = [&] {
    if (i < text.size() && text[i] == u'$')
      ++i;
  };
  skipAnchor();
  // Both numbers stop growing once past the sheet, so no text can overflow them.
  int column = 0;
  for (; i < text.size(); ++i) {
    const QChar c = text[i];
    int letter = 0;
    if (c >= u'A' && c <= u'Z')
      letter = c.unicode() - u'A' + 1;
    else if (c >= u'a' && c <= u'z')
      letter = c.unicode() - u'a' + 1;
    else
      break;
    column = std::min(column * 26 + letter, maxColumns + 1);
  }
  skipAnchor();
  const int digitsStart = i;
  int row = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
    row = std::min(row * 10 + (text[i].unicode() - u'0'), maxRows + 1);
  if (i != text.size() || i == digitsStart)
    return {};
  const CellReference place{row, column};
  return place.isValid() ? place : CellReference{};
}

#pragma once

#include <optional>

#include <QString>
#include <QVariant>
#include <QVector>

#include "files/sharedstrings.h"

// What a worksheet's cells refer to in the rest of the workbook.
struct WorkbookContext {
  SharedStrings sharedStrings;
  QVector<bool> dateStyles; // by cell format index ("s")
  bool date1904 = false;
};

// A cell's text made into its value by the cell's type ("t") and format ("s"), the same for
// the scanner and the XML reader, so that both give the same cells.
class CellValues {
public:
  enum class Type { Number, SharedString, InlineString, FormulaString, Boolean, Error, Date };

  // Nothing for a type no program writes: such a cell is kept empty.
  template <typename Text> static std::optional<Type> typeOf(const Text& t) {
    if (t.isEmpty() || t == QLatin1String("n"))
      return Type::Number;
    if (t == QLatin1String("s"))
      return Type::SharedString;
    if (t == QLatin1String("inlineStr"))
      return Type::InlineString;
    if (t == QLatin1String("str"))
      return Type::FormulaString;
    if (t == QLatin1String("b"))
      return Type::Boolean;
    if (t == QLatin1String("e"))
      return Type::Error;
    if (t == QLatin1String("d"))
      return Type::Date;
    return std::nullopt;
  }

  explicit CellValues(const WorkbookContext& context) : m_context(context) {}

  // The value of a <v> text; an invalid value for what it cannot be. Inline strings come
  // from <is>, not from here.
  QVariant valueOf(Type type, const QString& text, int style) const;

private:
  const WorkbookContext& m_context;
};

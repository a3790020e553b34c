#include <QtTest>

#include "files/cellreference.h"

// Cell places as other spreadsheet programs write them in a sheet's XML.
class TestCellReference : public QObject {
  Q_OBJECT

private slots:
  void placesUpToTheSheetsLastCellAreRead() {
    QCOMPARE(CellReference::fromText(u"A1").row, 1);
    QCOMPARE(CellReference::fromText(u"$b$12").column, 2);
    const CellReference last = CellReference::fromText(u"XFD1048576");
    QVERIFY(last.isValid());
    QCOMPARE(last.column, CellReference::maxColumns);
    QCOMPARE(last.row, CellReference::maxRows);
  }

  // Found by the sheet fuzzer: long letter runs overflowed the column count, and some wrap
  // round to a real column ("NKJDCLBT" to 1584), which put a cell where it does not belong.
  void placesPastTheEdgeAreInvalidHoweverLong() {
    for (const QString& text : {QStringLiteral("XFE1"),
                                QStringLiteral("NKJDCLBT1"),
                                QStringLiteral("A1048577"),
                                QStringLiteral("BINLINBSTRAB"),
                                QStringLiteral("ZZZZZZZZZZZ1"),
                                QStringLiteral("A99999999999"),
                                QStringLiteral("$ZZZZZZZZZZ$9")})
      QVERIFY2(!CellReference::fromText(text).isValid(), qPrintable(text));
  }
};

QTEST_APPLESS_MAIN(TestCellReference)
#include "tst_cellreference.moc"

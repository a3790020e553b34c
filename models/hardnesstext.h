#pragma once

#include <QString>

// The one place where hardness becomes text, so the list, the average and the calibration log
// agree. Fixed-point with "." and no group separators, whatever the locale.
namespace HardnessText {

// A single measurement: "ERR" when it has no valid result (0 or less), one decimal below 100,
// none from 100 on.
QString ofMeasurement(double hardness);

// A mean of shown rows: one decimal up to and including 100, none above. The boundary differs
// from a single measurement's on purpose: a mean of exactly 100 reads "100.0".
QString ofAverage(double mean);

// A spread of hardness (standard deviation): two decimals.
QString ofDeviation(double deviation);

// A difference of hardness (a fit against a reference): signed, one decimal below 100 in
// size, none from 100 on, as the readings it compares; "0.0" when it rounds to nothing.
QString ofDifference(double difference);

// A number as a setting or a typed limit keeps it: "." as decimal point, no needless digits.
QString ofNumber(double value);

} // namespace HardnessText

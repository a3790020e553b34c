#pragma once

#include <optional>

#include <QString>

// A number as a person types it, in a dialog or a spreadsheet cell: either "." or "," as the
// decimal separator ("45,5" and "45.5" alike), white space around allowed, no group
// separators, nothing else. Independent of every locale setting.
namespace TypedNumber {

// Nothing for a text that is no such number or not finite.
std::optional<double> parse(const QString& text);

} // namespace TypedNumber

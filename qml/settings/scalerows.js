.pragma library

// Which scale rows each list of the scales tab shows. Both lists run over every row of the
// scale model; `number` is the row's three-digit text ("001"), 1 to 3 being the standard
// scales.

function belongsToStandardList(number) {
    return parseInt(number, 10) < 4
}

function belongsToUserList(number, isVisible) {
    return parseInt(number, 10) >= 4 && Boolean(isVisible)
}

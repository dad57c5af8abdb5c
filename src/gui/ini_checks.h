// The settings screen's checks of what is typed or shown: the list width
// box, checked when it loses the focus, and the size display the UP and DOWN
// buttons count from.
#pragma once

#include <QString>

enum class WidthCheck { Accepted, NotNumber, OutOfRange };

// The list width: a number in ASCII digits (blanks around it, a sign, a decimal point and an
// exponent allowed: "7.2", " 30 ", "1e1"), rounded to a whole number with
// halves going to the even neighbour (0.5 gives 0, 99.5 gives 100), must lie
// in 1 to 99. A number too large for a double is out of range.
WidthCheck check_width(const QString& text);

// The size the buttons start from: the whole number shown (blanks around it
// and a sign allowed), or the standard 2 when the display holds anything
// else, as it can after a hand-edited FT_SIZE line.
int size_start(const QString& shown);

inline constexpr int kSizeMin = -3;
inline constexpr int kSizeMax = 5;
inline constexpr int kSizeStandard = 2;

#include "gui/ini_checks.h"

#include <QRegularExpression>
#include <cmath>

WidthCheck check_width(const QString& text) {
  static const QRegularExpression number(R"(^[ \t]*[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?[ \t]*$)");
  if (!number.match(text).hasMatch()) return WidthCheck::NotNumber;
  bool ok = false;
  const double value = text.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(value)) return WidthCheck::OutOfRange;  // too large for a double
  // nearbyint rounds in the current mode, which is to nearest, halves to even.
  const double whole = std::nearbyint(value);
  return whole < 1 || whole > 99 ? WidthCheck::OutOfRange : WidthCheck::Accepted;
}

int size_start(const QString& shown) {
  static const QRegularExpression whole(R"(^[ \t]*[+-]?[0-9]+[ \t]*$)");
  if (!whole.match(shown).hasMatch()) return kSizeStandard;
  bool ok = false;
  const int value = shown.trimmed().toInt(&ok);
  return ok ? value : kSizeStandard;
}

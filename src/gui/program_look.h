// What every window of the program shares: its icon, its Japanese fonts,
// the names tests and screen readers find controls by, and the conversion of
// the core's Shift_JIS texts at the windows' edge.
#pragma once

#include <QFont>
#include <QIcon>
#include <QString>
#include <string>
#include <string_view>

class QWidget;
class QApplication;

// The program's icon (an SVG drawn for it), also the windows' icon.
QIcon program_icon();

// The captions' font: IPAMincho where it is installed, else another Japanese
// font that is there, else the platform's own.
QFont mincho_font();
// The "..." button's font: IPAPGothic, with the same fallback.
QFont PGothic_Font();
// Makes the mincho font the application's font.
void use_program_fonts(QApplication& app);

// Sets the control's objectName and its accessible name (its caption, or
// the label of a box) and returns it.
template <class W>
W* Named(W* w, const char* name, const QString& accessible) {
  w->setObjectName(QString::fromLatin1(name));
  w->setAccessibleName(accessible);
  return w;
}

// Shift_JIS of the core to the window's text and back; a character that
// code page 932 lacks becomes "?" on the way back.
QString from_sjis(std::string_view sjis);
std::string to_sjis(const QString& text);
// UTF-8 (paths, the run's messages) to the window's text and back.
inline QString from_utf8(const std::string& s) { return QString::fromStdString(s); }
inline std::string to_utf8(const QString& s) { return s.toStdString(); }

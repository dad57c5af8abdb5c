#include "gui/program_look.h"

#include <QApplication>
#include <QFontDatabase>
#include <QStringList>

#include "codec/cp932.h"

namespace {

// The first of the wanted families that is installed; else the first
// family that writes Japanese; else empty.
QString installed_family(const QStringList& wanted) {
  const QStringList all = QFontDatabase::families();
  for (const QString& name : wanted)
    if (all.contains(name, Qt::CaseInsensitive)) return name;
  const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
  return japanese.isEmpty() ? QString() : japanese.front();
}

QFont font_of(const QStringList& wanted) {
  QFont font = QApplication::font();
  const QString family = installed_family(wanted);
  if (!family.isEmpty()) font.setFamilies({family});
  return font;
}

}  // namespace

QIcon program_icon() { return QIcon(QStringLiteral(":/vorn_htm.svg")); }

QFont mincho_font() { return font_of({"IPAMincho", "IPAexMincho", "IPAPMincho", "Noto Serif CJK JP"}); }

QFont PGothic_Font() { return font_of({"IPAPGothic", "IPAexGothic", "IPAGothic", "Noto Sans CJK JP"}); }

void use_program_fonts(QApplication& app) {
  app.setFont(mincho_font());
  app.setWindowIcon(program_icon());
}

QString from_sjis(std::string_view sjis) { return QString::fromStdString(cp932::to_utf8(sjis)); }

std::string to_sjis(const QString& text) { return cp932::from_utf8(text.toStdString()); }

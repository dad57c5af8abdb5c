// Every message box, input box and shell "open" of the windows goes through
// one host, so that tests can answer the questions and see what would be
// opened. The real host shows QMessageBox and QInputDialog and opens through
// the desktop.
#pragma once

#include <QString>
#include <optional>

#include "core/run_ui.h"

class QWidget;

class DialogHost {
 public:
  using Icon = RunUi::Icon;
  using Buttons = RunUi::Buttons;
  using Answer = RunUi::Answer;

  virtual ~DialogHost() = default;
  // A message box with the owner's window as parent. Line breaks may be CR,
  // LF or CR LF. With Buttons::Ok the answer is Ok.
  virtual Answer message(QWidget* owner, const QString& title, const QString& text, Icon icon,
                         Buttons buttons = Buttons::Ok) = 0;
  // The input box: the typed text, or nothing when it was cancelled.
  virtual std::optional<QString> input(QWidget* owner, const QString& title, const QString& prompt) = 0;
  // The shell's "open": a local path is opened as a file URL, a text with a
  // scheme ("file:", "http:") as it stands. Its outcome is not examined.
  virtual void open(QWidget* owner, const QString& target) = 0;
};

// The host in use: the real one unless a test has put its own in place.
DialogHost& dialog_host();
// Puts host in place (nullptr: the real one again); returns the one before.
DialogHost* set_dialog_host(DialogHost* host);

// The URL "open" asks for: target itself when it has a scheme, else the file
// URL of the path.
QString open_url(const QString& target);

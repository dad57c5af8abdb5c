// The version dialog "vorn_htm のﾊﾞｰｼﾞｮﾝ情報": the program's icon, its version
// and a link to its help page.
#pragma once

#include <QDialog>
#include <QString>
#include <string>

class QLabel;

// "vorn_htm Version " + major + "." + minor (two digits at least) + "." +
// revision (four digits at least): 2.24.0 is "vorn_htm Version 2.24.0000".
QString version_text(int major, int minor, int revision);

class vh_ver : public QDialog {
  Q_OBJECT

 public:
  // The link is the file address of help_vorn_htm.html in Help_Dir.
  explicit vh_ver(const std::string& Help_Dir, QWidget* parent = nullptr);

 public slots:
  void lblURL_Click();
  void cmdOK_Click();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLabel* lblURL_;
};

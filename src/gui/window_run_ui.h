// The window's side of a conversion run that works on a thread of its own.
// The run calls this RunUi on its thread: progress goes into shared values
// that a timer on the window thread shows at most ten times a second;
// message boxes and questions are shown on the window thread while the run
// waits for the answer.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <mutex>

#include "core/run_ui.h"

class QLabel;
class QWidget;

class WindowRunUi : public QObject, public RunUi {
  Q_OBJECT

 public:
  // The labels are the window's Syori_no and Syosai_no; owner owns the boxes.
  WindowRunUi(QWidget* owner, QLabel* Syori_no, QLabel* Syosai_no);

  // Shows what the run has reported so far (the timer calls it too).
  void show_progress();

  // RunUi, called on the run's thread.
  void message(const std::string& title, const std::string& text, Icon icon) override;
  Answer ask(const std::string& title, const std::string& text, Icon icon, Buttons buttons) override;
  void progress(Label label, std::int64_t num, std::int64_t total) override;
  void clear_progress() override;
  void open(const std::string& path) override;
  void warn(const std::string& text) override;

 signals:
  // Every text the run gives the run-step label, in order (the label itself
  // shows only the latest one at each repaint).
  void step_text(const QString& text);

 private:
  // Runs f on the window thread and waits for it.
  template <class F>
  void on_window_thread(F f);

  QWidget* owner_;
  QLabel* syori_;
  QLabel* syosai_;
  QTimer timer_;

  std::mutex mutex_;  // guards what follows
  QString syori_text_, syosai_text_;
  std::uint64_t version_ = 0;
  std::uint64_t shown_version_ = 0;
  std::int64_t syosai_num_ = -1, syosai_total_ = -1;
};

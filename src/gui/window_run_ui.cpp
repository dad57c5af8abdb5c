#include "gui/window_run_ui.h"

#include <QLabel>
#include <QMetaObject>
#include <QThread>
#include <QWidget>

#include "core/common_text.h"
#include "gui/dialog_host.h"
#include "gui/program_look.h"

namespace {

constexpr int kRepaintMs = 100;  // at most about ten repaints a second

}  // namespace

WindowRunUi::WindowRunUi(QWidget* owner, QLabel* Syori_no, QLabel* Syosai_no)
    : QObject(owner), owner_(owner), syori_(Syori_no), syosai_(Syosai_no) {
  timer_.setInterval(kRepaintMs);
  connect(&timer_, &QTimer::timeout, this, &WindowRunUi::show_progress);
  timer_.start();
}

template <class F>
void WindowRunUi::on_window_thread(F f) {
  if (QThread::currentThread() == thread()) {
    f();
    return;
  }
  QMetaObject::invokeMethod(this, f, Qt::BlockingQueuedConnection);
}

void WindowRunUi::show_progress() {
  QString syori, syosai;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    if (version_ == shown_version_) return;
    shown_version_ = version_;
    if (syosai_num_ >= 0) {
      syosai_text_ = from_utf8(progress_text(syosai_num_, syosai_total_));
      syosai_num_ = -1;
    }
    syori = syori_text_;
    syosai = syosai_text_;
  }
  syori_->setText(syori);
  syosai_->setText(syosai);
}

void WindowRunUi::progress(Label label, std::int64_t num, std::int64_t total) {
  if (label == Label::Syori_no) {
    const QString text = from_utf8(progress_text(num, total));
    {
      std::lock_guard<std::mutex> hold(mutex_);
      syori_text_ = text;
      ++version_;
    }
    emit step_text(text);
    return;
  }
  // Called for every line: only the numbers are kept, the text is made when shown.
  std::lock_guard<std::mutex> hold(mutex_);
  syosai_num_ = num;
  syosai_total_ = total;
  ++version_;
}

void WindowRunUi::clear_progress() {
  std::lock_guard<std::mutex> hold(mutex_);
  syori_text_.clear();
  syosai_text_.clear();
  syosai_num_ = -1;
  ++version_;
}

void WindowRunUi::message(const std::string& title, const std::string& text, Icon icon) {
  on_window_thread([&] {
    show_progress();
    dialog_host().message(owner_, QString::fromStdString(title), QString::fromStdString(text), icon, Buttons::Ok);
  });
}

RunUi::Answer WindowRunUi::ask(const std::string& title, const std::string& text, Icon icon, Buttons buttons) {
  Answer answer = Answer::Cancel;
  on_window_thread([&] {
    show_progress();
    answer = dialog_host().message(owner_, QString::fromStdString(title), QString::fromStdString(text), icon, buttons);
  });
  return answer;
}

void WindowRunUi::open(const std::string& path) {
  on_window_thread([&] { dialog_host().open(owner_, QString::fromStdString(path)); });
}

void WindowRunUi::warn(const std::string& text) { message("警告", text, Icon::Warning); }

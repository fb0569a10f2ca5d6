// A dialog driven as a user drives it, in a folder of its own, with its file chooser answered
// from a script and its messages and progress captions recorded. Works for every dialog that
// runs jobs.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStringList>
#include <QThread>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/job_dialog.h"
#include "support/test_support.h"

namespace pomvelt::test {

// Every caption a progress window shows, in order.
inline void RecordCaptions(CProgressWnd& progress, QStringList& captions) {
  QObject::connect(&progress, &QWidget::windowTitleChanged,
                   [&captions](const QString& title) { captions << title; });
}

// The chooser answers with the next of `answers` while there is one, otherwise with `files` (a
// cancelled chooser while it is empty); what the host was asked and told is recorded.
template <class Dialog>
struct DialogRun {
  TempDir dir;
  Dialog dialog;
  std::deque<std::vector<std::string>> answers;
  std::vector<std::string> files;
  std::vector<JobFileDialogParams> asked;
  std::vector<std::string> messages;  // the first line of each message
  std::vector<std::string> texts;     // each message whole
  bool dialogsOnGuiThread = true;
  QStringList captions;
  QSignalSpy finished{&dialog, &JobDialog::jobFinished};

  DialogRun() {
    dialog.host().chooser = [this](const JobFileDialogParams& params) {
      dialogsOnGuiThread &= QThread::currentThread() == qApp->thread();
      asked.push_back(params);
      std::vector<std::string> answer = files;
      if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
      }
      return answer.empty() ? std::nullopt : std::optional(answer);
    };
    dialog.host().shower = [this](const std::string& text) {
      dialogsOnGuiThread &= QThread::currentThread() == qApp->thread();
      messages.push_back(text.substr(0, text.find('\n')));
      texts.push_back(text);
    };
    RecordCaptions(dialog.progress(), captions);
    dialog.show();
  }

  // Writes the maps into the folder; the chooser answers with them all, in this order.
  void Maps(const std::vector<std::pair<std::string, std::string>>& maps) {
    for (const auto& [name, bytes] : maps) {
      WriteBytes(dir.File(name), bytes);
      files.push_back(dir.File(name));
    }
  }
  std::string Read(const std::string& name) const { return ReadBytes(dir.File(name)); }

  // Clicks the button and waits for its job: true when the dialog was disabled from the click
  // until the job had returned, and every window was shown from the GUI thread.
  bool Run(QAbstractButton* button) {
    button->click();
    const bool disabled = !dialog.isEnabled();
    return finished.wait(10000) && disabled && dialog.isEnabled() && dialogsOnGuiThread;
  }
};

}  // namespace pomvelt::test

#include "app/session_end.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/evtloopsrc.h>
#include <wx/frame.h>

#include <cerrno>
#include <utility>

#include "app/haupt_fenster.h"

namespace {

int wakeFds[2] = {-1, -1};

extern "C" void onSigterm(int) {
  const int savedErrno = errno;
  const char byte = 'T';
  // Nothing else is safe here; a full pipe already holds a wake-up.
  [[maybe_unused]] const ssize_t ignored = write(wakeFds[1], &byte, 1);
  errno = savedErrno;
}

}  // namespace

class tSessionEnd::tPipeReader : public wxEventLoopSourceHandler {
 public:
  explicit tPipeReader(std::function<void()> onTerm) : onTerm_(std::move(onTerm)) {}
  void OnReadWaiting() override {
    char bytes[16];
    bool term = false;
    while (read(wakeFds[0], bytes, sizeof bytes) > 0) term = true;
    if (term) onTerm_();
  }
  void OnWriteWaiting() override {}
  void OnExceptionWaiting() override {}

 private:
  std::function<void()> onTerm_;
};

tSessionEnd::tSessionEnd(std::function<void()> onTerm)
    : reader_(std::make_unique<tPipeReader>(std::move(onTerm))) {
  if (pipe2(wakeFds, O_NONBLOCK | O_CLOEXEC) != 0) return;
  source_ = wxEventLoopBase::AddSourceForFD(wakeFds[0], reader_.get(), wxEVENT_SOURCE_INPUT);
  struct sigaction action {};
  action.sa_handler = onSigterm;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
}

tSessionEnd::~tSessionEnd() {
  signal(SIGTERM, SIG_DFL);
  delete source_;
  for (int& fd : wakeFds) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
}

void endWithoutQuestion(wxFrame* frame, tHauptFenster* window) {
  window->keepUnsaved();
  wxEventLoopBase* active = wxEventLoopBase::GetActive();
  if (active != nullptr && !active->IsMain()) _exit(0);
  frame->Destroy();
}

#include "app/session_client.h"

#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/evtloopsrc.h>

#include <cstdlib>
#include <utility>

class tSessionClient::tConnection : public wxEventLoopSourceHandler {
 public:
  explicit tConnection(tActions actions) : actions_(std::move(actions)) {}
  ~tConnection() override {
    delete source_;
    if (sm_ != nullptr) SmcCloseConnection(sm_, 0, nullptr);
  }

  bool open() {
    if (std::getenv("SESSION_MANAGER") == nullptr) return false;
    SmcCallbacks callbacks{};
    callbacks.save_yourself = {onSaveYourself, this};
    callbacks.die = {onDie, this};
    callbacks.save_complete = {onNothing, this};
    callbacks.shutdown_cancelled = {onNothing, this};
    char* id = nullptr;
    char error[256] = "";
    sm_ = SmcOpenConnection(nullptr, nullptr, SmProtoMajor, SmProtoMinor,
                            SmcSaveYourselfProcMask | SmcDieProcMask | SmcSaveCompleteProcMask |
                                SmcShutdownCancelledProcMask,
                            &callbacks, nullptr, &id, sizeof error, error);
    free(id);
    if (sm_ == nullptr) return false;
    ice_ = SmcGetIceConnection(sm_);
    source_ =
        wxEventLoopBase::AddSourceForFD(IceConnectionNumber(ice_), this, wxEVENT_SOURCE_INPUT);
    return true;
  }

  void OnReadWaiting() override {
    if (IceProcessMessages(ice_, nullptr, nullptr) == IceProcessMessagesIOError) {
      // The manager went away: nothing more will come, and the connection is dead.
      delete source_;
      source_ = nullptr;
      IceSetShutdownNegotiation(ice_, False);
      SmcCloseConnection(sm_, 0, nullptr);
      sm_ = nullptr;
    }
  }
  void OnWriteWaiting() override {}
  void OnExceptionWaiting() override {}

 private:
  static void onSaveYourself(SmcConn sm, SmPointer data, int, Bool shutdown, int interactStyle,
                             Bool) {
    auto* self = static_cast<tConnection*>(data);
    if (shutdown && interactStyle != SmInteractStyleNone &&
        SmcInteractRequest(sm, SmDialogNormal, onInteract, data)) {
      return;
    }
    wxTheApp->CallAfter([self] {
      self->actions_.keep();
      self->saved();
    });
  }
  static void onInteract(SmcConn, SmPointer data) {
    auto* self = static_cast<tConnection*>(data);
    wxTheApp->CallAfter([self] {
      const bool endSession = self->actions_.queryEnd();
      if (self->sm_ != nullptr) SmcInteractDone(self->sm_, endSession ? False : True);
      self->saved();
    });
  }
  static void onDie(SmcConn, SmPointer data) {
    auto* self = static_cast<tConnection*>(data);
    wxTheApp->CallAfter([self] { self->actions_.die(); });
  }
  static void onNothing(SmcConn, SmPointer) {}

  // Answers the manager's request to save; a stopped logout was told before.
  void saved() {
    if (sm_ != nullptr) SmcSaveYourselfDone(sm_, True);
  }

  tActions actions_;
  SmcConn sm_ = nullptr;
  IceConn ice_ = nullptr;
  wxEventLoopSource* source_ = nullptr;
};

tSessionClient::tSessionClient(tActions actions)
    : connection_(std::make_unique<tConnection>(std::move(actions))) {
  if (!connection_->open()) connection_.reset();
}

tSessionClient::~tSessionClient() = default;

bool tSessionClient::joined() const {
  return connection_ != nullptr;
}

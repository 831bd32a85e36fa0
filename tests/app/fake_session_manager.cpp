#include "fake_session_manager.h"

#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>
#include <poll.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "gui_test.h"

struct tFakeSessionManager::tState {
  std::string address;
  IceListenObj* listeners = nullptr;
  int listenerCount = 0;
  IceConn connection = nullptr;
  SmsConn client = nullptr;
  std::atomic<bool> registered{false};
  std::atomic<bool> endRequested{false};
  std::atomic<bool> stop{false};
  std::atomic<tOutcome> outcome{tOutcome::kPending};
  bool cancelled = false;
  std::thread thread;

  void run();
  void acceptFrom(IceListenObj listener);
};

namespace {
using tState = tFakeSessionManager::tState;

Bool anyHost(char*) {
  return True;
}

Status registerClient(SmsConn conn, SmPointer data, char*) {
  auto* state = static_cast<tState*>(data);
  char* id = SmsGenerateClientID(conn);
  SmsRegisterClientReply(conn, id);
  free(id);
  state->registered = true;
  return 1;
}
void interactRequest(SmsConn conn, SmPointer, int) {
  SmsInteract(conn);
}
void interactDone(SmsConn conn, SmPointer data, Bool cancelShutdown) {
  auto* state = static_cast<tState*>(data);
  if (cancelShutdown) {
    state->cancelled = true;
    SmsShutdownCancelled(conn);
  }
}
void saveYourselfDone(SmsConn conn, SmPointer data, Bool) {
  auto* state = static_cast<tState*>(data);
  if (state->cancelled) {
    state->outcome = tFakeSessionManager::tOutcome::kStopped;
  } else {
    SmsDie(conn);
  }
}
void closeConnection(SmsConn conn, SmPointer data, int count, char** reasons) {
  auto* state = static_cast<tState*>(data);
  SmFreeReasons(count, reasons);
  IceConn ice = SmsGetIceConnection(conn);
  SmsCleanUp(conn);
  IceSetShutdownNegotiation(ice, False);
  IceCloseConnection(ice);
  state->connection = nullptr;
  state->client = nullptr;
  if (state->outcome == tFakeSessionManager::tOutcome::kPending && !state->cancelled) {
    state->outcome = tFakeSessionManager::tOutcome::kDied;
  }
}
void setProperties(SmsConn, SmPointer, int count, SmProp** props) {
  for (int i = 0; i < count; ++i) SmFreeProperty(props[i]);
  free(props);
}
void deleteProperties(SmsConn, SmPointer, int count, char** names) {
  for (int i = 0; i < count; ++i) free(names[i]);
  free(names);
}
void getProperties(SmsConn conn, SmPointer) {
  SmsReturnProperties(conn, 0, nullptr);
}
void ignoreSaveRequest(SmsConn, SmPointer, int, Bool, int, Bool, Bool) {}
void ignorePhase2(SmsConn conn, SmPointer) {
  SmsSaveYourselfPhase2(conn);
}

Status newClient(SmsConn conn, SmPointer data, unsigned long* mask, SmsCallbacks* callbacks,
                 char**) {
  auto* state = static_cast<tState*>(data);
  state->client = conn;
  *mask = ~0UL;
  callbacks->register_client = {registerClient, data};
  callbacks->interact_request = {interactRequest, data};
  callbacks->interact_done = {interactDone, data};
  callbacks->save_yourself_request = {ignoreSaveRequest, data};
  callbacks->save_yourself_phase2_request = {ignorePhase2, data};
  callbacks->save_yourself_done = {saveYourselfDone, data};
  callbacks->close_connection = {closeConnection, data};
  callbacks->set_properties = {setProperties, data};
  callbacks->delete_properties = {deleteProperties, data};
  callbacks->get_properties = {getProperties, data};
  return 1;
}

}  // namespace

void tState::acceptFrom(IceListenObj listener) {
  IceAcceptStatus status;
  IceConn conn = IceAcceptConnection(listener, &status);
  if (conn == nullptr || status != IceAcceptSuccess) return;
  // The connection setup and the protocol setup are ICE messages of their own.
  while (IceConnectionStatus(conn) == IceConnectPending) {
    if (IceProcessMessages(conn, nullptr, nullptr) == IceProcessMessagesIOError) return;
  }
  connection = conn;
}

void tState::run() {
  while (!stop) {
    std::vector<pollfd> fds;
    for (int i = 0; i < listenerCount; ++i) {
      fds.push_back({IceGetListenConnectionNumber(listeners[i]), POLLIN, 0});
    }
    if (connection != nullptr) fds.push_back({IceConnectionNumber(connection), POLLIN, 0});
    if (poll(fds.data(), fds.size(), 50) > 0) {
      for (int i = 0; i < listenerCount; ++i) {
        if (fds[i].revents & POLLIN) acceptFrom(listeners[i]);
      }
      if (connection != nullptr && fds.size() > size_t(listenerCount) &&
          (fds.back().revents & (POLLIN | POLLHUP))) {
        IceProcessMessages(connection, nullptr, nullptr);
      }
    }
    if (endRequested.exchange(false) && client != nullptr) {
      SmsSaveYourself(client, SmSaveBoth, True, SmInteractStyleAny, False);
    }
  }
}

tFakeSessionManager::tFakeSessionManager() : state_(new tState) {
  char error[256] = "";
  if (!SmsInitialize("termel-test", "1", newClient, state_.get(), anyHost, sizeof error, error) ||
      !IceListenForConnections(&state_->listenerCount, &state_->listeners, sizeof error, error)) {
    return;
  }
  for (int i = 0; i < state_->listenerCount; ++i) {
    IceSetHostBasedAuthProc(state_->listeners[i], anyHost);
  }
  char* ids = IceComposeNetworkIdList(state_->listenerCount, state_->listeners);
  state_->address = ids;
  free(ids);
  state_->thread = std::thread([state = state_.get()] { state->run(); });
}

tFakeSessionManager::~tFakeSessionManager() {
  state_->stop = true;
  if (state_->thread.joinable()) state_->thread.join();
  if (state_->connection != nullptr) IceCloseConnection(state_->connection);
  if (state_->listeners != nullptr) IceFreeListenObjs(state_->listenerCount, state_->listeners);
}

const std::string& tFakeSessionManager::address() const {
  return state_->address;
}

bool tFakeSessionManager::waitForClient(int ms) {
  return guitest::waitFor([&] { return state_->registered.load(); }, ms);
}

void tFakeSessionManager::endSession() {
  state_->endRequested = true;
}

tFakeSessionManager::tOutcome tFakeSessionManager::waitForOutcome(int ms) {
  guitest::waitFor([&] { return state_->outcome != tOutcome::kPending; }, ms);
  return state_->outcome;
}

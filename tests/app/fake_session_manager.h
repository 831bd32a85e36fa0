// A session manager of the desktop's kind (XSMP over ICE) for one client, run on a
// thread of the test: it ends the session as a logout does, lets the client ask the
// learner, and tells whether the client stopped the logout or was told to die.
#ifndef TERMEL_TESTS_APP_FAKE_SESSION_MANAGER_H_
#define TERMEL_TESTS_APP_FAKE_SESSION_MANAGER_H_

#include <memory>
#include <string>

class tFakeSessionManager {
 public:
  enum class tOutcome { kPending, kStopped, kDied };

  tFakeSessionManager();  // listening once made; address() empty when that failed
  ~tFakeSessionManager();
  tFakeSessionManager(const tFakeSessionManager&) = delete;
  tFakeSessionManager& operator=(const tFakeSessionManager&) = delete;

  // The value of SESSION_MANAGER for the client.
  const std::string& address() const;
  bool waitForClient(int ms);
  // Asks the client to save itself for a logout, with any interaction allowed.
  void endSession();
  // kStopped: the client cancelled the logout; kDied: it saved, was told to die and
  // closed the connection.
  tOutcome waitForOutcome(int ms);

 public:
  struct tState;  // shared with the protocol's callbacks

 private:
  std::unique_ptr<tState> state_;
};

#endif  // TERMEL_TESTS_APP_FAKE_SESSION_MANAGER_H_

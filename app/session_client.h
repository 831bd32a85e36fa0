// tSessionClient: the program as a client of the desktop's session manager (XSMP, as
// spoken by the session managers of GNOME, KDE and Xfce; found through
// SESSION_MANAGER). At logout the manager asks every client to save itself; termel
// then asks the learner "Speichern?" as other desktop programs do, and a question
// closed without an answer stops the logout. When the session ends for good, what is
// not saved is kept for the next start.
//
// wxWidgets on GTK tells the program nothing of the session, so the protocol is
// spoken here through libSM. The manager's messages are read in the window's event
// loop, and every question is asked from there, never from inside the library.
#ifndef TERMEL_APP_SESSION_CLIENT_H_
#define TERMEL_APP_SESSION_CLIENT_H_

#include <functional>
#include <memory>

class tSessionClient {
 public:
  struct tActions {
    // The session is about to end: the learner may save; false stops the logout.
    std::function<bool()> queryEnd;
    // The session saves itself without ending: keep what is unsaved.
    std::function<void()> keep;
    // The session ends now.
    std::function<void()> die;
  };

  // Joins the session named by SESSION_MANAGER, if any; without one (or when the
  // manager cannot be reached) the client does nothing.
  explicit tSessionClient(tActions actions);
  ~tSessionClient();
  tSessionClient(const tSessionClient&) = delete;
  tSessionClient& operator=(const tSessionClient&) = delete;

  bool joined() const;

 private:
  class tConnection;
  std::unique_ptr<tConnection> connection_;
};

#endif  // TERMEL_APP_SESSION_CLIENT_H_

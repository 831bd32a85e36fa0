// TMyApp: the application object. It builds the main frame around the training
// window, with menu 100, the keyboard commands and the four-field status bar, and
// shows it. The frame owns the training window and the status bar; theCardBox
// outlives both.
#ifndef TERMEL_APP_MY_APP_H_
#define TERMEL_APP_MY_APP_H_

#include <wx/app.h>
#include <wx/intl.h>

#include <memory>

class wxFrame;
class tSessionClient;
class tSessionEnd;

class TMyApp : public wxApp {
 public:
  TMyApp();
  ~TMyApp() override;
  bool OnInit() override;

  // Builds the main frame, not yet shown; its training window has run its set-up, so
  // the card file named in currentFileName is loaded and asked. With none named, the
  // box open when the program last closed is loaded again, if its file still exists.
  // Null when the menu resource is missing.
  static wxFrame* createMainWindow();

 private:
  // SIGTERM and the desktop's end of session keep what is unsaved and end the program.
  void watchSessionEnd(wxFrame* frame);
  std::unique_ptr<tSessionEnd> sessionEnd_;
  std::unique_ptr<tSessionClient> sessionClient_;
  // The desktop's language for wxWidgets' and GTK's own texts (file dialogs, stock
  // buttons); lives as long as the application.
  std::unique_ptr<wxLocale> locale_;
};

// Sets the C library, GTK and wxWidgets to the desktop's language and loads
// wxWidgets' catalog for it; the language stays in force while the result lives.
std::unique_ptr<wxLocale> useDesktopLanguage();

// The menu item id of a command: the command id itself, but for 51684, which lies
// beyond the ids wxWidgets allows for menu items.
int menuItemId(int command);

#endif  // TERMEL_APP_MY_APP_H_

#include "dialogs/typed_ahead.h"

#include <gtk/gtk.h>
#include <wx/window.h>

#include <deque>

namespace {

// How often held keys look whether their window takes keys again.
constexpr guint kReplayPollMs = 20;
const char kQuestionMark[] = "termel-question";

struct tHeldKeys {
  std::deque<GdkEvent*> events;  // copies, oldest first
  guint timer = 0;
  // The next key GTK hands out is one being given back: it passes.
  bool givingBack = false;
};

tHeldKeys& held() {
  static tHeldKeys keys;
  return keys;
}

// The top-level widget of the window a key was typed into: the X server sends a key
// to the window that had the keyboard when it was pressed.
GtkWidget* addresseeOf(const GdkEventKey* event) {
  if (event->window == nullptr || gdk_window_is_destroyed(event->window)) return nullptr;
  gpointer widget = nullptr;
  gdk_window_get_user_data(gdk_window_get_toplevel(event->window), &widget);
  return widget == nullptr ? nullptr : gtk_widget_get_toplevel(GTK_WIDGET(widget));
}

// A modal window other than addressee holds the keyboard of addressee's group, or
// addressee is still disabled while it closes.
bool blocked(GtkWidget* addressee) {
  if (!gtk_widget_is_sensitive(addressee)) return true;
  GtkWindowGroup* group =
      gtk_window_get_group(GTK_IS_WINDOW(addressee) ? GTK_WINDOW(addressee) : nullptr);
  GtkWidget* grab = gtk_window_group_get_current_grab(group);
  return grab != nullptr && gtk_widget_get_toplevel(grab) != addressee;
}

bool isQuestion(GtkWidget* window) {
  return GTK_IS_MESSAGE_DIALOG(window) || g_object_get_data(G_OBJECT(window), kQuestionMark);
}

bool holdsKeysFor(GtkWidget* addressee) {
  for (GdkEvent* event : held().events) {
    if (addresseeOf(&event->key) == addressee) return true;
  }
  return false;
}

gboolean giveBack(gpointer) {
  tHeldKeys& keys = held();
  while (!keys.events.empty()) {
    GdkEvent* event = keys.events.front();
    GtkWidget* addressee = addresseeOf(&event->key);
    if (addressee != nullptr && blocked(addressee)) return G_SOURCE_CONTINUE;
    keys.events.pop_front();
    // A key for a window that has gone goes with it.
    if (addressee != nullptr) {
      keys.givingBack = true;
      // May run a modal loop (the Enter of a card that opens a question); keys typed
      // meanwhile queue up behind the ones still held.
      gtk_main_do_event(event);
      keys.givingBack = false;
    }
    gdk_event_free(event);
  }
  keys.timer = 0;
  return G_SOURCE_REMOVE;
}

// Sees every key before GTK hands it to receiver, which is the window holding the
// keyboard when one does, else the window the key was typed into.
gint snoop(GtkWidget* receiver, GdkEventKey* event, gpointer) {
  tHeldKeys& keys = held();
  if (keys.givingBack) {
    keys.givingBack = false;
    return FALSE;
  }
  GtkWidget* addressee = addresseeOf(event);
  if (addressee == nullptr) return FALSE;
  GtkWidget* receiving = gtk_widget_get_toplevel(receiver);
  if (receiving == addressee) {
    // Keys typed after held ones wait their turn behind them.
    if (!holdsKeysFor(addressee)) return FALSE;
  } else if (!isQuestion(receiving)) {
    return FALSE;
  }
  keys.events.push_back(gdk_event_copy(reinterpret_cast<GdkEvent*>(event)));
  if (keys.timer == 0) keys.timer = g_timeout_add(kReplayPollMs, giveBack, nullptr);
  return TRUE;
}

}  // namespace

void holdTypedAheadKeys() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  // Snoopers are the one place where a key can be seen with both the window it was
  // typed into and the window GTK would hand it to.
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  gtk_key_snooper_install(snoop, nullptr);
  G_GNUC_END_IGNORE_DEPRECATIONS
}

void markAsQuestion(wxWindow* dialog) {
  g_object_set_data(G_OBJECT(dialog->GetHandle()), kQuestionMark, GINT_TO_POINTER(1));
}

#include "x_focus.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <vector>

namespace {

Display* display() {
  static Display* const open = XOpenDisplay(nullptr);
  return open;
}

std::string titleOf(Display* d, Window window) {
  const Atom name = XInternAtom(d, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
  Atom type = 0;
  int format = 0;
  unsigned long items = 0, left = 0;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(d, window, name, 0, 1024, False, utf8, &type, &format, &items, &left,
                         &data) == Success &&
      data != nullptr) {
    title.assign(reinterpret_cast<char*>(data), items);
  }
  if (data != nullptr) XFree(data);
  return title;
}

void sendKey(Display* d, KeySym key, bool down) {
  XTestFakeKeyEvent(d, XKeysymToKeycode(d, key), down ? True : False, CurrentTime);
}

// Presses the keys in order and lets go of them in reverse, as a chord is typed.
void chord(Display* d, const std::vector<KeySym>& keys) {
  for (KeySym key : keys) sendKey(d, key, true);
  for (auto key = keys.rbegin(); key != keys.rend(); ++key) sendKey(d, *key, false);
}

KeySym keyNamed(const std::string& name) {
  if (name == "Alt") return XK_Alt_L;
  if (name == "Shift") return XK_Shift_L;
  if (name == "Control") return XK_Control_L;
  return XStringToKeysym(name.c_str());
}

// "Alt+F4": the keys of a chord.
std::vector<KeySym> chordNamed(const std::string& names) {
  std::vector<KeySym> keys;
  size_t from = 0;
  for (size_t plus; (plus = names.find('+', from)) != std::string::npos; from = plus + 1) {
    keys.push_back(keyNamed(names.substr(from, plus - from)));
  }
  keys.push_back(keyNamed(names.substr(from)));
  return keys;
}

std::vector<KeySym> chordTyping(Display* d, char c) {
  if (c == '\t') return {XK_Tab};
  if (c == '\n') return {XK_Return};
  const KeySym key = static_cast<unsigned char>(c);  // ASCII keysyms are the codes
  const KeyCode code = XKeysymToKeycode(d, key);
  if (XkbKeycodeToKeysym(d, code, 0, 0) == key) return {key};
  return {XK_Shift_L, key};
}

}  // namespace

void typeAtOnce(const std::string& text) {
  Display* d = display();
  if (d == nullptr) return;
  for (size_t i = 0; i < text.size(); ++i) {
    const size_t close = text[i] == '{' ? text.find('}', i) : std::string::npos;
    if (close != std::string::npos) {
      chord(d, chordNamed(text.substr(i + 1, close - i - 1)));
      i = close;
    } else {
      chord(d, chordTyping(d, text[i]));
    }
  }
  XFlush(d);
}

tFocus keyboardFocus() {
  Display* d = display();
  if (d == nullptr) return tFocus();
  Window window = 0;
  int revert = 0;
  XGetInputFocus(d, &window, &revert);
  while (window != None && window != PointerRoot) {
    const std::string title = titleOf(d, window);
    if (!title.empty()) return {window, title};
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, window, &root, &parent, &children, &count)) break;
    if (children != nullptr) XFree(children);
    window = parent == root ? None : parent;
  }
  return tFocus();
}

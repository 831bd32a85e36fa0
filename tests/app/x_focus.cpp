#include "x_focus.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

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

}  // namespace

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

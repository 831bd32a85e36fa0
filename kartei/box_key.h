// Shorthands for one-off questions about a box by its path. An operation of several
// steps resolves the box once into a tBoxIdentity and asks that value instead.
#ifndef TERMEL_KARTEI_BOX_KEY_H_
#define TERMEL_KARTEI_BOX_KEY_H_

#include <string>

#include "kartei/box_identity.h"

// tBoxIdentity::key() of the box at cardPath.
inline std::string boxKeyOf(const std::string& cardPath) {
  return tBoxIdentity(cardPath).key();
}
// tBoxIdentity::realPath() of the box at cardPath.
inline std::string realBoxPath(const std::string& cardPath) {
  return tBoxIdentity(cardPath).realPath();
}

#endif  // TERMEL_KARTEI_BOX_KEY_H_

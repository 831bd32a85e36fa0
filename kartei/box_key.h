// A name for the files that belong to one box in a directory shared by all boxes (its
// learning journal): the box's name and a hash of the card file's real path, links
// followed. Boxes of the same name in different directories get different names, and
// a box opened through a link gets the same name as through its real path.
#ifndef TERMEL_KARTEI_BOX_KEY_H_
#define TERMEL_KARTEI_BOX_KEY_H_

#include <cstdint>
#include <string>

// "NAME-HHHHHHHHHHHHHHHH": NAME as boxNameOf() gives it for the real path (at most 64
// bytes of it), the 16 hexadecimal digits a 64-bit FNV-1a hash of that path. A card file
// that does not exist yet is named after its real directory.
std::string boxKeyOf(const std::string& cardPath);

// The absolute path of the file cardPath really names: links followed (as a save
// follows them), and its directory's own links, "." and ".." resolved where the
// directory exists. Every file kept apart per box (backups, journal, settings) is
// keyed by this path.
std::string realBoxPath(const std::string& cardPath);
// A 64-bit FNV-1a hash of a path, for names that must stay short.
uint64_t pathHash(const std::string& path);

#endif  // TERMEL_KARTEI_BOX_KEY_H_

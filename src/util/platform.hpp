// The operating-system calls of the file writer, in one place: what kind of
// file a path names, where a chain of symbolic links ends, replacing one file
// by another, removing a file, and the permissions a replacement keeps. Each
// has a POSIX implementation and a Windows one.
#pragma once

#include <string>

namespace morvane::platform {

enum class PathKind {
    Missing,    // nothing of that name
    Regular,    // a regular file
    Directory,
    Other,      // a device, a FIFO, a socket: written in place, never replaced
    Unknown,    // the system could not say (a folder on the way that cannot be searched)
};

// The kind of what path names, links followed.
PathKind path_kind(const std::string& path);

// The path at the end of path's chain of symbolic links: path itself when it
// is no link; a link's relative text is read against the folder of the link.
// The end need not exist (a dangling link gives the name it points to). False
// when the chain is longer than the system allows (a loop) or a link cannot be
// read.
bool resolve_links(const std::string& path, std::string& target);

// Puts from in the place of to, replacing a file of that name in one step.
bool replace_file(const std::string& from, const std::string& to);

// Removes a file; false when there was none or it could not be removed.
bool remove_file(const std::string& path);

// Gives the file copy the permission bits of the file original (a file
// written anew in place of an old one keeps the old one's mode). Does nothing
// where the system has no such bits.
void copy_permissions(const std::string& original, const std::string& copy);

// The id of this process (keeps temporary names of two programs apart).
long process_id();

}  // namespace morvane::platform

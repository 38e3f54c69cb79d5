// A new file of a name no other file has, created for writing with the mode
// the system gives any newly created file: the temporary file that atomic
// saving renames over its target.
#pragma once

#include <string>

namespace tavorin {

// Creates `prefix` followed by random letters, close-on-exec, opened for
// writing; `path` gets its name. Returns the descriptor, or -1 (errno set).
//
// The file is created with mode 0666 and the kernel takes away what the
// umask (or the folder's default ACL) says, in the same call, so the mode is
// that of any new file without reading or changing the umask: setting it,
// even for a moment, would change it for every thread of the process.
int CreateNewFile(const std::string& prefix, std::string& path);

}  // namespace tavorin

// Following a chain of symbolic links, for writers that replace the file a
// link names so the link stays a link.
#pragma once

#include <cerrno>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace nimbal {

// Sets `path` to where the chain of symbolic links at it ends (a relative
// target is read beside its link); 0, or the errno why the chain cannot be
// followed.
inline int resolve_links(std::string& path) {
  for (int hops = 0;; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return 0;
    if (hops == 40) return ELOOP;
    std::vector<char> buf(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
    ssize_t n = ::readlink(path.c_str(), buf.data(), buf.size());
    if (n < 0) return errno;
    if (static_cast<std::size_t>(n) >= buf.size()) return ENAMETOOLONG;
    std::string target(buf.data(), static_cast<std::size_t>(n));
    if (target.empty()) return ENOENT;
    if (target[0] != '/') {
      auto slash = path.rfind('/');
      if (slash != std::string::npos) target = path.substr(0, slash + 1) + target;
    }
    path = std::move(target);
  }
}

}  // namespace nimbal

// The ZIP container of project files, over libzip. Writing builds the whole
// archive in memory, then writes it to a temporary file beside the target
// and renames it over the target, so an error never leaves a half-written
// container. Reading bounds every entry it inflates.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include "nimbal/errors.hpp"
#include "nimbal/file_links.hpp"
#include "nimbal/services/ombrel.hpp"

namespace nimbal::services {

namespace {

// zlib's own default level, which the host's zipfile uses for deflate;
// libzip's "default" (0) is its best compression, several times slower.
constexpr zip_uint32_t kDeflateLevel = 6;

std::string errno_text(int err, const std::string& filename) {
  std::string text = "[Errno " + std::to_string(err) + "] " + std::strerror(err);
  if (!filename.empty()) text += ": '" + filename + "'";
  return text;
}

std::string libzip_text(zip_error_t* error) {
  const char* s = zip_error_strerror(error);
  return s ? s : "unknown archive error";
}

// The mode a newly created file gets (0666 less the process umask), read
// without changing the umask.
mode_t new_file_mode() {
  mode_t mask = 022;
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("Umask:", 0) == 0) {
      mask = static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
      break;
    }
  return 0666 & ~mask;
}

void write_all(int fd, const char* data, std::size_t size, const std::string& path) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw OsError(errno, path);
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

// The archive's bytes, built in memory.
std::string build_archive(const std::vector<std::pair<std::string, const std::string*>>& entries) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* src = zip_source_buffer_create(nullptr, 0, 0, &error);
  if (!src) {
    std::string why = libzip_text(&error);
    zip_error_fini(&error);
    throw BadArchive(why);
  }
  zip_source_keep(src);
  zip_t* za = zip_open_from_source(src, ZIP_TRUNCATE, &error);
  if (!za) {
    std::string why = libzip_text(&error);
    zip_error_fini(&error);
    zip_source_free(src);
    throw BadArchive(why);
  }
  zip_error_fini(&error);
  auto fail = [&](const std::string& why) {
    zip_discard(za);
    zip_source_free(src);
    throw BadArchive(why);
  };
  for (const auto& [name, data] : entries) {
    zip_source_t* s = zip_source_buffer(za, data->data(), data->size(), 0);
    if (!s) fail(zip_strerror(za));
    zip_int64_t idx = zip_file_add(za, name.c_str(), s, ZIP_FL_ENC_GUESS);
    if (idx < 0) {
      zip_source_free(s);
      fail(zip_strerror(za));
    }
    if (zip_set_file_compression(za, static_cast<zip_uint64_t>(idx), ZIP_CM_DEFLATE, kDeflateLevel) < 0) fail(zip_strerror(za));
  }
  if (zip_close(za) < 0) fail(zip_strerror(za));

  std::string bytes;
  if (zip_source_open(src) < 0) {
    zip_source_free(src);
    throw BadArchive("cannot read the archive built in memory");
  }
  char buf[1 << 16];
  for (;;) {
    zip_int64_t n = zip_source_read(src, buf, sizeof buf);
    if (n < 0) {
      zip_source_close(src);
      zip_source_free(src);
      throw BadArchive("cannot read the archive built in memory");
    }
    if (n == 0) break;
    bytes.append(buf, static_cast<std::size_t>(n));
  }
  zip_source_close(src);
  zip_source_free(src);
  return bytes;
}

// The file a save replaces: where a chain of symbolic links at `path` ends
// (a link's relative target is read beside the link), so the link stays a
// link and its target gets the new contents.
std::string resolve_links(std::string path) {
  if (int err = nimbal::resolve_links(path)) throw OsError(err, path);
  return path;
}

}  // namespace

OsError::OsError(int e, std::string name) : std::runtime_error(errno_text(e, name)), err(e), filename(std::move(name)) {}

void write_zip_file(const std::string& given, const std::vector<std::pair<std::string, const std::string*>>& entries) {
  if (given.empty() || given.find('\0') != std::string::npos) throw OsError(ENOENT, given);
  const std::string bytes = build_archive(entries);
  const std::string path = resolve_links(given);

  std::string dir = ".", base = path;
  if (auto slash = path.rfind('/'); slash != std::string::npos) {
    dir = slash == 0 ? "/" : path.substr(0, slash);
    base = path.substr(slash + 1);
  }
  if (base.empty()) throw OsError(EISDIR, path);
  struct stat st {};
  mode_t mode = new_file_mode();
  if (::stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) throw OsError(EISDIR, path);
    mode = st.st_mode & 07777;  // an existing file keeps its permissions
  }
  std::string tmp = (dir == "/" ? "" : dir) + "/." + base + ".XXXXXX";
  std::vector<char> name(tmp.begin(), tmp.end());
  name.push_back('\0');
  int fd = ::mkstemp(name.data());
  if (fd < 0) throw OsError(errno, path);
  tmp = name.data();
  try {
    write_all(fd, bytes.data(), bytes.size(), path);
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) throw OsError(errno, path);
    int rc = ::close(fd);
    fd = -1;
    if (rc != 0) throw OsError(errno, path);
    if (::rename(tmp.c_str(), path.c_str()) != 0) throw OsError(errno, path);
  } catch (...) {
    if (fd >= 0) ::close(fd);
    ::unlink(tmp.c_str());
    throw;
  }
}

ZipArchive::ZipArchive(const std::string& path) {
  if (path.empty() || path.find('\0') != std::string::npos) throw OsError(ENOENT, path);
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw OsError(errno, path);
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    int e = S_ISDIR(st.st_mode) ? EISDIR : errno;
    ::close(fd);
    throw OsError(e, path);
  }
  int zerr = 0;
  za_ = zip_fdopen(fd, 0, &zerr);
  if (!za_) {
    ::close(fd);
    if (zerr == ZIP_ER_NOZIP || zerr == ZIP_ER_INCONS || zerr == ZIP_ER_READ || zerr == ZIP_ER_SEEK)
      throw BadArchive("File is not a zip file");
    zip_error_t error;
    zip_error_init_with_code(&error, zerr);
    std::string why = libzip_text(&error);
    zip_error_fini(&error);
    throw BadArchive(why);
  }
}

bool ZipArchive::contains(const std::string& name) {
  return name.find('\0') == std::string::npos && zip_name_locate(za_, name.c_str(), 0) >= 0;
}

std::optional<std::uint64_t> ZipArchive::declared_size(const std::string& name) {
  if (name.find('\0') != std::string::npos) return std::nullopt;
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_stat(za_, name.c_str(), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE)) return std::nullopt;
  return st.size;
}

InvalidValue entry_too_large(const std::string& name, std::size_t limit) {
  return InvalidValue("entry '" + name + "' is larger than " + std::to_string(limit) + " bytes");
}

ZipArchive::~ZipArchive() {
  if (za_) zip_discard(za_);
}

std::string ZipArchive::read(const std::string& name) {
  const std::string missing = "There is no item named '" + name + "' in the archive";
  if (name.find('\0') != std::string::npos) throw NotFound(missing);
  zip_int64_t idx = zip_name_locate(za_, name.c_str(), 0);
  if (idx < 0) throw NotFound(missing);
  const std::size_t limit =
      name == "project.json" ? ProjectLimits::max_description_bytes : ProjectLimits::max_step_entry_bytes;
  auto too_large = [&] { return entry_too_large(name, limit); };
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_stat_index(za_, static_cast<zip_uint64_t>(idx), 0, &st) == 0 && (st.valid & ZIP_STAT_SIZE) &&
      st.size > limit)
    throw too_large();
  zip_file_t* f = zip_fopen_index(za_, static_cast<zip_uint64_t>(idx), 0);
  if (!f) throw BadArchive(std::string(zip_strerror(za_)) + " (entry '" + name + "')");
  std::string out;
  // The declared size may lie: reserve modestly and stop at the limit.
  if (st.valid & ZIP_STAT_SIZE) out.reserve(static_cast<std::size_t>(std::min<zip_uint64_t>(st.size, 16u << 20)));
  char buf[1 << 16];
  for (;;) {
    zip_int64_t n = zip_fread(f, buf, sizeof buf);
    if (n < 0) {
      std::string why = zip_file_strerror(f);
      zip_fclose(f);
      throw BadArchive(why + " (entry '" + name + "')");
    }
    if (n == 0) break;
    if (out.size() + static_cast<std::size_t>(n) > limit) {
      zip_fclose(f);
      throw too_large();
    }
    out.append(buf, static_cast<std::size_t>(n));
  }
  zip_fclose(f);
  return out;
}

}  // namespace nimbal::services

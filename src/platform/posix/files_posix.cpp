// File and directory services on POSIX systems. Backslashes in script paths become "/"; the
// attribute word is made from the file type, the write permission and a leading dot in the name.
#include "platform/files.hpp"
#include "platform/posix/native_path.hpp"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/ascii.hpp"

namespace korvex::platform {
namespace {

int descriptor_of(std::intptr_t handle) {
    return static_cast<int>(handle);
}

// A name that starts with "." is what POSIX systems hide; "." and ".." themselves are not hidden.
bool has_hidden_name(const std::string& native) {
    std::size_t end = native.find_last_not_of('/');
    if (end == std::string::npos) return false;
    std::size_t start = native.find_last_of('/', end);
    std::string_view name(native.data() + (start == std::string::npos ? 0 : start + 1),
                          end + 1 - (start == std::string::npos ? 0 : start + 1));
    return name.size() > 0 && name[0] == '.' && name != "." && name != "..";
}

std::uint32_t attribute_word(const struct stat& status, const std::string& native) {
    std::uint32_t word = 0;
    if (S_ISDIR(status.st_mode)) word |= file_attribute::directory;
    if ((status.st_mode & S_IWUSR) == 0) word |= file_attribute::read_only;
    if (has_hidden_name(native)) word |= file_attribute::hidden;
    return word == 0 ? file_attribute::normal : word;
}

// Names sort as the Windows file systems deliver them: letter case ignored, then byte order.
bool listed_before(const std::string& left, const std::string& right) {
    std::string left_folded = upper_case_ascii(left), right_folded = upper_case_ascii(right);
    return left_folded != right_folded ? left_folded < right_folded : left < right;
}

// The entries of the current directory that the filter keeps, sorted; none when the user may not
// list it, nothing when the listing failed otherwise.
template <typename Filter> std::optional<std::vector<std::string>> list_current_directory(Filter keep) {
    std::vector<std::string> names;
    DIR* directory = opendir(".");
    if (directory == nullptr) {
        if (errno == EACCES) return names;
        return std::nullopt;
    }
    for (;;) {
        errno = 0;
        struct dirent* entry = readdir(directory);
        if (entry == nullptr) break;
        if (keep(dirfd(directory), *entry)) names.emplace_back(entry->d_name);
    }
    bool complete = errno == 0;
    closedir(directory);
    if (!complete) return std::nullopt;
    std::sort(names.begin(), names.end(), listed_before);
    return names;
}

FileVersion version_of(const struct stat& status) {
    return FileVersion{
        FileIdentity{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)},
        static_cast<std::int64_t>(status.st_size),
        FileTime{static_cast<std::int64_t>(status.st_mtim.tv_sec), status.st_mtim.tv_nsec},
        FileTime{static_cast<std::int64_t>(status.st_ctim.tv_sec), status.st_ctim.tv_nsec}};
}

// Copies what is left of one open file into another; false on a read or write error.
bool copy_descriptor(int source, int destination, std::vector<char>& block) {
    for (;;) {
        ssize_t count = ::read(source, block.data(), block.size());
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return false;
        if (count == 0) return true;
        for (ssize_t written = 0; written < count;) {
            ssize_t part =
                ::write(destination, block.data() + written, static_cast<std::size_t>(count - written));
            if (part < 0 && errno == EINTR) continue;
            if (part <= 0) return false;
            written += part;
        }
    }
}

// Moves a regular file to another file system, as Windows moves a file to another volume: its bytes,
// permissions and times go to a new file that never replaces an existing one, then the old name goes.
// On any failure the new file is removed again and the old one stays as it was. Other kinds of file
// (directories, links, devices) are refused.
bool move_to_other_file_system(const std::string& from, const std::string& to) {
    std::vector<char> block(1 << 20); // before anything is created, so running out leaves nothing
    int source = ::open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (source < 0) return false;
    struct stat status {};
    if (fstat(source, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(source);
        return false;
    }
    mode_t permissions = status.st_mode & 07777;
    int destination = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, permissions);
    if (destination < 0) {
        ::close(source);
        return false;
    }
    bool copied = copy_descriptor(source, destination, block) && fchmod(destination, permissions) == 0;
    const timespec times[2] = {status.st_atim, status.st_mtim};
    if (copied) futimens(destination, times); // times that cannot be kept do not undo the move
    copied = ::close(destination) == 0 && copied;
    ::close(source);
    if (copied && unlink(from.c_str()) == 0) return true;
    unlink(to.c_str());
    return false;
}

} // namespace

DataFile::~DataFile() {
    if (is_open()) ::close(descriptor_of(handle));
}

bool DataFile::open(const std::string& path, FileAccess access) {
    if (is_open()) close();
    version_at_open.reset();
    int flags = O_CLOEXEC;
    switch (access) {
    case FileAccess::read: flags |= O_RDONLY | O_NONBLOCK; break; // a pipe without writer must not block
    case FileAccess::create: flags |= O_WRONLY | O_CREAT | O_TRUNC; break;
    case FileAccess::append: flags |= O_WRONLY | O_CREAT | O_APPEND; break;
    }
    int descriptor = ::open(native_path(path).c_str(), flags, 0666);
    if (descriptor < 0) return false;
    if (access == FileAccess::read) {
        struct stat status {};
        if (fstat(descriptor, &status) != 0 || S_ISDIR(status.st_mode)) {
            ::close(descriptor);
            return false;
        }
        // Reads of a regular file never wait, whatever the flag says.
        if (S_ISREG(status.st_mode))
            version_at_open = version_of(status);
        else
            fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    }
    handle = descriptor;
    return true;
}

std::int64_t DataFile::read(char* buffer, std::size_t capacity) {
    if (!is_open()) return -1;
    for (;;) {
        ssize_t count = ::read(descriptor_of(handle), buffer, capacity);
        if (count >= 0) return count;
        if (errno != EINTR) return -1;
    }
}

bool DataFile::write(std::string_view bytes) {
    if (!is_open()) return false;
    while (!bytes.empty()) {
        ssize_t count = ::write(descriptor_of(handle), bytes.data(), bytes.size());
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(count));
    }
    return true;
}

std::optional<std::int64_t> DataFile::size() {
    if (!is_open()) return std::nullopt;
    off_t end = lseek(descriptor_of(handle), 0, SEEK_END);
    if (end < 0) return std::nullopt;
    return static_cast<std::int64_t>(end);
}

bool DataFile::seek(std::int64_t offset) {
    return is_open() && lseek(descriptor_of(handle), static_cast<off_t>(offset), SEEK_SET) == offset;
}

std::optional<FileVersion> unopened_file_version(const std::string& path) {
    struct stat status {};
    if (stat(native_path(path).c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
    return version_of(status);
}

std::optional<FileVersion> DataFile::version() {
    if (!is_open()) return std::nullopt;
    if (version_at_open) return version_at_open;
    struct stat status {};
    if (fstat(descriptor_of(handle), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
    return version_of(status);
}

std::optional<bool> DataFile::copy_rest_to(DataFile& destination) {
#ifdef __linux__
    if (!is_open() || !destination.is_open()) return false;
    // Only for regular files that say they hold bytes: files of /proc and /sys say they hold none and
    // would copy as empty.
    if (!version_at_open || version_at_open->size == 0) return std::nullopt;
    bool moved_any = false;
    for (;;) {
        ssize_t count = copy_file_range(descriptor_of(handle), nullptr, descriptor_of(destination.handle),
                                        nullptr, std::size_t{1} << 30, 0);
        if (count == 0) return true;
        if (count > 0) {
            moved_any = true;
            continue;
        }
        if (errno == EINTR) continue;
        // File systems and kernels that cannot copy between these files say so before the first byte.
        if (!moved_any && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
                           errno == EBADF || errno == EPERM))
            return std::nullopt;
        return false;
    }
#else
    (void)destination;
    return std::nullopt;
#endif
}

bool DataFile::close() {
    if (!is_open()) return false;
    int result = ::close(descriptor_of(handle));
    handle = no_handle;
    version_at_open.reset();
    return result == 0;
}

FileTime current_file_time() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return FileTime{static_cast<std::int64_t>(now.tv_sec), now.tv_nsec};
}

std::optional<FileIdentity> file_identity(const std::string& path) {
    struct stat status {};
    if (stat(native_path(path).c_str(), &status) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

bool delete_file(const std::string& path) {
    return unlink(native_path(path).c_str()) == 0;
}

bool rename_file(const std::string& old_path, const std::string& new_path) {
    std::string from = native_path(old_path), to = native_path(new_path);
#ifdef RENAME_NOREPLACE
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno == EXDEV) return move_to_other_file_system(from, to);
    if (errno != EINVAL && errno != ENOSYS) return false;
#endif
    // A file system without the no-replace rename: test, then rename.
    struct stat status {};
    if (lstat(to.c_str(), &status) == 0 || errno != ENOENT) return false;
    if (rename(from.c_str(), to.c_str()) == 0) return true;
    return errno == EXDEV && move_to_other_file_system(from, to);
}

std::optional<std::uint32_t> file_attributes(const std::string& path) {
    std::string native = native_path(path);
    struct stat status {};
    if (stat(native.c_str(), &status) != 0) return std::nullopt;
    return attribute_word(status, native);
}

bool set_file_attributes(const std::string& path, std::uint32_t word) {
    std::string native = native_path(path);
    struct stat status {};
    if (stat(native.c_str(), &status) != 0) return false;
    // Archive, system and compressed have no counterpart; a file cannot become a directory; hiding
    // would need a new name. Such requests are refused and change nothing.
    if (word & (file_attribute::archive | file_attribute::system | file_attribute::compressed)) return false;
    if ((word & file_attribute::directory) && !S_ISDIR(status.st_mode)) return false;
    if ((word & file_attribute::hidden) && !has_hidden_name(native)) return false;
    mode_t mode = status.st_mode & 07777;
    mode_t wanted =
        (word & file_attribute::read_only) ? mode & ~(S_IWUSR | S_IWGRP | S_IWOTH) : mode | S_IWUSR;
    return wanted == mode || chmod(native.c_str(), wanted) == 0;
}

bool change_directory(const std::string& path) {
    return chdir(native_path(path).c_str()) == 0;
}

bool create_directory(const std::string& path) {
    return mkdir(native_path(path).c_str(), 0777) == 0;
}

bool remove_directory(const std::string& path) {
    return rmdir(native_path(path).c_str()) == 0;
}

bool is_directory_separator(char byte) {
    return byte == '\\' || byte == '/';
}

std::optional<std::vector<std::string>> matching_entries(const std::string& pattern) {
    return list_current_directory(
        [&](int, const struct dirent& entry) { return wildcard_match(pattern, entry.d_name); });
}

std::optional<std::vector<std::string>> searchable_subdirectories() {
    return list_current_directory([](int directory, const struct dirent& entry) {
        std::string_view text(entry.d_name);
        if (text == "." || text == "..") return false;
        // The listing tells most entries' kind; links and entries of unknown kind are looked at.
        if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK) return entry.d_type == DT_DIR;
        struct stat status {};
        return fstatat(directory, entry.d_name, &status, 0) == 0 && S_ISDIR(status.st_mode);
    });
}

bool enter_subdirectory(const std::string& name) {
    return chdir(name.c_str()) == 0;
}

// A path-only handle where the system has one, so that a directory without read permission can
// still be marked.
#ifdef O_PATH
constexpr int mark_flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int mark_flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

DirectoryMark::DirectoryMark() : handle(::open(".", mark_flags)) {}

DirectoryMark::DirectoryMark(DirectoryMark&& other) noexcept
    : handle(other.handle), path(std::move(other.path)) {
    other.handle = -1;
}

DirectoryMark& DirectoryMark::operator=(DirectoryMark&& other) noexcept {
    if (this != &other) {
        if (handle >= 0) ::close(descriptor_of(handle));
        handle = other.handle;
        path = std::move(other.path);
        other.handle = -1;
    }
    return *this;
}

DirectoryMark::~DirectoryMark() {
    if (handle >= 0) ::close(descriptor_of(handle));
}

bool DirectoryMark::is_valid() const {
    return handle >= 0;
}

bool DirectoryMark::return_to() const {
    return handle >= 0 && fchdir(descriptor_of(handle)) == 0;
}

} // namespace korvex::platform

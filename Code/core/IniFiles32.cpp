#include "IniFiles32.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <system_error>

#include "Errors.h"
#include "TextConvert.h"

namespace {

// Section names are matched without regard to letter case, by ASCII rules
// only: a locale's rules (such as a Turkish dotless i) must not make a
// section unreachable, and bytes outside ASCII are compared as they are.
char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameTextAscii(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

// Decimal, or hexadecimal after "$", "x" or "X", each with an optional
// leading sign. Stricter than a general reader: a second sign, blanks or a
// "0x" after the sign are not numbers.
bool ParseIniInteger(const std::string& text, int32_t& value) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    }
    if (i >= text.size()) return false;
    int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        }
        if (digit < 0 || digit >= base) return false;
        magnitude = magnitude * base + digit;
        if (magnitude > int64_t{INT32_MAX} + 1) return false;  // stops growth on long texts
    }
    const int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue < INT32_MIN || signedValue > INT32_MAX) return false;
    value = static_cast<int32_t>(signedValue);
    return true;
}

std::string ErrorText(int err) {
    return std::generic_category().message(err);
}

[[noreturn]] void ThrowOpenError(const std::string& fileName, const std::string& reason) {
    throw EFOpenError("Cannot open file \"" + fileName + "\". " + reason);
}

[[noreturn]] void ThrowCreateError(const std::string& fileName, int err) {
    throw EFCreateError("Cannot create file \"" + fileName + "\". " + ErrorText(err));
}

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() { Close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    void Reset(int fd) {
        Close();
        fd_ = fd;
    }
    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    // The result of close(): a delayed write error can show up only here.
    int Close() {
        int result = 0;
        if (fd_ >= 0) result = ::close(fd_);
        fd_ = -1;
        return result;
    }

  private:
    int fd_;
};

// 0 on success, else the error code.
int WriteAll(int fd, const std::string& data, off_t offset, bool positioned) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = positioned ? ::pwrite(fd, data.data() + done, data.size() - done,
                                                offset + static_cast<off_t>(done))
                                     : ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        done += static_cast<size_t>(n);
    }
    return 0;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Follows symbolic links to the file a direct write would reach, so the
// replacement lands on the link's target and the link stays a link. A
// dangling link resolves to the missing target, which is then created.
bool ResolveLinks(const std::string& path, std::string& target, int& err) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            target = current;
            return true;
        }
        std::string buffer(st.st_size > 0 ? static_cast<size_t>(st.st_size) + 1 : PATH_MAX, '\0');
        for (;;) {
            const ssize_t n = ::readlink(current.c_str(), buffer.data(), buffer.size());
            if (n < 0) {
                err = errno;
                return false;
            }
            if (static_cast<size_t>(n) < buffer.size()) {
                buffer.resize(static_cast<size_t>(n));
                break;
            }
            buffer.assign(buffer.size() * 2, '\0');  // the link grew meanwhile
        }
        if (!buffer.empty() && buffer[0] == '/') {
            current = buffer;
        } else {
            const size_t slash = current.rfind('/');
            current = (slash == std::string::npos ? std::string() : current.substr(0, slash + 1)) +
                      buffer;
        }
    }
    err = ELOOP;
    return false;
}

// Creates a new, empty temporary file beside the target. Returns the
// descriptor or -1 with errno set.
int CreateTempFile(const std::string& folder, mode_t mode, std::string& tempPath) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = folder + "/.~ini" + std::to_string(::getpid()) + "." + std::to_string(++counter);
        const int fd =
            ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

// Writes over the existing file through a descriptor already open for
// writing: for the few files a replacement cannot stand in for (other hard
// links, an owner the program cannot give a new file, a folder the program
// may not create files in). Content goes first and the length is cut last,
// so no moment shows an empty file.
void WriteInPlace(int fd, const std::string& content, const std::string& fileName) {
    int err = WriteAll(fd, content, 0, true);
    if (err == 0 && ::ftruncate(fd, static_cast<off_t>(content.size())) != 0) err = errno;
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    if (err != 0) ThrowCreateError(fileName, err);
}

// Replaces the whole content of fileName. Never leaves a truncated file or
// a temporary file behind, and allows no more than a direct write would.
void ReplaceFile(const std::string& fileName, const std::string& content) {
    std::string target;
    int err = 0;
    if (!ResolveLinks(fileName, target, err)) ThrowCreateError(fileName, err);

    struct stat st;
    const bool exists = ::lstat(target.c_str(), &st) == 0;
    FileDescriptor direct;
    if (exists) {
        if (S_ISDIR(st.st_mode)) ThrowCreateError(fileName, EISDIR);
        if (!S_ISREG(st.st_mode)) ThrowCreateError(fileName, EINVAL);
        // The same permission check a direct write makes; a file the program
        // may not write must not be replaced merely because its folder is
        // writable. Opening for writing without truncating changes nothing.
        direct.Reset(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
        if (!direct.Valid()) ThrowCreateError(fileName, errno);
        if (st.st_nlink > 1) return WriteInPlace(direct.Get(), content, fileName);
    }

    std::string tempPath;
    // A new file gets the mode a direct creation would give (the umask
    // applies); an existing one gets its own mode back below.
    FileDescriptor temp(CreateTempFile(FolderOf(target), exists ? 0600 : 0666, tempPath));
    if (!temp.Valid()) {
        err = errno;
        if (exists && (err == EACCES || err == EPERM)) {
            return WriteInPlace(direct.Get(), content, fileName);
        }
        ThrowCreateError(fileName, err);
    }
    auto discard = [&](int code) {
        temp.Close();
        ::unlink(tempPath.c_str());
        ThrowCreateError(fileName, code);
    };
    if (exists) {
        if ((st.st_uid != ::geteuid() || st.st_gid != ::getegid()) &&
            ::fchown(temp.Get(), st.st_uid, st.st_gid) != 0) {
            temp.Close();
            ::unlink(tempPath.c_str());
            return WriteInPlace(direct.Get(), content, fileName);
        }
        // After fchown, which clears set-id bits.
        if (::fchmod(temp.Get(), st.st_mode & 07777) != 0) discard(errno);
    }
    err = WriteAll(temp.Get(), content, 0, false);
    if (err == 0 && ::fsync(temp.Get()) != 0) err = errno;
    if (err != 0) discard(err);
    if (temp.Close() != 0) {
        err = errno;
        ::unlink(tempPath.c_str());
        ThrowCreateError(fileName, err);
    }
    if (::rename(tempPath.c_str(), target.c_str()) != 0) {
        err = errno;
        ::unlink(tempPath.c_str());
        ThrowCreateError(fileName, err);
    }
}

// CR LF, a lone CR and a lone LF each end a line; a last line without an
// end is still a line.
std::vector<std::string> SplitLines(const std::string& data) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < data.size(); ++i) {
        const char c = data[i];
        if (c != '\r' && c != '\n') continue;
        lines.emplace_back(data, start, i - start);
        if (c == '\r' && i + 1 < data.size() && data[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < data.size()) lines.emplace_back(data, start, std::string::npos);
    return lines;
}

}  // namespace

TIniFile32::TIniFile32(const std::string& fileName) : FileName(fileName) {
    struct stat st;
    // Missing, unreachable or a folder: an empty object, as for a new file.
    if (::stat(FileName.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return;
    // Non-blocking, so a pipe or device under the name cannot hang the program.
    FileDescriptor fd(::open(FileName.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.Valid()) ThrowOpenError(FileName, ErrorText(errno));
    if (::fstat(fd.Get(), &st) != 0) ThrowOpenError(FileName, ErrorText(errno));
    if (!S_ISREG(st.st_mode)) ThrowOpenError(FileName, "Not a regular file");
    std::string data;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowOpenError(FileName, ErrorText(errno));
        }
        if (n == 0) break;
        data.append(buffer, static_cast<size_t>(n));
    }
    Lines = SplitLines(data);
}

TIniFile32::~TIniFile32() = default;

bool TIniFile32::IsSection(const std::string& line) {
    const std::string trimmed = TrimControls(line);
    return !trimmed.empty() && trimmed.front() == '[' && trimmed.back() == ']';
}

std::string TIniFile32::GetKeyName(const std::string& line) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos) return {};
    return TrimControls(line.substr(0, equals));
}

std::string TIniFile32::GetKeyValue(const std::string& line, const std::string& key) {
    if (line.empty() || key.empty()) return {};
    const size_t at = line.find(key);
    const size_t equals = line.find('=');
    if (at == std::string::npos || equals == std::string::npos || at >= equals) return {};
    return TrimControls(line.substr(equals + 1));
}

int TIniFile32::IndexOfSection(const std::string& section) const {
    const std::string header = "[" + section + "]";
    for (size_t i = 0; i < Lines.size(); ++i) {
        if (SameTextAscii(Lines[i], header)) return static_cast<int>(i);
    }
    return -1;
}

std::string TIniFile32::ReadString(const std::string& section, const std::string& key,
                                   const std::string& defaultValue) {
    if (Lines.empty()) return defaultValue;
    const int header = IndexOfSection(section);
    if (header < 0) return defaultValue;
    for (size_t i = static_cast<size_t>(header) + 1; i < Lines.size() && !IsSection(Lines[i]);
         ++i) {
        if (GetKeyName(Lines[i]) != key) continue;
        // Only the first line with the key counts, even when its value is empty.
        std::string value = GetKeyValue(Lines[i], key);
        return value.empty() ? defaultValue : value;
    }
    return defaultValue;
}

int32_t TIniFile32::ReadInteger(const std::string& section, const std::string& key,
                                int32_t defaultValue) {
    std::string text = ReadString(section, key, "");
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text = "$" + text.substr(2);
    }
    int32_t value = 0;
    return ParseIniInteger(text, value) ? value : defaultValue;
}

void TIniFile32::WriteString(const std::string& section, const std::string& key,
                             const std::string& value) {
    const int header = IndexOfSection(section);
    if (header < 0) {
        Lines.emplace_back();
        Lines.push_back("[" + section + "]");
        if (!key.empty()) Lines.push_back(key + "=" + value);
    } else {
        size_t i = static_cast<size_t>(header) + 1;
        while (i < Lines.size() && !IsSection(Lines[i]) && GetKeyName(Lines[i]) != key) ++i;
        if (!key.empty()) {
            if (i >= Lines.size() || IsSection(Lines[i])) {
                Lines.insert(Lines.begin() + static_cast<std::ptrdiff_t>(i), key + "=" + value);
            } else {
                Lines[i] = key + "=" + value;
            }
        }
    }
    UpdateFile();
}

void TIniFile32::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void TIniFile32::ReadSections(std::vector<std::string>* strings) {
    if (strings == nullptr) throw EAssertionFailed("Param Strings must be assigned");
    strings->clear();
    for (const std::string& line : Lines) {
        if (!IsSection(line)) continue;
        const std::string trimmed = TrimControls(line);
        strings->push_back(TrimControls(trimmed.substr(1, trimmed.size() - 2)));
    }
}

void TIniFile32::EraseSection(const std::string& section) {
    const int header = IndexOfSection(section);
    if (header < 0) return;
    const auto first = Lines.begin() + header;
    auto last = first + 1;
    while (last != Lines.end() && !IsSection(*last)) ++last;
    const auto at = Lines.erase(first, last);
    if (header > 0) Lines.emplace(at);
    UpdateFile();
}

void TIniFile32::UpdateFile() {
    std::string content;
    size_t size = 0;
    for (const std::string& line : Lines) size += line.size() + 2;
    content.reserve(size);
    for (const std::string& line : Lines) {
        content += line;
        content += "\r\n";
    }
    ReplaceFile(FileName, content);
}

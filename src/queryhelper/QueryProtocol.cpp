#include "queryhelper/QueryProtocol.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace QueryProtocol {

namespace {

constexpr std::size_t kStatSize = sizeof(std::int32_t) + sizeof(std::uint32_t) + 3 * sizeof(std::int64_t);
// Enough answers to be worth a write, few enough that a slow folder still shows progress.
constexpr std::size_t kFlushAt = 16 * 1024;

template <typename T> void put(std::string& out, T value)
{
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

template <typename T> T get(const char* in)
{
    T value;
    std::memcpy(&value, in, sizeof value);
    return value;
}

// Reads the value at `in` and moves past it.
template <typename T> void take(const char*& in, T& value)
{
    std::memcpy(&value, in, sizeof value);
    in += sizeof value;
}

bool writeAll(int fd, std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        // A socket, so that a reader that went away shows as an error rather than SIGPIPE.
        ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == ENOTSOCK)
            n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    bytes.clear();
    return true;
}

bool readAll(int fd, char* into, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, into + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
}

bool list(const std::string& folder, int out, std::string& buffer)
{
    bool written = true;
    const int error = listFolder(folder.c_str(), 0, [&](const char* name, int result, const struct stat& st) {
        appendName(buffer, name, std::uint32_t(std::strlen(name)), fieldsOf(result, st));
        written = buffer.size() < kFlushAt || writeAll(out, buffer);
        return written;
    });
    if (!written)
        return false;
    appendEnd(buffer, error);
    return writeAll(out, buffer);
}

bool read(const std::string& path, int out, std::string& buffer)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        appendEnd(buffer, errno);
        return writeAll(out, buffer);
    }
    struct stat st
    {
    };
    int error = 0;
    if (::fstat(fd, &st) != 0)
        error = errno;
    else if (!S_ISREG(st.st_mode))
        error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    std::int64_t total = 0;
    char chunk[kFlushAt];
    while (!error) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = errno;
            break;
        }
        if (n == 0)
            break;
        total += n;
        if (total > kLargestRead) {
            error = EFBIG;
            break;
        }
        appendData(buffer, chunk, std::uint32_t(n));
        if (!writeAll(out, buffer)) {
            ::close(fd);
            return false;
        }
    }
    ::close(fd);
    appendEnd(buffer, error);
    return writeAll(out, buffer);
}

} // namespace

StatFields fieldsOf(int result, const struct stat& st)
{
    StatFields fields;
    if (result != 0) {
        fields.error = errno ? errno : EIO;
        return fields;
    }
    fields.mode = st.st_mode;
    fields.mtimeSec = st.st_mtim.tv_sec;
    fields.mtimeNsec = st.st_mtim.tv_nsec;
    fields.size = st.st_size;
    return fields;
}

int listFolder(const char* folder, int flags, const std::function<bool(const char*, int, const struct stat&)>& each)
{
    DIR* dir = ::opendir(folder);
    if (!dir)
        return errno;
    const int fd = ::dirfd(dir);
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        struct stat st
        {
        };
        const int result = ::fstatat(fd, name, &st, flags);
        if (!each(name, result, st))
            break;
        errno = 0;
    }
    const int error = errno;
    ::closedir(dir);
    return error;
}

void appendRequest(std::string& out, Op op, const std::string& path)
{
    out.push_back(op);
    put(out, std::uint32_t(path.size()));
    out.append(path);
}

void appendStat(std::string& out, const StatFields& fields)
{
    out.push_back(Answer);
    put(out, fields.error);
    put(out, fields.mode);
    put(out, fields.mtimeSec);
    put(out, fields.mtimeNsec);
    put(out, fields.size);
}

void appendName(std::string& out, const char* name, std::uint32_t length, const StatFields& fields)
{
    out.push_back(Name);
    put(out, length);
    out.append(name, length);
    appendStat(out, fields);
}

void appendData(std::string& out, const char* bytes, std::uint32_t length)
{
    out.push_back(Data);
    put(out, length);
    out.append(bytes, length);
}

void appendEnd(std::string& out, std::int32_t error)
{
    out.push_back(End);
    put(out, error);
}

std::size_t takeStat(const char* in, std::size_t size, StatFields& fields)
{
    if (size < 1 + kStatSize || in[0] != Answer)
        return 0;
    const char* p = in + 1;
    take(p, fields.error);
    take(p, fields.mode);
    take(p, fields.mtimeSec);
    take(p, fields.mtimeNsec);
    take(p, fields.size);
    return 1 + kStatSize;
}

std::size_t takeLengthPrefixed(const char* in, std::size_t size, std::string& text)
{
    if (size < 1 + sizeof(std::uint32_t))
        return 0;
    const auto length = get<std::uint32_t>(in + 1);
    if (size < 1 + sizeof(std::uint32_t) + length)
        return 0;
    text.assign(in + 1 + sizeof(std::uint32_t), length);
    return 1 + sizeof(std::uint32_t) + length;
}

std::size_t takeInt(const char* in, std::size_t size, std::int32_t& value)
{
    if (size < 1 + sizeof(std::int32_t))
        return 0;
    value = get<std::int32_t>(in + 1);
    return 1 + sizeof(std::int32_t);
}

int serve(int in, int out)
{
    std::string buffer;
    std::string path;
    for (;;) {
        char head[1 + sizeof(std::uint32_t)];
        if (!readAll(in, head, sizeof head))
            return 0;
        const auto length = get<std::uint32_t>(head + 1);
        if (length > kLongestPath)
            return 2;
        path.resize(length);
        if (!readAll(in, path.data(), length))
            return 0;
        bool written = false;
        switch (head[0]) {
        case Stat: {
            struct stat st
            {
            };
            const int result = ::stat(path.c_str(), &st);
            appendStat(buffer, fieldsOf(result, st));
            written = writeAll(out, buffer);
            break;
        }
        case List:
            written = list(path, out, buffer);
            break;
        case Read:
            written = read(path, out, buffer);
            break;
        default:
            return 2;
        }
        if (!written)
            return 0;
    }
}

} // namespace QueryProtocol

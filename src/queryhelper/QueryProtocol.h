#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct stat;

// What passes between the program and its share query helper over one socket. A request is an
// operation byte, a 32-bit length and a path; the answers are records that stream back as the
// helper gets them, so that a listing of a slow folder shows progress while it runs. Both ends run
// on the same machine, so numbers go in the machine's own byte order.
namespace QueryProtocol {

enum Op : char
{
    Stat = 'S', // answered by one Answer record
    List = 'L', // answered by one Name record per name, then End
    Read = 'R', // answered by Data records, then End
};

enum Record : char
{
    Answer = 'A', // errno (0 on success), then the stat fields
    Name = 'N',   // a 32-bit length and the name, then the stat fields of what it names
    Data = 'D',   // a 32-bit length and that many bytes of the file
    End = 'E',    // errno: 0 when the listing or the read was complete
};

struct StatFields
{
    std::int32_t error = 0;
    std::uint32_t mode = 0;
    std::int64_t mtimeSec = 0;
    std::int64_t mtimeNsec = 0;
    std::int64_t size = 0;
};

// The fields of what stat() or lstat() gave back as `result` in `st`, its errno when it failed.
StatFields fieldsOf(int result, const struct stat& st);

// Hands `each` every name of a folder but "." and "..", with what fstatat() with `flags` gave
// back for it, until `each` returns false. Returns the errno that ended the listing, 0 when the
// folder was listed whole; once `each` has stopped it, what it returns means nothing.
int listFolder(const char* folder, int flags, const std::function<bool(const char*, int, const struct stat&)>& each);

// A file read through the helper is a watch list, never larger than the store accepts.
inline constexpr std::int64_t kLargestRead = std::int64_t(1) << 30;
// A name or a path is never longer than the system allows; anything longer is garbage.
inline constexpr std::uint32_t kLongestPath = 1 << 16;

void appendRequest(std::string& out, Op op, const std::string& path);
void appendStat(std::string& out, const StatFields& fields);
void appendName(std::string& out, const char* name, std::uint32_t length, const StatFields& fields);
void appendData(std::string& out, const char* bytes, std::uint32_t length);
void appendEnd(std::string& out, std::int32_t error);

// Reading records back: each returns the bytes the record took at the front of `in`, or 0 when
// `in` does not hold a whole one yet.
std::size_t takeStat(const char* in, std::size_t size, StatFields& fields);
std::size_t takeLengthPrefixed(const char* in, std::size_t size, std::string& text);
std::size_t takeInt(const char* in, std::size_t size, std::int32_t& value);

// Answers requests from `in` on `out` until `in` ends or `out` is gone. Returns the exit status.
int serve(int in, int out);

} // namespace QueryProtocol

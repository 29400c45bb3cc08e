// The floor under a run of velmora-cli: what any program pays to put the same number of bytes
// in a file. Usage: velmora_save_floor durable|bare BYTES TARGET
//
//   durable  allocates a zero-filled block (plain calloc), fills it, writes it in one call to a
//            temporary file beside TARGET, flushes that to disk (fsync) and renames it over TARGET;
//   bare     the same without the temporary file and the flush: written straight into TARGET.
//
// It is deliberately plain: no huge pages, no tricks; the benchmark compares the program with it.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool WriteAll(int fd, const unsigned char* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

int Fail(const char* what) {
    (void)std::fprintf(stderr, "velmora_save_floor: %s: %s\n", what, std::strerror(errno));
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 || (std::strcmp(argv[1], "durable") != 0 && std::strcmp(argv[1], "bare") != 0)) {
        (void)std::fprintf(stderr, "usage: velmora_save_floor durable|bare BYTES TARGET\n");
        return 2;
    }
    const bool durable = std::strcmp(argv[1], "durable") == 0;
    const auto size = static_cast<std::size_t>(std::strtoull(argv[2], nullptr, 10));
    const std::string target = argv[3];

    auto* block = static_cast<unsigned char*>(std::calloc(size, 1));
    if (block == nullptr) return Fail("calloc");
    std::memset(block, 128, size);  // the silence of 8-bit unsigned PCM

    const std::string written = durable ? target + ".floor-temporary" : target;
    const int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC;
    const int fd = ::open(written.c_str(), flags, 0644);
    if (fd < 0) return Fail("open");
    if (!WriteAll(fd, block, size)) return Fail("write");
    if (durable && ::fsync(fd) != 0) return Fail("fsync");
    if (::close(fd) != 0) return Fail("close");
    if (durable && ::rename(written.c_str(), target.c_str()) != 0) return Fail("rename");
    std::free(block);
    return 0;
}
